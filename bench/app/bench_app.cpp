// UI-thread stalls of the real program path: CMainWnd on the Qt toolkit (run
// it under Xvfb) with the driver libraries talking to vexel-mouse-sim. A 1 ms
// timer on the UI thread measures how late the event loop comes back to it
// while (a) a full apply runs over the receiver, (b) the mouse reports 20 DPI
// presses in a second, (c) the receiver is unplugged and plugged in again.
// Prints the largest stall and the 99th percentile of each scenario, and the
// same for the time the UI thread itself ran inside those gaps: on a loaded
// machine a gap can be longer than the work done in it.
// Usage: bench_app [--synchronous] [ROUNDS]
//   --synchronous: saves on the UI thread and arrival waits that sleep, for
//   comparison with the way the program runs.
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_wnd.h"
#include "drivers/sim_process.h"
#include "messages/app_messages.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "support/run_command.h"
#include "toolkit/qt/qt_toolkit.h"

namespace vexel {
namespace {

using std::chrono::milliseconds;
using Steady = std::chrono::steady_clock;

// The calling thread's time on a CPU and waiting for one, from the kernel's
// scheduler statistics.
struct SchedTimes {
  double cpu_ms = 0;
  double runnable_ms = 0;
};

SchedTimes ThreadSchedTimes() {
  SchedTimes times;
  if (std::FILE* file = std::fopen("/proc/thread-self/schedstat", "r")) {
    unsigned long long cpu_ns = 0;
    unsigned long long wait_ns = 0;
    if (std::fscanf(file, "%llu %llu", &cpu_ns, &wait_ns) == 2) {
      times = {static_cast<double>(cpu_ns) / 1e6, static_cast<double>(wait_ns) / 1e6};
    }
    std::fclose(file);
  }
  return times;
}

// One late tick: how long the loop was away (wall time), how much of that the
// UI thread ran, and how much it was ready to run but waited for a CPU that
// other processes held. The rest it was blocked (a lock, the X server, I/O).
struct Stall {
  double wall_ms;
  double cpu_ms;
  double runnable_ms;
  double Blocked() const { return std::max(0.0, wall_ms + 1.0 - cpu_ms - runnable_ms); }
};

// Lateness of a 1 ms timer on the UI thread, kept per scenario.
class StallProbe {
 public:
  static constexpr int kNoScenario = -1;

  explicit StallProbe(int scenarios) : samples_(static_cast<std::size_t>(scenarios)) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    clock_.start();
    timer_.start();
  }
  void SetScenario(int scenario) { scenario_ = scenario; }
  std::vector<Stall> Samples(int scenario) {
    std::lock_guard lock(mutex_);
    return samples_[static_cast<std::size_t>(scenario)];
  }

 private:
  void Tick() {
    const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    const SchedTimes times = ThreadSchedTimes();
    const int scenario = scenario_;
    if (scenario != kNoScenario && last_ms_ >= 0) {
      std::lock_guard lock(mutex_);
      samples_[static_cast<std::size_t>(scenario)].push_back(
          {std::max(0.0, now - last_ms_ - 1.0), times.cpu_ms - last_.cpu_ms,
           times.runnable_ms - last_.runnable_ms});
    }
    last_ms_ = now;
    last_ = times;
  }

  QTimer timer_;
  QElapsedTimer clock_;
  double last_ms_ = -1;
  SchedTimes last_;
  std::atomic<int> scenario_{kNoScenario};
  std::mutex mutex_;
  std::vector<std::vector<Stall>> samples_;
};

void RunOnUiThread(std::function<void()> work) {
  QMetaObject::invokeMethod(qApp, std::move(work), Qt::BlockingQueuedConnection);
}

bool WaitFor(const std::function<bool()>& done, milliseconds limit) {
  const auto end = Steady::now() + limit;
  while (!done()) {
    if (Steady::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return true;
}

struct Scenario {
  const char* name;
  std::function<void()> run;  // on the driving thread
};

struct Figures {
  double max;
  double p99;
};

Figures MaxAndP99(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values.back(), values[std::min(values.size() - 1, values.size() * 99 / 100)]};
}

void Report(const char* name, const std::vector<Stall>& stalls) {
  if (stalls.empty()) {
    std::printf("%-34s no samples\n", name);
    return;
  }
  std::vector<double> wall;
  std::vector<double> cpu;
  std::vector<double> blocked;
  for (const Stall& stall : stalls) {
    wall.push_back(stall.wall_ms);
    cpu.push_back(stall.cpu_ms);
    blocked.push_back(stall.Blocked());
  }
  const Figures w = MaxAndP99(wall);
  const Figures c = MaxAndP99(cpu);
  const Figures b = MaxAndP99(blocked);
  // The longest stall, taken apart.
  const Stall& worst =
      *std::max_element(stalls.begin(), stalls.end(),
                        [](const Stall& a, const Stall& b) { return a.wall_ms < b.wall_ms; });
  std::printf("%s\n", name);
  std::printf("  stall    max %7.2f ms  p99 %5.2f ms  (%zu ticks)\n", w.max, w.p99, stalls.size());
  std::printf("  running  max %7.2f ms  p99 %5.2f ms  (the UI thread's own work in a gap)\n", c.max,
              c.p99);
  std::printf("  blocked  max %7.2f ms  p99 %5.2f ms  (neither running nor waiting for a CPU)\n",
              b.max, b.p99);
  std::printf("  longest: %.2f ms running, %.2f ms waiting for a CPU, %.2f ms blocked\n",
              worst.cpu_ms, worst.runnable_ms, worst.Blocked());
}

}  // namespace
}  // namespace vexel

