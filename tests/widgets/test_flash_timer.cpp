// The flash service: tick counter bits, interval schedules, changes of the
// client list from inside a notification, the single-instance rule, and the
// worker thread's life (none while idle, safe destruction mid-hand-off).

#include "tests/widgets/FlashRecorder.h"
#include "tests/widgets/ManualFlashClock.h"
#include "widgets/FlashTimer.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <stdexcept>

Q_DECLARE_METATYPE(TFlashFreq)

namespace {

bool Bit(std::uint32_t counter, int bit) {
    return (counter >> bit) & 1u;
}

} // namespace

class TestFlashTimer : public QObject {
    Q_OBJECT
private slots:
    void noWorkerBeforeFirstClientNorAfterLast();
    void flashClientsHearOnlyBitChanges_data();
    void flashClientsHearOnlyBitChanges();
    void lampsOfOneFrequencyAreInPhase();
    void intervalClientsKeepTheirGrid_data();
    void intervalClientsKeepTheirGrid();
    void handlersMayChangeTheListMidWalk();
    void failingHandlerDoesNotStopTheOthers();
    void reRegistrationKeepsOneRecord();
    void destroyedClientIsDropped();
    void secondTimerStaysInert();
    void enabledAndOnTimerStartAndStopTheWorker();
    void destructionDropsATickHandedOver();
};

void TestFlashTimer::noWorkerBeforeFirstClientNorAfterLast() {
    QVERIFY(!SharedFlashTimer());
    FlashRecorder recorder;
    QThread* notifiedOn = nullptr;
    recorder.onTick = [&] { notifiedOn = QThread::currentThread(); };
    RegisterFlashClient(&recorder, FlashCode(ff8Hz));
    QVERIFY(SharedFlashTimer());
    QTRY_VERIFY_WITH_TIMEOUT(recorder.ticks.size() >= 2, 10000);
    QCOMPARE(notifiedOn, qApp->thread());

    UnregisterFlashClient(&recorder);
    QTRY_VERIFY_WITH_TIMEOUT(!SharedFlashTimer()->IsTicking(), 10000);
    const std::uint32_t counter = FlashCounter();
    QTest::qWait(100);
    QCOMPARE(FlashCounter(), counter);
}

void TestFlashTimer::flashClientsHearOnlyBitChanges_data() {
    QTest::addColumn<TFlashFreq>("frequency");
    QTest::addColumn<int>("bit");
    QTest::newRow("8 Hz") << ff8Hz << 2;
    QTest::newRow("4 Hz") << ff4Hz << 3;
    QTest::newRow("2 Hz") << ff2Hz << 4;
    QTest::newRow("1 Hz") << ff1Hz << 5;
    QTest::newRow("0.5 Hz") << ff05Hz << 6;
}

void TestFlashTimer::flashClientsHearOnlyBitChanges() {
    QFETCH(TFlashFreq, frequency);
    QFETCH(int, bit);
    ManualFlashClock clock;
    FlashRecorder recorder;
    RegisterFlashClient(&recorder, FlashCode(frequency));
    const int halfCycle = 1 << bit;
    for (int i = 0; i < 2 * halfCycle; ++i)
        clock.Tick();
    recorder.ticks.clear();

    for (int i = 0; i < 8 * halfCycle; ++i)
        clock.Tick();
    QCOMPARE(recorder.ticks.size(), std::size_t{8});
    for (const FlashRecorder::Tick& tick : recorder.ticks) {
        QCOMPARE(tick.counter % halfCycle, 0u);
        QCOMPARE(tick.param, Bit(tick.counter, bit) ? 1 : 0);
    }
    QCOMPARE_NE(recorder.ticks[0].param, recorder.ticks[1].param);
}

