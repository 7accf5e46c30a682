// The Receiver and Messages pages: how positions and bytes are written, stale
// values greyed out after three seconds, the message list's bound; the feed
// that frames the port once for the pages and the answer side.

#include "tests/protocol/StreamBytes.h"
#include "tests/support/NamedControl.h"
#include "widgets/ValuePanel.h"
#include "window/blocks/HexDump.h"
#include "window/blocks/PositionText.h"
#include "window/pages/MessageListModel.h"
#include "window/pages/MessageText.h"
#include "window/pages/MessagesPage.h"
#include "window/pages/ReceiverPage.h"
#include "window/parts/ReceiverFeed.h"

#include <QtTest>

Q_DECLARE_METATYPE(TAngleStyle)

class TestReceiverPages : public QObject {
    Q_OBJECT
private slots:
    void positionText_data();
    void positionText();
    void hexDumpShowsBytesBesideAscii();
    void valuesGoStaleAfterThreeSeconds();
    void messageListKeepsTheNewestWithinItsBound();
    void feedFramesOnceForPagesAndAnswers();
    void moreUsedThanInViewIsNotShownAsCurrent();
    void rtkLineShowsTheStateBaselineAndRtcmTakenIn();
};

void TestReceiverPages::positionText_data() {
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<TAngleStyle>("style");
    QTest::addColumn<QString>("expectedLatitude");
    QTest::addColumn<QString>("expectedLongitude");
    const auto decimal = TAngleStyle::Decimal, dms = TAngleStyle::DegreesMinutesSeconds;
    QTest::newRow("UBX resolution") << 47.2851463 << 8.5652871 << 7 << decimal << "47.2851463° N"
                                    << "8.5652871° E";
    QTest::newRow("south and west")
        << -33.8688197 << -151.2092955 << 7 << decimal << "33.8688197° S"
        << "151.2092955° W";
    QTest::newRow("NMEA 4 minute places") << 48.1173 << 11.5166667 << 6 << decimal << "48.117300° N"
                                          << "11.516667° E";
    QTest::newRow("seconds") << 47.2851463 << -8.5652871 << 7 << dms << "47° 17' 06.527\" N"
                             << "8° 33' 55.034\" W";
    QTest::newRow("seconds round up to a whole minute")
        << 10.99999999 << 0.0 << 7 << dms << "11° 00' 00.000\" N"
        << "0° 00' 00.000\" E";
}

void TestReceiverPages::positionText() {
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(int, decimals);
    QFETCH(TAngleStyle, style);
    QFETCH(QString, expectedLatitude);
    QFETCH(QString, expectedLongitude);
    QCOMPARE(LatitudeText(latitude, decimals, style), expectedLatitude);
    QCOMPARE(LongitudeText(longitude, decimals, style), expectedLongitude);
}

void TestReceiverPages::hexDumpShowsBytesBesideAscii() {
    const std::string bytes("\xB5\x62\x01\x07\x5C\x00$GPGGA,\r\n\x00\x7F!", 18);
    // The last line's ASCII column lines up with the full lines' above it.
    QCOMPARE(HexDump(bytes),
             QString("0000  B5 62 01 07 5C 00 24 47 50 47 47 41 2C 0D 0A 00  .b..\\.$GPGGA,...\n"
                     "0010  7F 21") +
                 QString(44, ' ') + ".!");
    QCOMPARE(HexDump({}), QString());
}

