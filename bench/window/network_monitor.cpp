// The window on a network source under a fast stream: a peer on 127.0.0.1
// (a thread with a plain socket) sends the counting pattern at 10 MB/s for
// --seconds (10 by default), first to a plain poll-and-read loop, then to
// the window with tcp://127.0.0.1:PORT open in its ASCII view (the view it
// starts in) at its own Delay, the benchmark checking every chunk before the
// window takes it. TCP holds the peer back rather than losing bytes, so every
// byte sent must reach the window, in order. Prints per reader the bytes sent
// and delivered, the rate and the process CPU (less the peer's) against the
// plain loop's in the same run; exits 1 when a byte was lost or reordered.
//
//   network_monitor [--seconds N]

#include "bench/serial/NetworkBench.h"
#include "bench/window/WindowOnPort.h"
#include "tests/support/LossyWriter.h"
#include "tests/support/ScratchEnvironment.h"
#include "window/app/MainForm.h"

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <optional>

namespace {
constexpr std::size_t kRate = 10'000'000;
constexpr int kAsciiView = 0;

StreamOutcome Window(TMainForm& form, std::chrono::seconds duration) {
    PatternCheck check;
    std::optional<PortOpenInView> open;
    const StreamOutcome outcome = StreamToReader(
        kRate, duration,
        [&](int port) {
            form.ChoosePort(QString("tcp://127.0.0.1:%1").arg(port));
            open.emplace(form, kAsciiView,
                         [&](const std::string& chunk) { check.Take(chunk.data(), chunk.size()); });
        },
        check, [] { QTest::qWait(10); });
    open.reset();
    return outcome;
}
} // namespace

int main(int argc, char** argv) {
    const auto seconds = StreamSeconds(argc, argv, "network_monitor");
    if (!seconds)
        return 2;
    UseOffscreenWithoutDisplay();
    ScratchEnvironment scratch;
    QApplication application(argc, argv);
    TMainForm form;
    form.show();

    std::printf("A TCP peer on 127.0.0.1 sending %.0f MB/s for %d s into each reader:\n",
                kRate / 1e6, static_cast<int>(seconds->count()));
    const StreamOutcome plain = StreamToPlainReader(kRate, *seconds);
    PrintStreamOutcome("plain read loop", plain, plain);
    const StreamOutcome window = Window(form, *seconds);
    PrintStreamOutcome("ZEPO Monitor", window, plain);
    const bool passed = plain.Complete() && window.Complete();
    std::printf("%s\n", passed ? "PASS: no byte lost" : "FAIL");
    return passed ? 0 : 1;
}
