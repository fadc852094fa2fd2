// The replies of wired units to the connection timer, as the receive path recognises them.

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "core/codec/ConfigBlock.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "link/WiredReceive.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <cstring>
#include <string>

namespace undarix::testing {
namespace {

using core::Program;
namespace block = core::codec;

// A block with the given prescale (range, count) and sample rate, checksum included.
std::string Block(int unitType, std::uint8_t range, std::uint8_t count, std::uint8_t rate) {
    core::WiredConfigRecord record;
    std::memcpy(record.Version, "23.00", 6);
    record.PrescaleRange = range;
    record.Prescale = count;
    record.Gain = 4096.0f;
    record.Offset = -500.0f;
    record.SampleRate = rate;
    record.ModeFlags = 0x02;
    char out[block::kBlockBufferSize];
    const std::size_t length = block::BuildConfigBlock(record, unitType, out);
    return std::string(out, length);
}

// One character changed, the checksum left as it was.
std::string Corrupt(std::string text) {
    text[22] = text[22] == '0' ? '1' : '0'; // the sample rate's low digit
    return text;
}

class WiredHandshakeTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        Program.UnitType = core::WiredRavoZerar402E;
        port = link::PortNumberForPath("mem:handshake");
        ASSERT_EQ(link::OpenComConfig(port, 9600), 0);
        link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
    }
    void Receive(const std::string& bytes) { link::MemoryPortReceive(port, bytes); }
    int port = 0;
};

