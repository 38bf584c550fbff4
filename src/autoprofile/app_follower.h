// When to switch: the application in front must stay there for kSettle
// before its profile is selected, so alt-tabbing through windows sends
// nothing to the mouse; and a switch never goes to the profile already
// selected, so the user's own choice stands until the application changes.
//
// Used on the UI thread only (not thread-safe). The program:
//   follower.OnAppInFront(app, source);         // each report, handed to the UI thread
//     (ApplicationFocused names the application once: pass AppInFront{app, "", ""});
//   arm one single-shot timer for NextDeadline() - clock.Now() (none: no timer);
//   when it fires (and after OnAppInFront, in case the deadline has passed):
//     if (auto profile = follower.Due(rules, selected_name)) select *profile as the list does;
//     re-arm for NextDeadline().
//   follower.Reconsider() after the rules changed (turned on, edited), so the
//   application in front gets the profile the new rules give it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "autoprofile/app_rules.h"
#include "platform/active_window.h"
#include "platform/clock.h"

namespace vexel {

class AppFollower {
 public:
  static constexpr Clock::Ms kSettle{300};

  enum class Source {
    kWindow,       // the desktop's focused window (X11)
    kCompositor,   // ApplicationFocused, from a compositor's hook
    kProcessScan,  // the newest running process a rule names; AppInFront{} when none runs
  };

  explicit AppFollower(const Clock& clock) : clock_(clock) {}

  // A report of the application in front. Once a focus report (window or
  // compositor) has come, process scan reports are ignored: they only guess.
  // A report of the application already in front changes nothing, so the
  // settle time is not restarted by repeated reports.
  void OnAppInFront(const AppInFront& app, Source source);

  // The profile to select now: the one `rules` give the application in front
  // once it has stayed for kSettle, unless that is `selected_name` (any letter
  // case) or the rules give none. Each application in front is decided once;
  // std::nullopt otherwise.
  std::optional<std::string> Due(const AppRules& rules, std::string_view selected_name);

  // When Due next has something to decide (a time on the clock); std::nullopt
  // when nothing waits.
  std::optional<Clock::Ms> NextDeadline() const;

  // Decide again for the application in front (from the time it came, so a
  // settled one is due at once).
  void Reconsider();

 private:
  const Clock& clock_;
  std::optional<AppInFront> in_front_;
  Clock::Ms since_{0};
  bool decided_ = true;
  bool focus_reported_ = false;
};

}  // namespace vexel
