// The line's load on a clock the test moves: a line filled to 90 % of what
// its baud rate and character frame carry for 3 s running is said, and so
// is a type whose asked rate is not met; each clears 3 s after it is gone.
// The rates asked follow the settled CFG-MSG, CFG-RATE and CFG-CFG commands
// and the rate keys of CFG-VALSET.

#include "protocol/commands/CommandTracker.h"
#include "protocol/commands/DatabaseSettings.h"
#include "protocol/commands/UbxCommands.h"
#include "window/parts/AskedRates.h"
#include "window/parts/LineLoad.h"

#include <QTest>

namespace {
using namespace std::chrono_literals;
using Clock = TLineLoad::Clock;

const QString Full9600 = "9600 baud is full: the receiver cannot send everything it is asked to; "
                         "raise the baud rate or lower message rates";

// Reads ten times a second at bytesPerSecond, from `from` for `duration`.
Clock::time_point Read(TLineLoad& load, Clock::time_point from, Clock::duration duration,
                       int bytesPerSecond) {
    for (auto at = from; at < from + duration; at += 100ms)
        load.Received(static_cast<std::size_t>(bytesPerSecond / 10), at);
    return from + duration;
}

ubx::TCommandOutcome Outcome(ubx::TAnswerKind kind) {
    ubx::TCommandOutcome outcome;
    outcome.kind = kind;
    return outcome;
}
} // namespace

