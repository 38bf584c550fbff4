#include "toolkit/timer_schedule.h"

#include <algorithm>
#include <vector>

namespace vexel::toolkit {

void TimerSchedule::Set(const void* owner, uint32_t id, int period_ms, Fire fire) {
  const Clock::Ms period(std::max(period_ms, 1));
  timers_[{owner, id}] = Entry{clock_.Now() + period, period, next_generation_++, std::move(fire)};
  Changed();
}

void TimerSchedule::Kill(const void* owner, uint32_t id) {
  if (timers_.erase({owner, id}) > 0) Changed();
}

void TimerSchedule::KillAll(const void* owner) {
  const auto first = timers_.lower_bound({owner, 0});
  auto last = first;
  while (last != timers_.end() && last->first.first == owner) ++last;
  if (first == last) return;
  timers_.erase(first, last);
  Changed();
}

bool TimerSchedule::IsSet(const void* owner, uint32_t id) const {
  return timers_.contains({owner, id});
}

int TimerSchedule::RunDue() {
  const Clock::Ms now = clock_.Now();
  struct Due {
    Key key;
    Clock::Ms due;
    uint64_t generation;
  };
  std::vector<Due> due;
  for (const auto& [key, entry] : timers_) {
    if (entry.due <= now) due.push_back({key, entry.due, entry.generation});
  }
  std::stable_sort(due.begin(), due.end(),
                   [](const Due& a, const Due& b) { return a.due < b.due; });
  int fired = 0;
  for (const Due& d : due) {
    auto it = timers_.find(d.key);
    // Killed or restarted by an earlier callback of this pass.
    if (it == timers_.end() || it->second.generation != d.generation) continue;
    it->second.due = now + it->second.period;
    Fire fire = it->second.fire;  // the callback may kill its own timer
    fire();
    ++fired;
  }
  if (fired > 0) Changed();
  return fired;
}

std::optional<Clock::Ms> TimerSchedule::NextDue() const {
  std::optional<Clock::Ms> next;
  for (const auto& [key, entry] : timers_) {
    if (!next || entry.due < *next) next = entry.due;
  }
  return next;
}

}  // namespace vexel::toolkit
