// The NTRIP path's added latency: a caster on loopback (a plain TCP server
// answering "ICY 200 OK") sends a 200-byte RTCM 3 frame ten times a second;
// the window, connected to it through its NTRIP client with a virtual port
// open, writes the corrections to the port. Measured per frame: from the
// caster's write of its last byte to the receiver end's read of it. Printed:
// frames sent and received intact, the median, 99th percentile and largest
// latency. Exits 1 when a frame was lost or changed.
//
//   ntrip_latency [--seconds N]   (default 30)

#include "bench/window/WindowOnPort.h"
#include "protocol/Rtcm3Frame.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "window/app/MainForm.h"
#include "window/parts/NtripControl.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kFramesPerSecond = 10;
constexpr std::size_t kPayload = 194; // a 200-byte frame

std::string Frame(std::uint32_t number) {
    std::string payload(kPayload, '\0');
    payload[0] = 0x43; // message type 1077
    payload[1] = 0x50;
    std::memcpy(payload.data() + 2, &number, sizeof number);
    return protocol::BuildRtcm3Frame(payload);
}

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
} // namespace

int main(int argc, char** argv) {
    int seconds = 30;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds")
            seconds = std::max(1, std::atoi(argv[i + 1]));
    const int frames = seconds * kFramesPerSecond;
    UseOffscreenWithoutDisplay();
    ScratchEnvironment scratch;
    QApplication app(argc, argv);
    PtyPeer receiver;
    receiver.announce("COM7");
    TMainForm form;
    if (!ChoosePort(form, "COM7"))
        return 2;
    form.OpenPort();

    LoopbackSocket listener(SOCK_STREAM);
    const int port = listener.BindLoopback();
    listen(listener.fd(), 1);
    std::vector<Clock::time_point> sent(frames), received(frames);
    std::atomic<bool> done = false;
    std::thread caster([&] {
        LoopbackSocket client = listener.Accept();
        client.Read(1); // the request's first bytes
        client.SendAll("ICY 200 OK\r\n");
        auto next = Clock::now() + std::chrono::milliseconds(500);
        for (int n = 0; n < frames; ++n) {
            std::this_thread::sleep_until(next);
            client.SendAll(Frame(static_cast<std::uint32_t>(n)));
            sent[n] = Clock::now();
            next += std::chrono::milliseconds(1000 / kFramesPerSecond);
        }
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    int intact = 0;
    std::thread reader([&] {
        const std::size_t size = Frame(0).size();
        std::string line;
        char buffer[4096];
        for (int n = 0; n < frames;) {
            pollfd pfd{receiver.masterFd(), POLLIN, 0};
            if (poll(&pfd, 1, 5000) <= 0)
                break;
            const ssize_t got = ::read(receiver.masterFd(), buffer, sizeof buffer);
            if (got <= 0)
                break;
            const auto now = Clock::now();
            line.append(buffer, static_cast<std::size_t>(got));
            for (; line.size() >= size && n < frames; ++n) {
                received[n] = now;
                intact += line.compare(0, size, Frame(static_cast<std::uint32_t>(n))) == 0;
                line.erase(0, size);
            }
        }
        done = true;
    });

    auto* control = form.findChild<TNtripControl*>();
    control->Connect({"127.0.0.1", port, "", "", ntrip::Version::V1}, "BENCH");
    while (!done)
        QTest::qWait(50);
    caster.join();
    reader.join();

    std::vector<double> latency;
    for (int n = 0; n < frames; ++n)
        if (received[n] != Clock::time_point{})
            latency.push_back(Millis(received[n] - sent[n]));
    std::sort(latency.begin(), latency.end());
    std::printf("frames sent %d, received intact %d\n", frames, intact);
    if (!latency.empty())
        std::printf("latency caster -> receiver port: median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                    latency[latency.size() / 2], latency[latency.size() * 99 / 100],
                    latency.back());
    return intact == frames ? 0 : 1;
}