int main(int argc, char** argv) {
  using namespace vexel;
  bool synchronous = false;
  int rounds = 3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--synchronous") == 0) {
      synchronous = true;
    } else {
      rounds = std::max(1, std::atoi(argv[i]));
    }
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QApplication application(argc, argv);
  test::SimProcess sim;
  if (!sim.ready()) {
    std::fprintf(stderr, "bench_app: vexel-mouse-sim does not answer\n");
    return 1;
  }
  ::setenv("VEXEL_VIRTUAL_MOUSE", sim.socket().c_str(), 1);
  sim.Ctl("unplug wired");  // the receiver carries everything

  testing::TempDir data;
  SteadyClock clock;
  DlLibraryLoader libraries;
  HidapiProbe hid_probe;
  toolkit::qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder(std::string(VEXEL_BIN_DIR) + "/res");
  PageServices services{clock, libraries, hid_probe, VEXEL_BIN_DIR, StorePaths{data.path()}, {}};
  services.message_box = [](std::string_view, std::string_view, std::string_view) { return 0; };
  auto window = std::make_unique<CMainWnd>(toolkit, std::move(services));
  if (synchronous) {
    window->SetBackgroundSaves(false);
    window->page().session().SetArrivalTimer(nullptr);
  }
  if (!window->Create(nullptr, {.visible = false})) {
    std::fprintf(stderr, "bench_app: cannot load the skin\n");
    return 2;
  }
  window->Show();
  DeviceSession& session = window->page().session();

  const std::vector<Scenario> scenarios = {
      {"idle (for reference)", [] { std::this_thread::sleep_for(milliseconds(1000)); }},
      {"(a) full apply over the receiver",
       [&] {
         protocol::ApplyWorker* worker = session.worker();
         const uint64_t before = worker->ProcessedCount();
         RunOnUiThread([&] {
           session.SetFullApplyPending(true);
           window->PostMessage(kMsgApplyRequest);
         });
         WaitFor([&] { return worker->ProcessedCount() > before && worker->IsIdle(); },
                 milliseconds(120000));
       }},
      {"(b) 20 DPI presses in a second",
       [&] {
         const auto start = Steady::now();
         for (int press = 0; press < 20; ++press) {
           std::this_thread::sleep_until(start + milliseconds(50 * press));
           sim.Ctl("press-dpi");
         }
         std::this_thread::sleep_for(milliseconds(500));
       }},
      {"(c) receiver unplugged and back",
       [&] {
         sim.Ctl("unplug receiver");
         std::this_thread::sleep_for(milliseconds(500));
         sim.Ctl("plug receiver");
         // The arrival wait, the device opening and the first battery report.
         std::this_thread::sleep_for(milliseconds(3000));
       }},
  };

  StallProbe probe(static_cast<int>(scenarios.size()));
  bool ready = false;
  std::thread driver([&] {
    // The receiver's first battery report wakes the link.
    ready = WaitFor([&] { return session.links().wireless_ready.load(); }, milliseconds(15000));
    if (ready) {
      for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < scenarios.size(); ++i) {
          std::fprintf(stderr, "round %d: %s\n", round + 1, scenarios[i].name);
          probe.SetScenario(static_cast<int>(i));
          scenarios[i].run();
          probe.SetScenario(StallProbe::kNoScenario);
          std::this_thread::sleep_for(milliseconds(300));
        }
      }
    }
    // exit, not quit: quit asks the windows to close, and the main window
    // only hides.
    QMetaObject::invokeMethod(
        qApp, [] { QApplication::exit(0); }, Qt::QueuedConnection);
  });
  QApplication::exec();
  driver.join();
  if (!ready) {
    std::fprintf(stderr, "bench_app: the receiver never reported its battery\n");
    return 3;
  }
  std::printf("UI-thread stalls, %d rounds, %s:\n", rounds,
              synchronous ? "saves and arrival waits on the UI thread" : "as the program runs");
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    Report(scenarios[i].name, probe.Samples(static_cast<int>(i)));
  }
  std::printf("receiver after (c): %s\n",
              session.links().wireless_link == 1 ? "open again" : "NOT open");
  window.reset();
  return 0;
}
