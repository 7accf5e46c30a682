#include "serial/SerialPort.h"
#include "tests/serial/FakeModemLines.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

namespace {
class ModemLines : public ::testing::Test {
protected:
    ModemLines() {
        peer.announce("COM13");
        port.SetPort(spCOM13);
        port.SetDelay(10);
        FakeModemLines::Install();
    }
    ~ModemLines() override {
        port.Close();
        FakeModemLines::Uninstall();
    }

    bool LastChangeIs(TLineStatusSet lines) const {
        const auto changes = recorder.LineChanges();
        return !changes.empty() && changes.back() == lines;
    }

    ScratchEnvironment scratch;
    PtyPeer peer;
    TSerialPort port;
    EventRecorder recorder{port};
};

TEST_F(ModemLines, InputLineChangesAreReportedOnTheMainThread) {
    port.Open();
    const struct {
        int bits;
        TLineStatusSet lines;
    } steps[] = {
        {TIOCM_CTS, {lsCTS}},
        {TIOCM_CTS | TIOCM_CAR, {lsCTS, lsCD}},
        {TIOCM_DSR | TIOCM_RNG, {lsDSR, lsRING}},
        {0, {}},
    };
    for (const auto& step : steps) {
        FakeModemLines::SetInputs(step.bits);
        EXPECT_TRUE(WaitFor([&] { return LastChangeIs(step.lines); })) << step.bits;
    }
    EXPECT_EQ(recorder.LineChanges().size(), 4u);
    EXPECT_TRUE(recorder.AllOnMainThread());
}

TEST_F(ModemLines, OnlyTheStateAtThePollIsReported) {
    port.SetDelay(1000);
    port.Open();
    FakeModemLines::SetInputs(TIOCM_CTS);
    ASSERT_TRUE(WaitFor([&] { return LastChangeIs({lsCTS}); }));
    // The reader now sleeps a second: both changes fall into it.
    FakeModemLines::SetInputs(TIOCM_DSR);
    FakeModemLines::SetInputs(TIOCM_CAR);
    ASSERT_TRUE(WaitFor([&] { return recorder.LineChanges().size() == 2; }));
    EXPECT_TRUE(LastChangeIs({lsCD}));
}

TEST_F(ModemLines, QueriesReadTheLinesAtTheMomentOfTheCall) {
    EXPECT_FALSE(port.GetCTS()); // closed
    port.SetDelay(100000);
    port.Open();
    const struct {
        int bits;
        bool cts, dsr, ring, cd;
    } cases[] = {
        {TIOCM_CTS, true, false, false, false},
        {TIOCM_DSR, false, true, false, false},
        {TIOCM_RNG, false, false, true, false},
        {TIOCM_CAR | TIOCM_CTS, true, false, false, true},
    };
    for (const auto& c : cases) {
        FakeModemLines::SetInputs(c.bits);
        EXPECT_EQ(port.GetCTS(), c.cts) << c.bits;
        EXPECT_EQ(port.GetDSR(), c.dsr) << c.bits;
        EXPECT_EQ(port.GetRING(), c.ring) << c.bits;
        EXPECT_EQ(port.GetCD(), c.cd) << c.bits;
    }
}

TEST_F(ModemLines, OutputLinesFollowTheSettingsAndTheOperations) {
    port.SetEnableRTSOnOpen(false);
    port.Open();
    EXPECT_EQ(FakeModemLines::Outputs(), TIOCM_DTR);
    EXPECT_TRUE(port.SetRTS(true));
    EXPECT_TRUE(port.SetDTR(false));
    EXPECT_EQ(FakeModemLines::Outputs(), TIOCM_RTS);
    // Re-applying the settings brings the lines back to their open modes.
    port.SetBaudRate(br009600);
    EXPECT_EQ(FakeModemLines::Outputs(), TIOCM_DTR);
    port.SetHwFlowControl(hfRTSCTS); // RTS belongs to the handshake
    EXPECT_EQ(FakeModemLines::Outputs(), TIOCM_DTR | TIOCM_RTS);
    EXPECT_TRUE(port.SetBreak(true));
    EXPECT_TRUE(FakeModemLines::BreakOn());
    EXPECT_TRUE(port.SetBreak(false));
    EXPECT_FALSE(FakeModemLines::BreakOn());
}

TEST_F(ModemLines, LastStateCarriesOverToTheNextConnection) {
    FakeModemLines::SetInputs(TIOCM_CTS);
    port.Open();
    ASSERT_TRUE(WaitFor([&] { return LastChangeIs({lsCTS}); }));
    port.Close();
    FakeModemLines::SetInputs(TIOCM_CTS | TIOCM_DSR);
    port.Open();
    ASSERT_TRUE(WaitFor([&] { return LastChangeIs({lsCTS, lsDSR}); }));
    EXPECT_EQ(recorder.LineChanges().size(), 2u);
}

TEST_F(ModemLines, AFailedStatusReadReportsTheEmptySetOnce) {
    FakeModemLines::SetInputs(TIOCM_CAR);
    port.Open();
    ASSERT_TRUE(WaitFor([&] { return LastChangeIs({lsCD}); }));
    FakeModemLines::Uninstall(); // the device answers ENOTTY now
    ASSERT_TRUE(WaitFor([&] { return LastChangeIs({}); }));
    EXPECT_EQ(recorder.LineChanges().size(), 2u);
    EXPECT_FALSE(port.GetCD());
    EXPECT_FALSE(port.SetDTR(true));
}
} // namespace