void TestFlashTimer::lampsOfOneFrequencyAreInPhase() {
    ManualFlashClock clock;
    FlashRecorder early, late;
    RegisterFlashClient(&early, FlashCode(ff1Hz));
    for (int i = 0; i < 37; ++i)
        clock.Tick();
    RegisterFlashClient(&late, FlashCode(ff1Hz));
    int switches = 0;
    for (int i = 0; i < 300; ++i) {
        const std::size_t before = late.ticks.size();
        clock.Tick();
        if (early.ticks.empty() || late.ticks.empty())
            continue;
        QCOMPARE(late.ticks.back().param, early.ticks.back().param);
        switches += late.ticks.size() != before;
    }
    QVERIFY(switches >= 8);
}

// Each row: tick times in ms after registration, and the expected
// notifications as (tick time, lateness) pairs.
using Times = QList<int>;

void TestFlashTimer::intervalClientsKeepTheirGrid_data() {
    QTest::addColumn<Times>("tickTimes");
    QTest::addColumn<Times>("firedAt");
    QTest::addColumn<Times>("lateness");

    Times every16;
    for (int t = 16; t <= 1008; t += 16)
        every16 << t;
    QTest::newRow("16 ms ticks, no drift")
        << every16 << Times{112, 208, 304, 400, 512, 608, 704, 800, 912, 1008}
        << Times{12, 8, 4, 0, 12, 8, 4, 0, 12, 8};
    QTest::newRow("a 30 ms late tick keeps the grid")
        << Times{99, 100, 199, 230, 299, 300} << Times{100, 230, 300} << Times{0, 30, 0};
    QTest::newRow("more than 1000 ms late restarts the grid")
        << Times{100, 1250, 1300, 1349, 1350} << Times{100, 1250, 1350} << Times{0, 0, 0};
    QTest::newRow("up to 1000 ms late catches up tick by tick")
        << Times{100, 1200, 1299, 1300, 1316} << Times{100, 1200, 1299, 1300, 1316}
        << Times{0, 1000, 999, 900, 816};
}

void TestFlashTimer::intervalClientsKeepTheirGrid() {
    QFETCH(Times, tickTimes);
    QFETCH(Times, firedAt);
    QFETCH(Times, lateness);
    ManualFlashClock clock;
    const std::uint64_t start = clock.now;
    FlashRecorder recorder;
    Times fired;
    recorder.onTick = [&] { fired << int(clock.now - start); };
    RegisterFlashClient(&recorder, 100);
    for (int t : tickTimes) {
        clock.now = start + t;
        RunFlashTick();
    }
    Times reported;
    for (const FlashRecorder::Tick& tick : recorder.ticks)
        reported << tick.param;
    QCOMPARE(fired, firedAt);
    QCOMPARE(reported, lateness);
}

void TestFlashTimer::handlersMayChangeTheListMidWalk() {
    ManualFlashClock clock;
    FlashRecorder first, second, third;
    auto* fourth = new FlashRecorder;
    for (FlashRecorder* r : {&first, &second, &third, fourth})
        RegisterFlashClient(r, 16);
    first.onTick = [&] { UnregisterFlashClient(&first); };
    second.onTick = [&] { delete fourth; };
    clock.Tick();
    QCOMPARE(first.ticks.size(), std::size_t{1});
    QCOMPARE(second.ticks.size(), std::size_t{1});
    QCOMPARE(third.ticks.size(), std::size_t{1});

    // The last client removes everyone, itself included.
    second.onTick = nullptr;
    third.onTick = [&] {
        UnregisterFlashClient(&second);
        UnregisterFlashClient(&third);
    };
    clock.Tick();
    clock.Tick();
    QCOMPARE(first.ticks.size(), std::size_t{1});
    QCOMPARE(second.ticks.size(), std::size_t{2});
    QCOMPARE(third.ticks.size(), std::size_t{2});
    QVERIFY(!IsFlashClient(&second) && !IsFlashClient(&third));
}

