// The flash service at program end: the application goes away while the
// worker ticks and a client is still registered. The timer must stop without
// hanging, and clients that outlive the application must neither crash nor
// bring a new timer to life.

#include "tests/widgets/FlashRecorder.h"
#include "widgets/FlashTimer.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cstdio>
#include <memory>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "FAIL: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    auto app = std::make_unique<QApplication>(argc, argv);
    auto survivor = std::make_unique<FlashRecorder>();
    RegisterFlashClient(survivor.get(), FlashCode(ff8Hz));

    const std::uint32_t start = FlashCounter();
    QDeadlineTimer deadline(10000);
    while (FlashCounter() < start + 3 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (FlashCounter() < start + 3)
        return Fail("the worker did not tick");

    QThread::msleep(50); // leaves a tick waiting to be run
    const std::uint32_t atShutdown = FlashCounter();
    app.reset();
    if (SharedFlashTimer())
        return Fail("the timer outlived the application");
    if (FlashCounter() != atShutdown)
        return Fail("a tick ran during shutdown");

    FlashRecorder late;
    RegisterFlashClient(&late, 100);
    if (SharedFlashTimer())
        return Fail("a registration after shutdown created a timer");
    survivor.reset();
    UnregisterFlashClient(&late);
    std::puts("PASS");
    return 0;
}