void TestReceiverPages::valuesGoStaleAfterThreeSeconds() {
    auto now = std::chrono::steady_clock::time_point{};
    TValuePanel panel(nullptr, [&now] { return now; });
    panel.AddRow("lbA", "A");
    panel.AddRow("lbB", "B");
    QVERIFY(panel.IsStale("lbA")); // nothing received yet
    panel.SetValue("lbA", "1");
    panel.SetValue("lbB", "2");
    now += std::chrono::milliseconds(2000);
    panel.SetValue("lbB", "2"); // the same value again is a refresh
    now += std::chrono::milliseconds(1500);
    panel.MarkStale();
    QVERIFY(panel.IsStale("lbA"));
    QVERIFY(!panel.IsStale("lbB"));
    QCOMPARE(panel.Value("lbA"), QString("1")); // still shown, greyed out
    now += std::chrono::milliseconds(1600);
    panel.MarkStale();
    QVERIFY(panel.IsStale("lbB"));
    panel.SetValue("lbA", "3");
    QVERIFY(!panel.IsStale("lbA"));
}

// Rows as the view sees them: the number each message was added with.
QList<int> ShownNumbers(const TMessageListModel& model) {
    QList<int> numbers;
    for (int row = 0; row < model.rowCount(); ++row)
        numbers << static_cast<int>(model.At(row).ReceivedMs);
    return numbers;
}

void TestReceiverPages::messageListKeepsTheNewestWithinItsBound() {
    TMessageListModel model([](const protocol::Message&) { return std::string(); }, 5);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    int next = 0;
    const auto add = [&](int count) {
        for (int i = 0; i < count; ++i)
            model.Add(next++, {protocol::MessageKind::Nmea, "$GPGGA*00\r\n"}, "GPGGA");
    };
    add(3);
    QCOMPARE(model.rowCount(), 0); // shown at the next commit only
    model.Commit();
    QCOMPARE(ShownNumbers(model), QList<int>({0, 1, 2}));
    add(4);
    model.Commit();
    QCOMPARE(ShownNumbers(model), QList<int>({2, 3, 4, 5, 6}));
    QCOMPARE(inserted.count(), 2); // one view update per commit

    model.SetPaused(true);
    add(7); // more than the bound while paused: the newest wait
    model.Commit();
    QCOMPARE(ShownNumbers(model), QList<int>({2, 3, 4, 5, 6}));
    QCOMPARE(model.Waiting(), 5u);
    model.SetPaused(false);
    QCOMPARE(ShownNumbers(model), QList<int>({9, 10, 11, 12, 13}));
    QCOMPARE(model.index(0, TMessageListModel::colName).data().toString(), QString("GPGGA"));

    model.Clear();
    QCOMPARE(model.rowCount(), 0);
}

// The feed shows on the two pages as the window connects it.
// The Receiver and Messages pages fed as the window feeds them.
struct TFedPages {
    TReceiverPage receiver{nullptr};
    TMessageListModel list{&MessageSummary};
    TMessagesPage messages{nullptr, list};
    TReceiverFeed feed{nullptr};
    TValuePanel* panel = Named<TValuePanel>(receiver, "pnlFix");
    TFedPages() {
        QObject::connect(&feed, &TReceiverFeed::MessageListed, &messages.Messages(),
                         &TMessageListModel::Add);
        QObject::connect(&feed, &TReceiverFeed::StateRedrawn, &receiver, &TReceiverPage::Show);
        QObject::connect(&feed, &TReceiverFeed::TypesCounted, &messages, &TMessagesPage::Refresh);
    }
};