TEST_F(WiredHandshakeTest, StopIsAcknowledgedByStokOrBadAndNothingElse) {
    struct Case {
        std::string reply;
        int status;
    };
    const Case cases[] = {
        {"STOK,", 2}, {"BAD,", 2}, {"xxSTOK,", 2}, // noise before the lead letter
        {"STOP,", 1}, {"STO,", 1}, {"BADD,", 1},   {"STOKK,", 1}, {"\r\nBAD,", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        link::ResetWiredReceive();
        Program.WSWLConnectStatus = 1;
        Receive(c.reply);
        EXPECT_EQ(Program.WSWLConnectStatus, c.status);
    }
}

TEST_F(WiredHandshakeTest, TheSerialNumberGoesToTheRecordAndTheMainPanel) {
    Program.WSWLConnectStatus = 3;
    Receive("IOK,WS2611-0042175,");
    EXPECT_EQ(Program.WSWLConnectStatus, 4);
    EXPECT_EQ(std::string(Program.WSAll.Identity), "WS2611-0042175");
    EXPECT_EQ(ui::GetText(core::mainpanel::WiredIdentity), "WS2611-0042175");

    // Fourteen characters exactly; a shorter reply ends at the wrong place and is ignored.
    link::ResetWiredReceive();
    Program.WSWLConnectStatus = 3;
    Receive("IOK,ABCDEFGHJKLMNP,");
    EXPECT_EQ(std::string(Program.WSAll.Identity), "ABCDEFGHJKLMNP");
    link::ResetWiredReceive();
    Program.WSWLConnectStatus = 3;
    Receive("IOK,SHORT,");
    EXPECT_EQ(Program.WSWLConnectStatus, 3);
}

TEST_F(WiredHandshakeTest, AGoodBlockSetsRatePrescaleAndStaffLength) {
    Program.WSWLConnectStatus = 5;
    Receive("ROK," + Block(3, 0, 148, 16) + "\r\n");
    EXPECT_EQ(Program.WSWLConnectStatus, 6);
    EXPECT_EQ(Program.WiredSampleRate, 16);
    EXPECT_EQ(Program.WSAll.Prescale, 148);
    EXPECT_EQ(Program.WSAll.PrescaleRange, 0);
    EXPECT_EQ(Program.WSAll.StaffLength, 3000.0f);
    EXPECT_EQ(ui::GetReal(core::mainpanel::StaffLengthDisplay), 3.0);
    EXPECT_EQ(std::string(link::WiredRx.WSWLRaw, 132), Block(3, 0, 148, 16));
}

TEST_F(WiredHandshakeTest, WSWLRawIsFilledEvenWhenTheReplyIsNotRok) {
    Program.WSWLConnectStatus = 5;
    Program.WiredSampleRate = 8;
    // "R" restarts the line; "RXK" stands where "ROK" should.
    Receive("RXK," + Block(3, 8, 178, 32));
    EXPECT_EQ(Program.WSWLConnectStatus, 5);
    EXPECT_EQ(std::string(link::WiredRx.WSWLRaw, 132), Block(3, 8, 178, 32));
    EXPECT_EQ(Program.WiredSampleRate, 8); // nothing taken
    EXPECT_EQ(Program.WSAll.StaffLength, 0.0f);
}

TEST_F(WiredHandshakeTest, ADamagedRavoZerarBlockIsNotUsedAndIsReadAgain) {
    Program.WSWLConnectStatus = 5;
    Program.WiredSampleRate = 8;
    Program.WSAll.StaffLength = 2000.0f;
    Receive("ROK," + Corrupt(Block(3, 0, 148, 16)));
    EXPECT_EQ(Program.WSWLConnectStatus, 4); // the timer asks for the block again
    EXPECT_EQ(Program.WiredSampleRate, 8);
    EXPECT_EQ(Program.WSAll.StaffLength, 2000.0f);
    EXPECT_EQ(Program.WSAll.Prescale, 0);
    EXPECT_TRUE(ui::LastStatus().contains("damaged"));

    // The next good block is taken.
    Program.WSWLConnectStatus = 5;
    Receive("ROK," + Block(3, 0, 148, 16));
    EXPECT_EQ(Program.WSWLConnectStatus, 6);
    EXPECT_EQ(Program.WiredSampleRate, 16);
}

TEST_F(WiredHandshakeTest, ThreeDamagedBlocksInARowLetTheHandshakeGoOn) {
    // So that a unit with a bad line is never left stopped: it is set running without the
    // block's settings.
    for (int read = 1; read <= 3; ++read) {
        Program.WSWLConnectStatus = 5;
        Receive("ROK," + Corrupt(Block(4, 8, 100, 16)));
        EXPECT_EQ(Program.WSWLConnectStatus, read < 3 ? 4 : 6) << read;
    }
    EXPECT_EQ(Program.WSAll.StaffLength, 0.0f);
    EXPECT_EQ(Program.WiredSampleRate, 0);
}

// Going on without the block on a first connection leaves no staff length: every sample reads
// 0, and the main panel says the length is unknown. With a length held from before, that
// length stays shown.
TEST_F(WiredHandshakeTest, GoingOnWithoutTheBlockShowsTheStaffLengthInUse) {
    struct Case {
        float heldMm;
        std::uint32_t colour;
    };
    for (const Case c : {Case{0.0f, ui::kRed}, Case{3000.0f, ui::kBlack}}) {
        SCOPED_TRACE(c.heldMm);
        link::ResetWiredReceive();
        Program.WSAll.StaffLength = c.heldMm;
        ui::SetText(core::mainpanel::StaffLengthDisplay, "");
        ui::SetTextColor(core::mainpanel::StaffLengthDisplay, ui::kBlack);
        for (int read = 1; read <= 3; ++read) {
            Program.WSWLConnectStatus = 5;
            Receive("ROK," + Corrupt(Block(3, 0, 148, 16)));
        }
        ASSERT_EQ(Program.WSWLConnectStatus, 6);
        if (c.heldMm > 0.0f)
            EXPECT_EQ(ui::GetReal(core::mainpanel::StaffLengthDisplay), c.heldMm / 1000.0);
        else
            EXPECT_EQ(ui::GetText(core::mainpanel::StaffLengthDisplay), "0 (unknown)");
        EXPECT_EQ(ui::GetTextColor(core::mainpanel::StaffLengthDisplay), c.colour);
        EXPECT_TRUE(ui::LastStatus().contains("damaged 3 times"));
    }
}

// Each hand-shake's block gets three tries of its own: damaged blocks of an earlier hand-shake
// do not count against it.
TEST_F(WiredHandshakeTest, ANewHandshakeStartsTheCountOfDamagedBlocksAgain) {
    for (const char* stopReply : {"STOK,", "BAD,"}) {
        SCOPED_TRACE(stopReply);
        link::ResetWiredReceive();
        for (int read = 1; read <= 2; ++read) {
            Program.WSWLConnectStatus = 5;
            Receive("ROK," + Corrupt(Block(3, 0, 148, 16)));
            ASSERT_EQ(Program.WSWLConnectStatus, 4);
        }
        // The timer gives up waiting and starts the hand-shake over: "s", "t".
        Program.WSWLConnectStatus = 1;
        Receive(stopReply);
        ASSERT_EQ(Program.WSWLConnectStatus, 2);
        Program.WSWLConnectStatus = 5;
        Receive("ROK," + Corrupt(Block(3, 0, 148, 16)));
        EXPECT_EQ(Program.WSWLConnectStatus, 4) << "asked for again, not given up";
    }
}

TEST_F(WiredHandshakeTest, ADeveZuraviBlockIsTakenWhateverItsChecksum) {
    Program.UnitType = core::DeveZuravi404E;
    Program.WSWLConnectStatus = 5;
    Receive("ROK," + Corrupt(Block(5, 8, 178, 16)));
    EXPECT_EQ(Program.WSWLConnectStatus, 6);
    EXPECT_EQ(Program.WiredSampleRate, 17); // the corrupted digit
    EXPECT_EQ(Program.WSAll.StaffLength, 5000.0f);
}

TEST_F(WiredHandshakeTest, AStaffLengthOfZeroIsSaidOnTheMainPanel) {
    Program.WSWLConnectStatus = 5;
    Receive("ROK," + Block(3, 8, 200, 16)); // no row has range 8, count 200
    EXPECT_EQ(Program.WSWLConnectStatus, 6);
    EXPECT_EQ(Program.WSAll.StaffLength, 0.0f);
    EXPECT_TRUE(ui::GetText(core::mainpanel::StaffLengthDisplay).startsWith("0 ("));
    EXPECT_EQ(ui::GetTextColor(core::mainpanel::StaffLengthDisplay), ui::kRed);
    EXPECT_TRUE(ui::LastStatus().contains("staff length is unknown"));

    // The (W) rows of table A read back now: 12.5 m is range 8, count 54.
    link::ResetWiredReceive();
    Program.WSWLConnectStatus = 5;
    Receive("ROK," + Block(3, 8, 54, 16));
    EXPECT_EQ(Program.WSAll.StaffLength, 12500.0f);
    EXPECT_EQ(ui::GetReal(core::mainpanel::StaffLengthDisplay), 12.5);
    EXPECT_EQ(ui::GetTextColor(core::mainpanel::StaffLengthDisplay), ui::kBlack);
}

TEST_F(WiredHandshakeTest, StartIsAcknowledgedByGok) {
    Program.WSWLConnectStatus = 7;
    Program.WSWLConnectTimer = 2;
    Receive("GO,");
    EXPECT_EQ(Program.WSWLConnectStatus, 7);
    Receive("GOK,");
    EXPECT_EQ(Program.WSWLConnectStatus, 8);
    EXPECT_EQ(Program.WSWLConnectTimer, 0);

    // The first line right behind the comma is a sample too.
    int samples = 0;
    core::hooks.RxDataService = [&](std::uint8_t) { ++samples; };
    Receive("1000\r\n");
    EXPECT_EQ(samples, 1);
}

TEST_F(WiredHandshakeTest, RepliesOutsideTheirStateChangeNothing) {
    for (int status : {0, 2, 4, 6}) {
        Program.WSWLConnectStatus = status;
        Receive("STOK,IOK,WS2611-0042175,GOK,");
        EXPECT_EQ(Program.WSWLConnectStatus, status);
    }
}

} // namespace
} // namespace undarix::testing
