// Start-up time of the monitor beside a plain Qt window with one tab widget:
// from the start of the process (fork and exec) to its window being mapped
// on the X display, as the X server reports it, and the processor time the
// process had used by then (all its threads). The two are started in turn,
// ten times each, each with a fresh configuration; printed: the medians of
// each and their ratios, as this shared machine makes single runs noisy (the
// processor time less so than the wall clock).
// Needs an X display: run it under xvfb-run.
//
//   startup_time MONITOR PLAIN_WINDOW [--runs N]

#include "tests/support/ScratchEnvironment.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kGiveUp = std::chrono::seconds(30);

// Watches the display's top-level windows being mapped.
class MapWatch {
public:
    MapWatch() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_))
            return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~MapWatch() { xcb_disconnect(connection_); }
    bool Usable() const { return root_ != 0; }

    // Waits for the next window mapped on the root; false when none came in time.
    bool WaitForMap(Clock::time_point deadline) {
        while (Clock::now() < deadline) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(
                xcb_poll_for_event(connection_), &std::free);
            if (!event) {
                if (xcb_connection_has_error(connection_))
                    return false;
                usleep(200);
                continue;
            }
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY)
                return true;
        }
        return false;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

// Processor time of all the process's threads so far, in milliseconds.
double ProcessorMs(pid_t process) {
    double ns = 0;
    const std::string tasks = "/proc/" + std::to_string(process) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double onCpu = 0;
        if (schedstat >> onCpu)
            ns += onCpu;
    }
    return ns / 1e6;
}

struct StartTimes {
    double wallMs;
    double processorMs;
};

// From fork to the program's window mapped; nothing on failure.
std::optional<StartTimes> StartUp(MapWatch& watch, const std::string& program) {
    const ScratchEnvironment scratch; // no stored settings, no announced ports
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const bool mapped = child > 0 && watch.WaitForMap(start + kGiveUp);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::optional<StartTimes> times;
    if (child > 0) {
        kill(child, SIGSTOP);
        if (mapped)
            times = StartTimes{ms, ProcessorMs(child)};
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    return times;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    int runs = 10;
    if (argc == 5 && std::string(argv[3]) == "--runs")
        runs = std::max(1, std::atoi(argv[4]));
    else if (argc != 3) {
        std::fprintf(stderr, "Usage: startup_time MONITOR PLAIN_WINDOW [--runs N]\n");
        return 2;
    }
    MapWatch watch;
    if (!watch.Usable()) {
        std::fprintf(stderr, "startup_time: no X display (run it under xvfb-run)\n");
        return 2;
    }
    std::vector<StartTimes> monitor, plain;
    for (int run = 0; run < runs; ++run)
        for (auto [program, times] : {std::pair{argv[1], &monitor}, std::pair{argv[2], &plain}}) {
            const std::optional<StartTimes> started = StartUp(watch, program);
            if (!started) {
                std::fprintf(stderr, "startup_time: %s showed no window\n", program);
                return 1;
            }
            times->push_back(*started);
        }
    const auto median = [](const std::vector<StartTimes>& runs, double StartTimes::*field) {
        std::vector<double> values;
        for (const StartTimes& run : runs)
            values.push_back(run.*field);
        return Median(values);
    };
    std::printf("Start-up to a mapped window, median of %d runs each\n", runs);
    std::printf("%-18s %12s %16s\n", "", "wall ms", "processor ms");
    for (auto [name, times] :
         {std::pair{"monitor", &monitor}, std::pair{"plain tab window", &plain}})
        std::printf("%-18s %12.1f %16.1f\n", name, median(*times, &StartTimes::wallMs),
                    median(*times, &StartTimes::processorMs));
    std::printf("%-18s %12.2f %16.2f\n", "ratio",
                median(monitor, &StartTimes::wallMs) / median(plain, &StartTimes::wallMs),
                median(monitor, &StartTimes::processorMs) /
                    median(plain, &StartTimes::processorMs));
    return 0;
}
