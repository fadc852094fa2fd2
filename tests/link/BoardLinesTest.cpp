// The board's report, clock and data lines, as the receive path takes them.

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/BoardReceive.h"
#include "link/ReceivePath.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <string>
#include <vector>

namespace undarix::testing {
namespace {

using core::Program;

struct Record {
    int unit; // low byte of the source address
    std::string text;
    int tenth;
};

class BoardLinesTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        Program.UnitType = core::Vazavevezeze;
        Program.WiredSampleRate = 16;
        port = link::PortNumberForPath("mem:board");
        ASSERT_EQ(link::OpenComConfig(port, 38400), 0);
        link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
        core::hooks.RxDataService = [this](std::uint8_t tenth) {
            const char* frame = reinterpret_cast<const char*>(link::RxFrame);
            records.push_back(
                {link::RxFrame[8],
                 std::string(frame + 12, std::size_t(link::UartXbee.frameLength - 12)), tenth});
        };
        for (int row = 1; row <= 8; ++row)
            ui::SetTableCell(core::mainpanel::BoardStaffTable, row, 1, 2.0);
    }
    void Receive(const std::string& bytes) { link::MemoryPortReceive(port, bytes); }
    // The value field of a sample record.
    static std::string Value(const Record& r) { return r.text.substr(12, 5); }

    int port = 0;
    std::vector<Record> records;
};

TEST_F(BoardLinesTest, TheReportFillsTheRecordAndEndsWithItsStatusLine) {
    Program.WSWLConnectStatus = 1;
    Program.WSWLConnectTimer = 3;
    Receive("Vazavevezeze TALQ-312-412\r\n");
    EXPECT_EQ(Program.WSWLConnectTimer, 3); // not a line the board is known by
    Receive("Serial Number: VZ-312-412-0000123\r\n");
    EXPECT_EQ(Program.WSWLConnectTimer, 0);
    EXPECT_EQ(std::string(Program.WSAll.Identity), "VZ-312-412-0000123");
    EXPECT_EQ(ui::GetText(core::mainpanel::WiredIdentity), "VZ-312-412-0000123");
    Receive("Code Rev: 2.14a\r\nFsample Frequency: 32\r\n");
    EXPECT_EQ(std::string(Program.WSAll.Version), "2.14a");
    EXPECT_EQ(Program.WSAll.SampleRate, 32);
    EXPECT_EQ(Program.WiredSampleRate, 32);

    Program.WSWLConnectTimer = 2;
    Receive("Sample Mode: command\r\nTime Tag: hour\r\n");
    EXPECT_EQ(Program.WSAll.SyncRunMode, 1);
    EXPECT_EQ(Program.WSAll.SyncTimeTag, 2);
    EXPECT_EQ(Program.WSWLConnectTimer, 2); // these two do not count as signs of life
    Receive("Sample Mode: freerun\r\nTime Tag: none\r\nTime Tag: day\r\n*\r\n");
    EXPECT_EQ(Program.WSAll.SyncRunMode, 0);
    EXPECT_EQ(Program.WSAll.SyncTimeTag, 3);
    EXPECT_EQ(Program.WSWLConnectTimer, 0);

    Receive("Staffs: 8\r\n");
    EXPECT_EQ(Program.WSWLConnectStatus, 1);
    Receive("System status: ready\r\n");
    EXPECT_EQ(Program.WSWLConnectStatus, 2);
    EXPECT_TRUE(records.empty());
}

TEST_F(BoardLinesTest, TheClockLineSetsTheClockFields) {
    Program.WSWLConnectStatus = 3;
    Receive("Serial Number: XX\r\n");
    EXPECT_EQ(Program.WSWLConnectStatus, 3);
    Receive("12/06/26 23:59:58\r\n");
    EXPECT_EQ(Program.WSWLConnectStatus, 4);
    const auto& r = Program.WSAll;
    EXPECT_EQ(r.ClockMonth, 12);
    EXPECT_EQ(r.ClockDay, 6);
    EXPECT_EQ(r.ClockYear, 2026);
    EXPECT_EQ(r.ClockHour, 23);
    EXPECT_EQ(r.ClockMinute, 59);
    EXPECT_EQ(r.ClockSecond, 58);

    // A line cut short is not taken.
    Program.WSWLConnectStatus = 3;
    Receive("01/02/27 10:1\r\n");
    EXPECT_EQ(Program.WSWLConnectStatus, 3);
}