void TestFlashTimer::failingHandlerDoesNotStopTheOthers() {
    ManualFlashClock clock;
    FlashRecorder faulty, healthy;
    faulty.onTick = [] { throw std::runtime_error("handler failed"); };
    RegisterFlashClient(&faulty, 16);
    RegisterFlashClient(&healthy, 16);
    clock.Tick();
    clock.Tick();
    QCOMPARE(faulty.ticks.size(), std::size_t{2});
    QCOMPARE(healthy.ticks.size(), std::size_t{2});
}

void TestFlashTimer::reRegistrationKeepsOneRecord() {
    ManualFlashClock clock;
    FlashRecorder recorder;
    RegisterFlashClient(&recorder, 100);
    clock.now += 60;
    RegisterFlashClient(&recorder, 250); // restarts the schedule from now
    clock.Tick(100);
    clock.Tick(100);
    QVERIFY(recorder.ticks.empty());
    clock.Tick(50);
    QCOMPARE(recorder.ticks.size(), std::size_t{1});

    FlashRecorder everyTick;
    RegisterFlashClient(&everyTick, 16);
    RegisterFlashClient(&everyTick, 16);
    RegisterFlashClient(nullptr, 16);
    clock.Tick();
    QCOMPARE(everyTick.ticks.size(), std::size_t{1});

    UnregisterFlashClient(&everyTick);
    UnregisterFlashClient(&everyTick); // no longer registered: nothing happens
    QVERIFY(!IsFlashClient(&everyTick));
}

void TestFlashTimer::destroyedClientIsDropped() {
    ManualFlashClock clock;
    FlashRecorder survivor;
    RegisterFlashClient(&survivor, 16);
    auto* careless = new QObject; // never unregisters itself
    RegisterFlashClient(careless, 16);
    delete careless;
    clock.Tick();
    QVERIFY(!IsFlashClient(careless));
    QCOMPARE(survivor.ticks.size(), std::size_t{1});
}

void TestFlashTimer::secondTimerStaysInert() {
    FlashRecorder recorder;
    RegisterFlashClient(&recorder, FlashCode(ff8Hz));
    QString title, text;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    closer.start(10);
    auto second = std::make_unique<TFlashTimer>();
    closer.stop();
    QCOMPARE(title, QStringLiteral("Error Message"));
    QCOMPARE(text, QStringLiteral("Only one TFlashTimer per Application!\rRemove it..."));
    QVERIFY(!second->IsTicking());

    second.reset();
    const std::size_t before = recorder.ticks.size();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.ticks.size() >= before + 2, 10000);
    UnregisterFlashClient(&recorder);
}

void TestFlashTimer::enabledAndOnTimerStartAndStopTheWorker() {
    TFlashBase base;
    QVERIFY(!base.IsTicking());
    int ticks = 0;
    base.SetOnTimer([&](QObject* sender) {
        QCOMPARE(sender, &base);
        ++ticks;
    });
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 10000);

    base.SetEnabled(false);
    QTRY_VERIFY_WITH_TIMEOUT(!base.IsTicking(), 10000);
    base.SetEnabled(true);
    base.SetThreadPriority(tpLower);
    const int resumedAt = ticks;
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= resumedAt + 2, 10000);

    base.SetOnTimer(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!base.IsTicking(), 10000);
}

void TestFlashTimer::destructionDropsATickHandedOver() {
    for (int round = 0; round < 3; ++round) {
        int ticks = 0;
        auto base = std::make_unique<TFlashBase>();
        base->SetOnTimer([&](QObject*) { ++ticks; });
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 1, 10000);
        // Keep the GUI thread busy so that the worker hands a tick over and
        // waits for it; destruction must neither hang nor run that tick.
        QThread::msleep(100);
        const int before = ticks;
        base.reset();
        QCoreApplication::processEvents();
        QCOMPARE(ticks, before);
    }
}

QTEST_MAIN(TestFlashTimer)
#include "test_flash_timer.moc"
