// The command tracker on a hand-turned clock: each kind of command meets
// the answers a receiver gives (and some it should not), in the order they
// arrive, and what stays unanswered ends as "no answer".

#include "protocol/commands/CommandTracker.h"
#include "protocol/commands/ConfigValues.h"
#include "protocol/commands/UbxCommands.h"

#include <gtest/gtest.h>

using namespace ubx;
using namespace std::chrono_literals;

namespace {

class CommandTrackerTest : public ::testing::Test {
protected:
    std::chrono::steady_clock::time_point now_{};
    TCommandTracker tracker_{[this] { return now_; }};

    std::uint64_t send(const char* name, const TUBXPacket& command) {
        return tracker_.Track(name, command, 1000ms);
    }
    std::vector<TCommandOutcome> ack(bool acknowledged, std::uint8_t cls, std::uint8_t id) {
        const TPayload payload = {cls, id};
        return tracker_.Receive(kClassAck, acknowledged ? kIdAckAck : kIdAckNak, payload);
    }
    static std::vector<std::string> texts(const std::vector<TCommandOutcome>& outcomes) {
        std::vector<std::string> result;
        for (const auto& outcome : outcomes)
            result.push_back(outcome.Text());
        return result;
    }
    using Texts = std::vector<std::string>;
};

} // namespace

TEST_F(CommandTrackerTest, SetCommandsEndWithTheirAckOrNak) {
    send("CFG-RATE", CfgRateSet({200, 1, 1}));
    const auto second = send("CFG-RATE", CfgRateSet({1000, 1, 1}));
    send("CFG-MSG", CfgMsgSet({0x01, 0x07, {}}));
    now_ += 84ms;
    EXPECT_TRUE(ack(true, 0x06, 0x24).empty()); // CFG-NAV5: nothing sent
    EXPECT_EQ(texts(ack(true, 0x06, 0x08)), Texts{"CFG-RATE: ACK-ACK after 84 ms"});
    now_ += 16ms;
    const auto nak = ack(false, 0x06, 0x08);
    ASSERT_EQ(nak.size(), 1u);
    EXPECT_EQ(nak[0].ticket, second); // the order they were sent in
    EXPECT_EQ(nak[0].Text(), "CFG-RATE: ACK-NAK after 100 ms");
    EXPECT_TRUE(ack(true, 0x06, 0x08).empty());                                  // an ACK too many
    EXPECT_TRUE(tracker_.Receive(kClassAck, kIdAckAck, TPayload{0x06}).empty()); // short ACK
    EXPECT_TRUE(tracker_.Waiting());
    EXPECT_EQ(texts(ack(true, 0x06, 0x01)), Texts{"CFG-MSG: ACK-ACK after 100 ms"});
    EXPECT_FALSE(tracker_.Waiting());
}

TEST_F(CommandTrackerTest, PollsEndWithThePolledMessage) {
    send("MON-VER", MonVerPoll());
    send("CFG-MSG", CfgMsgPoll(0xF0, 0x00));
    send("CFG-MSG", CfgMsgPoll(0x01, 0x07));
    now_ += 120ms;
    // An ACK before the answer, and a CFG-MSG answer about another message,
    // settle nothing.
    EXPECT_TRUE(ack(true, 0x06, 0x01).empty());
    const TPayload pvtRates = {0x01, 0x07, 0, 1, 0, 0, 0, 0};
    const auto pvt = tracker_.Receive(kClassCfg, kIdCfgMsg, pvtRates);
    ASSERT_EQ(pvt.size(), 1u);
    EXPECT_EQ(pvt[0].Text(), "CFG-MSG: answered after 120 ms");
    EXPECT_EQ(pvt[0].answer, pvtRates);
    // The CFG poll's own ACK-ACK is taken in silently and settles not the GGA poll.
    EXPECT_TRUE(ack(true, 0x06, 0x01).empty());
    const auto version = tracker_.Receive(kClassMon, kIdMonVer, TPayload(40, 'x'));
    ASSERT_EQ(version.size(), 1u);
    EXPECT_EQ(version[0].answerClass, kClassMon);
    EXPECT_EQ(version[0].answer.size(), 40u);
    EXPECT_EQ(texts(ack(false, 0x06, 0x01)), Texts{"CFG-MSG: ACK-NAK after 120 ms"});
    EXPECT_FALSE(tracker_.Waiting());
}