TEST_F(BoardLinesTest, SixAndEightStaffLinesGiveSixAndEightRecords) {
    Program.WSWLConnectStatus = 5;
    Program.WSWLConnectTimer = 5;
    Receive("0100,0200,0300,0400,0500,0600\r\n");
    EXPECT_EQ(Program.WSWLConnectTimer, 0);
    ASSERT_EQ(records.size(), 6u);
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(records[s].unit, s + 1);
        EXPECT_EQ(records[s].text.substr(0, 12), "C00" + std::to_string(s + 1) + ",D1,S16,");
    }
    records.clear();
    Receive("0100,0200,0300,0400,0500,0600,0700,0800\r\n");
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[7].unit, 8);
    EXPECT_EQ(Value(records[7]), "03907"); // 800 / 4095 x 2000 mm, in tenths

    // Lines that are not data, and data lines outside the running state, give nothing.
    records.clear();
    Receive("# 12/06/26 13:00:00\r\n*\r\n");
    Program.WSWLConnectStatus = 4;
    Receive("0100,0200,0300,0400,0500,0600\r\n");
    EXPECT_TRUE(records.empty());
}

TEST_F(BoardLinesTest, EachStaffIsConvertedWithItsOwnRowOfTheTable) {
    Program.WSWLConnectStatus = 5;
    struct Case {
        double meters;
        std::string value;
        int tenth;
    };
    const Case cases[] = {
        {4.0, "20004", 1},  // 4000 x 2048 / 4095 = 2000.49 mm
        {12.0, "06001", 0}, // whole millimetres from 10 m up
        {9.999, "50007", 1},
        {10.0, "05001", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.meters);
        records.clear();
        ui::SetTableCell(core::mainpanel::BoardStaffTable, 3, 1, c.meters);
        Receive("0000,0000,2048,0000,0000,0000\r\n");
        ASSERT_EQ(records.size(), 6u);
        EXPECT_EQ(Value(records[2]), c.value);
        EXPECT_EQ(records[2].tenth, c.tenth);
    }
    // Full count: 9.999 m is 9999 mm, never 9998 from its binary fraction.
    records.clear();
    ui::SetTableCell(core::mainpanel::BoardStaffTable, 1, 1, 9.999);
    Receive("4095,0000,0000,0000,0000,0000\r\n");
    EXPECT_EQ(Value(records[0]), "99990");
}

TEST_F(BoardLinesTest, ChangingARowChangesOnlyThatStaffsNextValue) {
    Program.WSWLConnectStatus = 5;
    const std::string line = "1000,1000,1000,1000,1000,1000,1000,1000\r\n";
    Receive(line);
    std::vector<std::string> before;
    for (const Record& r : records)
        before.push_back(Value(r));
    records.clear();
    ui::SetTableCell(core::mainpanel::BoardStaffTable, 2, 1, 3.0);
    Receive(line);
    ASSERT_EQ(records.size(), 8u);
    for (int s = 0; s < 8; ++s) {
        if (s == 1)
            EXPECT_EQ(Value(records[s]), "07326"); // 1000 / 4095 x 3000 mm, in tenths
        else
            EXPECT_EQ(Value(records[s]), before[std::size_t(s)]) << s;
    }
}

TEST_F(BoardLinesTest, EverySixtiethLineBringsTheDateAndTimeForEachStaff) {
    Program.WSWLConnectStatus = 5;
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(8, 9, 10)));
    for (int i = 0; i < 59; ++i)
        Receive("0001,0002,0003,0004,0005,0006\r\n");
    EXPECT_EQ(records.size(), 59u * 6);
    records.clear();
    Receive("0001,0002,0003,0004,0005,0006\r\n");
    ASSERT_EQ(records.size(), 18u);
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(records[3 * s].text.substr(0, 8), "C00" + std::to_string(s + 1) + ",D1,");
        EXPECT_EQ(records[3 * s + 1].text.substr(0, 18),
                  "C00" + std::to_string(s + 1) + ",D8,2026-12-07");
        EXPECT_EQ(records[3 * s + 2].text.substr(0, 16),
                  "C00" + std::to_string(s + 1) + ",D9,08:09:10");
    }
    records.clear();
    Receive("0001,0002,0003,0004,0005,0006\r\n");
    EXPECT_EQ(records.size(), 6u);
}

TEST_F(BoardLinesTest, AStaffWithoutALengthIsSaidOnce) {
    Program.WSWLConnectStatus = 5;
    ui::SetTableCell(core::mainpanel::BoardStaffTable, 2, 1, 0.0);
    ui::SetTableCell(core::mainpanel::BoardStaffTable, 5, 1, 0.0);
    Receive("1000,1000,1000,1000,1000,1000\r\n");
    EXPECT_EQ(Value(records[1]), "00000");
    EXPECT_TRUE(ui::LastStatus().contains("staff 2, 5")) << ui::LastStatus().toStdString();
    ui::ShowStatus("something else");
    Receive("1000,1000,1000,1000,1000,1000\r\n");
    EXPECT_EQ(ui::LastStatus(), "something else");
}

} // namespace
} // namespace undarix::testing