class TestLineLoad : public QObject {
    Q_OBJECT
    // On a whole second, as the seconds are counted.
    const Clock::time_point start_ = Clock::time_point(100s);

private slots:
    void fullLine_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<double>("bits");
        QTest::addColumn<int>("bytesPerSecond");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("said");
        QTest::newRow("9600 8N1 at its whole rate for 3 s") << 9600 << 10.0 << 960 << 3 << true;
        QTest::newRow("9600 8N1 at 91 %") << 9600 << 10.0 << 870 << 5 << true;
        QTest::newRow("9600 8N1 at 88 %") << 9600 << 10.0 << 850 << 10 << false;
        QTest::newRow("9600 8N1 full for 2 s only") << 9600 << 10.0 << 960 << 2 << false;
        QTest::newRow("9600 8E1 at 92 % of its 11-bit frame") << 9600 << 11.0 << 800 << 5 << true;
        QTest::newRow("the same bytes on 8N1: 83 %") << 9600 << 10.0 << 800 << 5 << false;
        QTest::newRow("115200 at 960 bytes a second") << 115200 << 10.0 << 960 << 5 << false;
        QTest::newRow("far past 9600: no such line (USB)") << 9600 << 10.0 << 5000 << 5 << false;
    }
    void fullLine() {
        QFETCH(int, baud);
        QFETCH(double, bits);
        QFETCH(int, bytesPerSecond);
        QFETCH(int, seconds);
        QFETCH(bool, said);
        TLineLoad load;
        load.Restart(start_);
        load.SetLine(baud, bits, 1s);
        const auto end = Read(load, start_, std::chrono::seconds(seconds), bytesPerSecond);
        // By now every read before `end` has been handed over.
        load.Measure({}, end + 2s);
        QCOMPARE(load.Warnings(), said ? QStringList{Full9600} : QStringList{});
    }

    void fullLineClearsThreeSecondsAfter() {
        TLineLoad load;
        load.Restart(start_);
        load.SetLine(9600, 10, 1s);
        auto at = Read(load, start_, 5s, 960);
        at = Read(load, at, 2500ms, 300);
        QCOMPARE(load.Warnings(), QStringList{Full9600});
        at = Read(load, at, 1s, 300);
        QCOMPARE(load.Warnings(), QStringList{});
        // Reads that stop altogether: the quiet seconds count once the port
        // must have handed over whatever came in them.
        at = Read(load, at, 4s, 960);
        QCOMPARE(load.Warnings(), QStringList{Full9600});
        load.Measure({}, at + 2s + 3s);
        QCOMPARE(load.Warnings(), QStringList{});
    }

    void slowType_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<double>("askedHz");
        QTest::addColumn<QString>("row");
        QTest::addColumn<double>("measuredHz");
        QTest::addColumn<QString>("said");
        QTest::newRow("NAV-PVT 5 Hz met") << "NAV-PVT" << 5.0 << "NAV-PVT" << 5.0 << "";
        QTest::newRow("NAV-PVT 5 Hz, 1.8 come")
            << "NAV-PVT" << 5.0 << "NAV-PVT" << 1.8
            << "NAV-PVT arrives at 1.8 Hz though 5.0 Hz was asked for: the receiver cannot send "
               "it that often";
        QTest::newRow("GGA 1 Hz, one fewer in the rate window")
            << "GGA" << 1.0 << "GPGGA" << 0.8 << "";
        QTest::newRow("GGA 1 Hz from any talker, 0.4 come")
            << "GGA" << 1.0 << "GNGGA" << 0.4
            << "GGA arrives at 0.4 Hz though 1.0 Hz was asked for: the receiver cannot send it "
               "that often";
        QTest::newRow("every fifth second: too rare to judge")
            << "GGA" << 0.2 << "GPGGA" << 0.0 << "";
    }
    void slowType() {
        QFETCH(QString, asked);
        QFETCH(double, askedHz);
        QFETCH(QString, row);
        QFETCH(double, measuredHz);
        QFETCH(QString, said);
        TLineLoad load;
        load.Restart(start_);
        load.SetLine(115200, 10, 1s);
        load.SetAsked({{asked.toStdString(), askedHz}}, start_);
        const std::vector<TMessageTypeRow> rows = {{row.toStdString(), 100, measuredHz, 0, 0}};
        auto at = start_;
        const auto measureUntil = [&](Clock::time_point end) {
            for (; at < end; at += 100ms) {
                load.Received(100, at);
                load.Measure(rows, at);
            }
        };
        // The rates need a whole window after the ask, then the warning 3 s.
        measureUntil(start_ + 7s);
        QCOMPARE(load.Warnings(), QStringList{});
        measureUntil(start_ + 11s);
        QCOMPARE(load.Warnings(), said.isEmpty() ? QStringList{} : QStringList{said});
        // A silent line is another matter: the warning goes.
        load.Measure(rows, at + 10s);
        load.Measure(rows, at + 14s);
        QCOMPARE(load.Warnings(), QStringList{});
    }

    void askedRatesFollowSettledCommands() {
        TAskedRates asked;
        const auto acked = Outcome(ubx::TAnswerKind::Acknowledged);
        ubx::TCfgMsg pvt{0x01, 0x07, {}};
        pvt.rates[1] = 1; // UART1
        QVERIFY(!asked.Settled(ubx::CfgMsgSet(pvt), Outcome(ubx::TAnswerKind::Rejected)));
        QVERIFY(asked.Settled(ubx::CfgMsgSet(pvt), acked));
        QCOMPARE(asked.Hz(), (std::map<std::string, double>{{"NAV-PVT", 1.0}}));
        QVERIFY(asked.Settled(ubx::CfgRateSet({200, 1, 1}), acked));
        // The short form: every second solution on the port it arrives on.
        QVERIFY(
            asked.Settled(MakeUbxPacket(ubx::kClassCfg, ubx::kIdCfgMsg, {0xF0, 0x00, 2}), acked));
        QCOMPARE(asked.Hz(), (std::map<std::string, double>{{"GGA", 2.5}, {"NAV-PVT", 5.0}}));
        // A polled CFG-RATE tells the period too.
        auto answered = Outcome(ubx::TAnswerKind::Answered);
        answered.answerClass = ubx::kClassCfg;
        answered.answerId = ubx::kIdCfgRate;
        answered.answer = ubx::CfgRateSet({500, 2, 1}).PayLoad;
        QVERIFY(asked.Settled(ubx::CfgRatePoll(), answered));
        QCOMPARE(asked.Hz(), (std::map<std::string, double>{{"GGA", 0.5}, {"NAV-PVT", 1.0}}));
        pvt.rates[1] = 0;
        QVERIFY(asked.Settled(ubx::CfgMsgSet(pvt), acked));
        QVERIFY(!asked.Settled(ubx::CfgCfg(ubx::TCfgAction::Save), acked));
        QVERIFY(asked.Settled(ubx::CfgCfg(ubx::TCfgAction::Default), acked));
        QVERIFY(asked.Hz().empty());

        // The same through the configuration database: rates set in RAM count,
        // those stored only in flash do not.
        QVERIFY(!asked.Settled(ubx::MessageRateValSet("GGA", {0, 1}),
                               Outcome(ubx::TAnswerKind::NoAnswer)));
        QVERIFY(asked.Settled(ubx::MessageRateValSet("GGA", {0, 1}), acked));
        QVERIFY(asked.Settled(ubx::RateValSet({250, 2, 1}), acked));
        QCOMPARE(asked.Hz(), (std::map<std::string, double>{{"GGA", 2.0}}));
        const ubx::TConfigValue gsvInFlash[] = {{ubx::MessageRateKeys("GSV")[1], 1}};
        QVERIFY(!asked.Settled(ubx::CfgValSet(ubx::kLayerFlash, gsvInFlash), acked));
        answered.answerId = ubx::kIdCfgValGet;
        answered.answer = ubx::CfgValGetAnswer({.values = {{ubx::ConfigKeyId("CFG-RATE-MEAS"), 100},
                                                           {ubx::ConfigKeyId("CFG-RATE-NAV"), 1}}})
                              .PayLoad;
        QVERIFY(asked.Settled(ubx::RateValGet(), answered));
        QCOMPARE(asked.Hz(), (std::map<std::string, double>{{"GGA", 10.0}}));
    }
};

QTEST_GUILESS_MAIN(TestLineLoad)
#include "test_line_load.moc"
