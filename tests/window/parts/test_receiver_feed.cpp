// The receiver feed's times: each message carries the time of the read that
// brought its last byte, though the port hands a second's reads over at
// once, and the rates per type count by those times.

#include "tests/protocol/StreamBytes.h"
#include "window/parts/ReceiverFeed.h"

#include <QTest>
#include <chrono>

namespace {
using namespace std::chrono_literals;

// A NAV-PVT frame (its fields do not matter here).
const std::string Pvt = UbxBytes(0x01, 0x07, std::string(92, '\0'));
} // namespace

class TestReceiverFeed : public QObject {
    Q_OBJECT
    std::chrono::steady_clock::time_point steadyNow_ = std::chrono::steady_clock::now();
    const std::chrono::system_clock::time_point wallOrigin_ = std::chrono::system_clock::now();
    const std::chrono::steady_clock::time_point steadyOrigin_ = steadyNow_;

    // The read that ended `after` past the start of the test.
    ReadTime ReadAt(std::chrono::milliseconds after) const {
        return {wallOrigin_ + after, steadyOrigin_ + after};
    }
    qint64 WallMs(std::chrono::milliseconds after) const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   (wallOrigin_ + after).time_since_epoch())
            .count();
    }

private slots:
    // One fix per epoch as the next begins, the last at the stream's end;
    // a redraw tells of new fixes once; starting afresh forgets them.
    void keepsTheFixOfEachEpochUntilStartingAfresh() {
        TReceiverFeed feed(nullptr);
        int told = 0;
        connect(&feed, &TReceiverFeed::FixesAdded, [&] { ++told; });
        for (const char* second : {"41", "42", "43"})
            feed.Take(NmeaLine(std::string("GNGGA,0009") + second +
                               ".00,4404.14036,N,12118.85961,W,1,05,1.01,1144.8,M,-21.3,M,,"));
        QCOMPARE(feed.Positions().size(), std::size_t(2));
        feed.Redraw();
        feed.Redraw();
        QCOMPARE(told, 1);
        feed.EndOfStream();
        QCOMPARE(feed.Positions().size(), std::size_t(3));
        QCOMPARE(feed.Positions()[2].UtcSeconds, 9 * 60 + 43.0); // no date told
        feed.StartAfresh();
        QVERIFY(feed.Positions().empty());
        QCOMPARE(told, 2);
    }

    void messagesCarryTheirReadTimesAndRatesCountByThem() {
        TReceiverFeed feed(
            nullptr, [] { return qint64(7); }, [this] { return steadyNow_; });
        std::vector<std::pair<qint64, std::string>> listed;
        connect(&feed, &TReceiverFeed::MessageListed,
                [&](qint64 ms, const protocol::Message&, const std::string& name) {
                    listed.emplace_back(ms, name);
                });
        double pvtRate = -1;
        connect(&feed, &TReceiverFeed::TypesCounted, [&](const std::vector<TMessageTypeRow>& rows) {
            for (const TMessageTypeRow& row : rows)
                if (row.Name == "NAV-PVT")
                    pvtRate = row.RateHz;
        });

        // Six seconds of 5 Hz fixes, each second's five in one chunk. The
        // third frame of each second came in two reads 100 ms apart.
        std::vector<qint64> expected;
        for (int second = 0; second < 6; ++second) {
            std::string chunk;
            std::vector<ReadMark> marks;
            for (int fix = 0; fix < 5; ++fix) {
                const auto at = std::chrono::milliseconds(50 + 1000 * second + 200 * fix);
                if (fix == 2)
                    marks.push_back({chunk.size() + 10, ReadAt(at - 100ms)});
                chunk += Pvt;
                marks.push_back({chunk.size(), ReadAt(at)});
                expected.push_back(WallMs(at));
            }
            // Handed over at about one chunk a second, one of them late: the
            // second before it gets no chunk and the next one two.
            steadyNow_ = steadyOrigin_ +
                         std::chrono::milliseconds(1000 * second + (second < 2 ? 950 : 1050));
            feed.Take(chunk, marks);
        }
        QCOMPARE(listed.size(), expected.size());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            QCOMPARE(listed[i].second, std::string("NAV-PVT"));
            QCOMPARE(listed[i].first, expected[i]);
        }

        // Between chunks the rate counts the seconds whose reads have all come.
        steadyNow_ += 450ms;
        feed.Redraw();
        QCOMPARE(pvtRate, 5.0);
        // Once reads stop for longer than the port delivers, the rate falls.
        steadyNow_ += 10s;
        feed.Redraw();
        QCOMPARE(pvtRate, 0.0);
    }

    void chunkEndsAndChunksWithoutMarks() {
        TReceiverFeed feed(
            nullptr, [] { return qint64(7); }, [this] { return steadyNow_; });
        std::vector<protocol::Message> messages;
        std::vector<qint64> times;
        connect(&feed, &TReceiverFeed::MessageListed,
                [&](qint64 ms, const protocol::Message& message, const std::string&) {
                    times.push_back(ms);
                    messages.push_back(message);
                });
        // A frame whose end comes in the next chunk gets that chunk's read.
        feed.Take(Pvt.substr(0, 30), std::vector<ReadMark>{{30, ReadAt(100ms)}});
        feed.Take(Pvt.substr(30), std::vector<ReadMark>{{Pvt.size() - 30, ReadAt(300ms)}});
        // Without marks (as a test or a caller without a port hands a
        // chunk): the time of the call.
        feed.Take(Pvt);
        // Bytes left waiting at the end of the stream: the last read's time.
        feed.Take(Pvt.substr(0, 30), std::vector<ReadMark>{{30, ReadAt(700ms)}});
        feed.EndOfStream();
        QCOMPARE(times, (std::vector<qint64>{WallMs(300ms), 7, WallMs(700ms)}));
        QCOMPARE(messages[2].Kind, protocol::MessageKind::Unframed);
    }
};

QTEST_GUILESS_MAIN(TestReceiverFeed)
#include "test_receiver_feed.moc"
