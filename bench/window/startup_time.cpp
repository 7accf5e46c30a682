// Start-up time of the monitor beside a plain Qt window with one tab widget:
// from the start of the process (fork and exec) to its window being mapped
// on the X display, as the X server reports it. The two are started in turn,
// ten times each, each with a fresh configuration; printed: the median of
// each and their ratio, as this shared machine makes single runs noisy.
// Needs an X display: run it under xvfb-run.
//
//   startup_time MONITOR PLAIN_WINDOW [--runs N]

#include "tests/support/ScratchEnvironment.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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

// Milliseconds from fork to the program's window mapped; nothing on failure.
std::optional<double> StartUp(MapWatch& watch, const std::string& program) {
    const ScratchEnvironment scratch; // no stored settings, no announced ports
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const bool mapped = child > 0 && watch.WaitForMap(start + kGiveUp);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    return mapped ? std::optional(ms) : std::nullopt;
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
    std::vector<double> monitor, plain;
    for (int run = 0; run < runs; ++run)
        for (auto [program, times] : {std::pair{argv[1], &monitor}, std::pair{argv[2], &plain}}) {
            const std::optional<double> ms = StartUp(watch, program);
            if (!ms) {
                std::fprintf(stderr, "startup_time: %s showed no window\n", program);
                return 1;
            }
            times->push_back(*ms);
        }
    const double monitorMs = Median(monitor), plainMs = Median(plain);
    std::printf("Start-up to a mapped window, median of %d runs each\n", runs);
    std::printf("  monitor            %8.1f ms\n", monitorMs);
    std::printf("  plain tab window   %8.1f ms\n", plainMs);
    std::printf("  ratio              %8.2f\n", monitorMs / plainMs);
    return 0;
}
