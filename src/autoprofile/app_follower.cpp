#include "autoprofile/app_follower.h"

namespace vexel {

void AppFollower::OnAppInFront(const AppInFront& app, Source source) {
  if (source == Source::kProcessScan) {
    if (focus_reported_) return;
  } else {
    focus_reported_ = true;
  }
  if (in_front_ == app) return;
  in_front_ = app;
  since_ = clock_.Now();
  decided_ = false;
}

std::optional<std::string> AppFollower::Due(const AppRules& rules, std::string_view selected_name) {
  if (decided_ || !in_front_ || clock_.Now() < since_ + kSettle) return std::nullopt;
  decided_ = true;
  auto profile = ProfileForApp(rules, *in_front_);
  if (profile && SameName(*profile, selected_name)) return std::nullopt;
  return profile;
}

std::optional<Clock::Ms> AppFollower::NextDeadline() const {
  if (decided_ || !in_front_) return std::nullopt;
  return since_ + kSettle;
}

void AppFollower::Reconsider() {
  if (in_front_) decided_ = false;
}

}  // namespace vexel