// A frame split across chunks reaches the answer side once and whole; an ECEF
// position shows as latitude and longitude; a new connection lists what the
// last one left half-received instead of gluing it to the new bytes.
void TestReceiverPages::feedFramesOnceForPagesAndAnswers() {
    TFedPages pages;
    TReceiverFeed& feed = pages.feed;
    std::vector<protocol::Message> framed;
    QObject::connect(&feed, &TReceiverFeed::MessageFramed,
                     [&](const protocol::Message& message) { framed.push_back(message); });
    // NAV-POSECEF: 34.9062345 S 138.6081234 E, 28.9 m above the ellipsoid.
    const std::string posecef =
        UbxBytes(0x01, 0x01,
                 PayloadWriter().U4(0).I4(-392838010).I4(346234319).I4(-362935749).U4(150).Bytes());
    feed.Take(posecef.substr(0, 10));
    QVERIFY(framed.empty());
    feed.Take(posecef.substr(10));
    QCOMPARE(framed.size(), 1u);
    QCOMPARE(framed[0].Bytes, posecef);
    QCOMPARE(framed[0].Checksum, protocol::ChecksumState::Right);
    feed.Redraw();
    QCOMPARE(pages.panel->Value("lbFixLatitude"), QString("34.9062345° S"));
    QCOMPARE(pages.panel->Value("lbFixLongitude"), QString("138.6081234° E"));
    QVERIFY(pages.panel->Value("lbFixHeightEllipsoid").startsWith("28.89"));

    feed.Take(posecef.substr(0, 10));
    feed.Restart();
    feed.Take(posecef);
    QCOMPARE(framed.size(), 3u);
    QCOMPARE(framed[1].Kind, protocol::MessageKind::Unframed);
    QCOMPARE(framed[1].Bytes, posecef.substr(0, 10));
    QCOMPARE(framed[2].Bytes, posecef);
    QCOMPARE(framed[2].Offset, 0u);
}

// GGA's count against the satellites the receiver reports in view.
void TestReceiverPages::moreUsedThanInViewIsNotShownAsCurrent() {
    TFedPages pages;
    TReceiverFeed& feed = pages.feed;
    TValuePanel* panel = pages.panel;
    const auto show = [&](std::string_view gga, std::string_view gsv) {
        feed.Take(NmeaLine(gsv) + NmeaLine(gga));
        feed.Redraw();
    };
    show("GPGGA,120000.00,4404.1,N,12118.8,W,1,02,0.9,10,M,0,M,,",
         "GPGSV,1,1,03,05,10,100,40,07,20,200,41,09,30,300,42");
    QCOMPARE(panel->Value("lbFixSatellites"), QString("2 / 3"));
    QVERIFY(!panel->IsStale("lbFixSatellites"));
    show("GPGGA,120001.00,4404.1,N,12118.8,W,1,99,0.9,10,M,0,M,,", "GPGSV,1,1,00");
    QVERIFY(panel->IsStale("lbFixSatellites"));
}

void TestReceiverPages::rtkLineShowsTheStateBaselineAndRtcmTakenIn() {
    TFedPages pages;
    TReceiverFeed& feed = pages.feed;
    TValuePanel* panel = pages.panel;
    feed.Take(NmeaLine("GPGGA,120000.00,4404.1,N,12118.8,W,1,08,0.9,10,M,0,M,,"));
    feed.Redraw();
    QCOMPARE(panel->Value("lbFixRtk"), QString("no corrections"));

    // NAV-RELPOSNED version 1: length 1234.56 m, valid, carrier solution fixed.
    std::string relposned = PayloadWriter().U1(1).Zeros(19).I4(123456).Zeros(36).U4(0x117).Bytes();
    const std::string rxmRtcm = PayloadWriter().U1(2).U1(0x04).U2(0).U2(12).U2(1074).Bytes();
    feed.Take(NmeaLine("GPGGA,120001.00,4404.1,N,12118.8,W,4,08,0.9,10,M,0,M,0.0,0012") +
              UbxBytes(0x01, 0x3C, relposned) + UbxBytes(0x02, 0x32, rxmRtcm) +
              UbxBytes(0x02, 0x32, rxmRtcm));
    feed.Redraw();
    QCOMPARE(panel->Value("lbFixRtk"),
             QString("RTK fixed, baseline 1.235 km, corrections 0.0 s old"));
    QCOMPARE(panel->Value("lbFixRtcm"), QString("2 used, 0 CRC failed, station 12"));

    feed.Take(NmeaLine("GPGGA,120002.00,,,,,0,00,,,,,,,"));
    feed.Redraw();
    QVERIFY(panel->IsStale("lbFixRtk"));
}

QTEST_MAIN(TestReceiverPages)
#include "test_receiver_pages.moc"