TEST_F(CommandTrackerTest, ValGetEndsWithItsAnswerAndValSetWithItsAck) {
    const std::uint32_t meas[] = {0x30210001};
    const TConfigValue rate[] = {{0x30210001, 200}};
    send("CFG-VALGET", CfgValGetPoll(TConfigLayer::Ram, meas));
    send("CFG-VALSET", CfgValSet(kLayerRam, rate));
    send("CFG-VALGET", CfgValGetPoll(TConfigLayer::Flash, meas));
    now_ += 50ms;
    EXPECT_EQ(texts(ack(true, 0x06, kIdCfgValSet)), Texts{"CFG-VALSET: ACK-ACK after 50 ms"});
    // The answer (version 1, with the value) does not repeat the poll's payload.
    const TPayload answer = {1, 0, 0, 0, 0x01, 0x00, 0x21, 0x30, 0xC8, 0x00};
    const auto first = tracker_.Receive(kClassCfg, kIdCfgValGet, answer);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].Text(), "CFG-VALGET: answered after 50 ms");
    EXPECT_EQ(first[0].answer, answer);
    EXPECT_TRUE(ack(true, 0x06, kIdCfgValGet).empty()); // its ACK-ACK, taken in silently
    EXPECT_EQ(texts(ack(false, 0x06, kIdCfgValGet)), Texts{"CFG-VALGET: ACK-NAK after 50 ms"});
    EXPECT_FALSE(tracker_.Waiting());
}

TEST_F(CommandTrackerTest, WhatStaysUnansweredEndsAsNoAnswerAndAResetAsSent) {
    send("CFG-RST", CfgRst(TStartKind::Cold));
    EXPECT_EQ(texts(tracker_.Expire()), Texts{"CFG-RST: sent (receivers do not answer a reset)"});
    send("CFG-PRT", CfgPrtPoll());
    now_ += 10ms;
    send("CFG-CFG", CfgCfg(TCfgAction::Save, kDevBbr));
    const TPayload port(20, 0);
    EXPECT_EQ(tracker_.Receive(kClassCfg, kIdCfgPrt, port).size(), 1u);
    now_ += 989ms;
    EXPECT_TRUE(tracker_.Expire().empty());
    now_ += 1ms; // the poll's time is up, its missing ACK is no news
    EXPECT_TRUE(tracker_.Expire().empty());
    now_ += 10ms;
    EXPECT_EQ(texts(tracker_.Expire()), Texts{"CFG-CFG: no answer after 1000 ms"});
    EXPECT_FALSE(tracker_.Waiting());
    // An answer after the timeout belongs to nothing.
    EXPECT_TRUE(ack(true, 0x06, 0x09).empty());
}

TEST_F(CommandTrackerTest, TimeCountsFromWhenTheFrameWentOutWhole) {
    const auto late = send("CFG-RATE", CfgRateSet({200, 1, 1}));
    const auto answered = send("CFG-MSG", CfgMsgSet({0x01, 0x07, {}}));
    now_ += 30ms;
    EXPECT_EQ(ack(true, 0x06, 0x01).size(), 1u); // answered before its restart
    now_ += 2000ms;                              // behind a long write
    tracker_.Restart(late);
    tracker_.Restart(answered); // settled already: nothing
    now_ += 999ms;
    EXPECT_TRUE(tracker_.Expire().empty());
    now_ += 1ms;
    EXPECT_EQ(texts(tracker_.Expire()), Texts{"CFG-RATE: no answer after 1000 ms"});
    TCommandOutcome notSent;
    notSent.command = "CFG-PRT";
    notSent.kind = TAnswerKind::NotSent;
    EXPECT_EQ(notSent.Text(), "CFG-PRT: not sent (the port closed before its turn)");
}

TEST(AnswerTimeout, GrowsAtLowBaudRatesAndWithTheLongestAnswer) {
    EXPECT_EQ(AnswerTimeout(115200, 8, 300, 0ms), 1027ms);
    EXPECT_EQ(AnswerTimeout(9600, 8, 300, 0ms), 1321ms);
    EXPECT_EQ(AnswerTimeout(4800, 28, 300, 1000ms), 2684ms);
    // 64 keys of 8 bytes: 780 bytes take 813 ms at 9600 baud.
    const std::uint32_t all[] = {0x0FFFFFFF};
    EXPECT_EQ(LongestAnswerBytes(CfgValGetPoll(TConfigLayer::Ram, all)), 780u);
    EXPECT_EQ(LongestAnswerBytes(CfgPrtPoll()), 300u);
    EXPECT_EQ(AnswerTimeout(9600, 16, 780, 0ms), 1830ms);
}

TEST(IsPoll, EmptyOrSelectorPayloadsOnly) {
    EXPECT_TRUE(IsPoll(CfgPrtPoll()));
    EXPECT_TRUE(IsPoll(CfgPrtPoll(1)));
    EXPECT_TRUE(IsPoll(CfgMsgPoll(1, 7)));
    EXPECT_TRUE(IsPoll(MakeUbxPacket(0x01, 0x07)));
    EXPECT_FALSE(IsPoll(CfgPrtSet({})));
    EXPECT_FALSE(IsPoll(CfgMsgSet({})));
    EXPECT_FALSE(IsPoll(MakeUbxPacket(0x0B, 0x01, {1}))); // only CFG polls carry a selector
    const std::uint32_t meas[] = {0x30210001};
    const TConfigValue rate[] = {{0x30210001, 200}};
    EXPECT_TRUE(IsPoll(CfgValGetPoll(TConfigLayer::Ram, meas)));
    EXPECT_FALSE(IsPoll(CfgValSet(kLayerRam, rate)));
    EXPECT_FALSE(IsPoll(CfgValDel(kLayerBbr, meas)));
}
