// Replies as the dispatcher hands them over: the text in RxChars up to its zero, with
// whatever an earlier, longer reply left behind it.

#include "radiocfg/ReplyParser.h"
#include "core/ConfigPageRoles.h"
#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "support/CNumbers.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"
#include "ui/widgets/Gauge.h"

#include "RadioLink.h"

#include <cstring>

namespace undarix::testing {
namespace {

using namespace core::configpage;
using core::Program;

class ReplyParserTest : public PanelTest {
protected:
    // As the dispatcher copies a reply: its characters and a zero, the rest of RxChars as it
    // was.
    void Parse(const std::string& reply, int slot = 0) {
        std::memcpy(core::RxChars, reply.data(), reply.size());
        core::RxChars[reply.size()] = '\0';
        Program.TxWait = 1;
        radiocfg::RxConfigData(slot);
    }
    static std::string Table(double first, double step, int count) {
        std::string text = "$GA,";
        for (int k = 0; k < count; ++k) {
            text += CPrintf(k + 1 < count ? "%8.4f," : "%8.4f", first + k * step);
        }
        return text;
    }
};

TEST_F(ReplyParserTest, OnlyTheExactOpeningAcknowledgeConnects) {
    Parse("$WZ,2 ");
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    Parse("$WZ,2");
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_EQ(ui::GetText(ConnectionText), "Connected");
    EXPECT_EQ(ui::GetTextColor(ConnectionText), ui::kGreen);
    EXPECT_TRUE(ui::IsVisible(ConnectedIndicator));
}

TEST_F(ReplyParserTest, TextsThatAreNotRepliesAreIgnored) {
    for (const char* text : {"", "RS,16", "$", "$R", "$QS,1", "$RB,1", "$GZ,1", "$F?,1"}) {
        Parse(text);
        EXPECT_EQ(Program.TxWait, 1) << text;
    }
}

TEST_F(ReplyParserTest, TheStartTimeIsShownOneMinuteLater) {
    struct Case {
        const char* reply;
        int year, month, day, hour, minute;
    };
    const Case cases[] = {
        {"$RQ,2019-12-31T23:59", 2020, 1, 1, 0, 0},
        {"$RQ,2019-02-28T23:59", 2019, 3, 1, 0, 0},
        {"$RQ,2020-02-28T23:59", 2020, 2, 29, 0, 0},
        {"$RQ,2020-06-01T10:00", 2020, 6, 1, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        ui::SetDimmed(WriteStartTimeButton, true);
        Parse(c.reply);
        EXPECT_EQ(ui::GetInt(StartYearField), c.year);
        EXPECT_EQ(ui::GetInt(StartMonthField), c.month);
        EXPECT_EQ(ui::GetInt(StartDayField), c.day);
        EXPECT_EQ(ui::GetInt(StartHourField), c.hour);
        EXPECT_EQ(ui::GetInt(StartMinuteField), c.minute);
        EXPECT_FALSE(ui::IsDimmed(StartDayField));
        EXPECT_FALSE(ui::IsDimmed(WriteStartTimeButton));
        EXPECT_EQ(Program.TxWait, 0);
    }
}

TEST_F(ReplyParserTest, TheFirmwareVersionChoosesTheCalibrationStyle) {
    struct Case {
        int kind;
        const char* reply;
        int version12;
    };
    const Case cases[] = {
        {0, "$RK,1.90", 0}, {0, "$RK,2.00", 1}, {0, "$RK,10.1", 1},
        {0, "$RK,", 0},     {1, "$RK,1.00", 1}, {2, "$RK,0.50", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        Program.UnitType = c.kind;
        Parse(c.reply);
        EXPECT_EQ(Program.Version12CalPts, c.version12);
        EXPECT_EQ(ui::GetText(FirmwareVersionText), QString(c.reply).mid(4));
        for (ui::Role role : {CalibrateMetersField, CalSetButton, CalClearPointButton,
                              CalClearAllButton, CalPointsTable})
            EXPECT_EQ(ui::IsVisible(role), c.version12 == 1) << role;
        for (ui::Role role : {LowCalPointField, HighCalPointField, AutoCalLowButton,
                              AutoCalHighButton, GainField, OffsetField})
            EXPECT_EQ(ui::IsVisible(role), c.version12 == 0) << role;
        // The caption goes with its field.
        EXPECT_EQ(ui::IsVisible("gainFieldCaption"), c.version12 == 0);
    }
}

TEST_F(ReplyParserTest, TheModelNamesTheKindAndTheKindThePage) {
    struct Case {
        const char* reply;
        int kind;
        bool currentMode, panId, powerSwitch, tripPoints;
    };
    Program.FactoryMode = 1;
    const Case cases[] = {
        {"$RH,TALQ-310-435-XB", 1, false, true, true, true},
        {"$RH,TALQ-310-436-RV", 2, false, false, false, true},
        {"$RH,TALQ-310-406-XB", 0, true, true, true, false},
        // A short model after a long one: the old bytes behind it name no kind.
        {"$RH,TALQ", 0, true, true, true, false},
    };
    Parse("$RH,TALQ-310-436-RV");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        Program.ConfigCurrentMode = 2;
        ui::SetDimmed(CurrentModeSwitch, false);
        Parse(c.reply);
        EXPECT_EQ(Program.UnitType, c.kind);
        EXPECT_EQ(ui::GetText(ModelText), QString(c.reply).mid(4));
        EXPECT_EQ(Program.TxWait, 0);
        EXPECT_EQ(ui::IsVisible(CurrentModeSwitch), c.currentMode);
        EXPECT_EQ(ui::IsVisible(RemotePanIdField), c.panId);
        EXPECT_EQ(ui::IsVisible(PowerSwitch), c.powerSwitch);
        EXPECT_TRUE(ui::IsVisible(VoltageGauge));
        EXPECT_EQ(ui::IsVisible(HighTripField), c.tripPoints);
        if (c.kind != 0) {
            EXPECT_EQ(Program.ConfigCurrentMode, 1);
            EXPECT_TRUE(ui::IsDimmed(CurrentModeSwitch));
            EXPECT_FALSE(ui::IsDimmed(FactoryCalibrateButton));
            EXPECT_FALSE(ui::IsDimmed(SavePresentCalButton));
        } else {
            EXPECT_EQ(Program.ConfigCurrentMode, 2);
        }
    }
}

TEST_F(ReplyParserTest, ACurrentModeOfZeroIsNeverTakenOver) {
    Program.ConfigCurrentMode = 1;
    Parse("$RW,0");
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_EQ(Program.ConfigCurrentMode, 1);
    Parse("$RW,2");
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_EQ(Program.ConfigCurrentMode, 2);
    EXPECT_EQ(ui::GetInt(CurrentModeSwitch), 2);
    for (ui::Role role : {CurrentModeSwitch, FactoryCalibrateButton, SavePresentCalButton,
                          AutoCalLowButton, AutoCalHighButton})
        EXPECT_FALSE(ui::IsDimmed(role)) << role;
}

TEST_F(ReplyParserTest, AWriteIsConfirmedOnlyByTheValueTheControlHolds) {
    ui::SetInt(SampleRateField, 16);
    ui::SetDimmed(SampleRateField, true);
    live::OutputLine[3].sampleRate = 4;
    Parse("$WS,8", 3);
    EXPECT_TRUE(ui::IsDimmed(SampleRateField));
    EXPECT_EQ(live::OutputLine[3].sampleRate, 4);
    EXPECT_EQ(Program.TxWait, 0); // not resent: the dimmed field shows it was not taken
    Parse("$WS,16", 3);
    EXPECT_FALSE(ui::IsDimmed(SampleRateField));
    EXPECT_EQ(live::OutputLine[3].sampleRate, 16);

    ui::SetInt(NewDeviceNumberField, 12);
    ui::SetDimmed(NewDeviceNumberField, true);
    Parse("$WX,12");
    EXPECT_FALSE(ui::IsDimmed(NewDeviceNumberField));
    EXPECT_EQ(ui::GetInt(DeviceNumberSelector), 12);

    ui::SetInt(DataFormatRing, 3);
    ui::SetDimmed(DataFormatRing, true);
    Parse("$WO,3");
    EXPECT_EQ(Program.LastDataFormat, 3);
    EXPECT_FALSE(ui::IsDimmed(DataFormatRing));
}

TEST_F(ReplyParserTest, EchoedRealsAreComparedAtThePrecisionSent) {
    struct Case {
        ui::Role field;
        double value;
        const char* echo;
    };
    const Case cases[] = {
        {StaffLengthField, 2.345, "$FS,2.345"},
        {StaffLengthField, 0.1, "$SS,0.100"},
        {GainField, 1.1, "$FG,1.100"},
        {OffsetField, -0.3, "$FO,-0.300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.echo);
        ui::SetReal(c.field, c.value);
        ui::SetDimmed(c.field, true);
        Parse(c.echo);
        EXPECT_FALSE(ui::IsDimmed(c.field));
    }
}

TEST_F(ReplyParserTest, AMatchingPointAcknowledgeReReadsTheCalibrationOnce) {
    struct Case {
        int kind;
        const char* echo;
        bool match;
        int configType;
    };
    const Case cases[] = {
        {0, "$FP,0.1000", true, 17}, {0, "$SN,0.1000", true, 17}, {1, "$FP,0.1000", true, 20},
        {2, "$FN,0.1000", true, 20}, {0, "$FP,0.2000", false, 0}, {0, "$FP,", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.echo);
        Program.UnitType = c.kind;
        Program.ConfigStatus = 3;
        Program.ConfigType = 0;
        ui::SetReal(CalibrateMetersField, 0.1);
        Parse(c.echo);
        EXPECT_EQ(Program.TxWait, c.match ? 0 : 1);
        EXPECT_EQ(Program.ConfigStatus, c.match ? 2 : 3);
        EXPECT_EQ(Program.ConfigType, c.configType);
        if (c.match) {
            EXPECT_EQ(Program.LastConfigStatus, 255);
        }
    }
    Program.UnitType = 0;
    Program.ConfigStatus = 3;
    Parse("$FC,0");
    EXPECT_EQ(Program.TxWait, 1);
    Parse("$SC,1");
    EXPECT_EQ(Program.ConfigStatus, 2);
    EXPECT_EQ(Program.ConfigType, 17);
}

TEST_F(ReplyParserTest, TheTableFillsTwelveRowsAndAShortOneReadsZeroBeyondItsEnd) {
    ui::SetDimmed(CalPointsTable, true);
    Parse(Table(0.1, 0.25, 12));
    for (int row = 1; row <= 12; ++row)
        EXPECT_NEAR(ui::GetTableCell(CalPointsTable, row, 1), 0.1 + (row - 1) * 0.25, 1e-9);
    for (ui::Role role : {CalibrateMetersField, CalSetButton, CalClearPointButton,
                          CalClearAllButton, CalPointsTable})
        EXPECT_FALSE(ui::IsDimmed(role)) << role;

    Parse(Table(3.0, 0.5, 4));
    for (int row = 1; row <= 4; ++row)
        EXPECT_NEAR(ui::GetTableCell(CalPointsTable, row, 1), 3.0 + (row - 1) * 0.5, 1e-9);
    for (int row = 5; row <= 12; ++row)
        EXPECT_EQ(ui::GetTableCell(CalPointsTable, row, 1), 0.0) << row;
}

TEST_F(ReplyParserTest, TheClockDifferenceIsUnitMinusPcWithinHalfADay) {
    struct Case {
        QTime pc;
        const char* reply;
        const char* shown;
    };
    const Case cases[] = {
        {QTime(12, 0, 0), "$RZ,2026-12-07T12:00:02", "2.00"},
        {QTime(12, 59, 59, 500), "$RZ,2026-12-07T13:00:01", "1.50"},
        {QTime(0, 0, 1), "$RZ,2026-12-06T23:59:59", "-2.00"},
        {QTime(23, 59, 59), "$RZ,2026-12-08T00:00:01", "2.00"},
        {QTime(12, 0, 0), "$RZ,2026-12-07T11:59:57", "-3.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        SetNow(QDateTime(QDate(2026, 12, 7), c.pc), 0);
        ui::SetDimmed(ClockDifferenceText, true);
        Parse(c.reply);
        EXPECT_EQ(ui::GetText(ClockDifferenceText), c.shown);
        EXPECT_FALSE(ui::IsDimmed(ClockDifferenceText));
    }
}

TEST_F(ReplyParserTest, TheVoltageGaugeTakesTheRangeAndColoursOfTheKind) {
    auto* gauge = ui::Widget<ui::Gauge>(VoltageGauge);
    ASSERT_NE(gauge, nullptr);
    Program.UnitType = 0;
    Parse("$RV,2.70");
    EXPECT_DOUBLE_EQ(gauge->value(), 2.7);
    EXPECT_EQ(gauge->caption(), "Battery Voltage");
    EXPECT_DOUBLE_EQ(gauge->minimum(), 2.0);
    EXPECT_DOUBLE_EQ(gauge->maximum(), 3.3);
    EXPECT_EQ(gauge->colorAt(2.6), 0xCC0000u);
    EXPECT_EQ(gauge->colorAt(2.7), 0xFFFF00u);
    EXPECT_EQ(gauge->colorAt(3.2), 0x009900u);
    EXPECT_FALSE(ui::IsDimmed(ReadVoltageButton));

    Program.UnitType = 2;
    Parse("$RV,12.5");
    EXPECT_EQ(gauge->caption(), " Supply Voltage");
    EXPECT_DOUBLE_EQ(gauge->maximum(), 50.0);
    EXPECT_EQ(gauge->colorAt(3.0), 0xCC0000u);
    EXPECT_EQ(gauge->colorAt(12.5), 0x009900u);
    EXPECT_EQ(gauge->colorAt(48.0), 0xCC0000u);
}

TEST_F(ReplyParserTest, TheClockButtonsAreTheUsersOnlyWithoutAutomaticSync) {
    Program.EnaAutoSync = 1;
    Parse("$RT,2026-12-07T12:00:05");
    EXPECT_EQ(ui::GetInt(ClockSecondField), 5);
    EXPECT_TRUE(ui::IsDimmed(SetClockButton));
    Parse("$RC,-12");
    EXPECT_EQ(ui::GetInt(ClockCalibrationField), -12);
    EXPECT_TRUE(ui::IsDimmed(ClockCalibrationField));

    Program.EnaAutoSync = 0;
    Parse("$RT,2026-12-07T12:00:05");
    for (ui::Role role : {SetClockButton, ReadClockButton, SyncClockButton, CompareClockButton})
        EXPECT_FALSE(ui::IsDimmed(role)) << role;
    Parse("$RC,-12");
    EXPECT_FALSE(ui::IsDimmed(ClockCalibrationField));

    // The set acknowledges count only with the value 1; otherwise the command is resent.
    Parse("$WT,0");
    EXPECT_EQ(Program.TxWait, 1);
    Parse("$WQ,0");
    EXPECT_EQ(Program.TxWait, 1);
    ui::SetDimmed(ClockHourField, true);
    std::strcpy(Program.TxStr, "WT,26-12-07T12:00:05\r\n"); // the clock command awaited
    Parse("$WT,1");
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_FALSE(ui::IsDimmed(ClockHourField));
    // After a sync that went out between a write and its acknowledge, the write is awaited.
    std::strcpy(Program.TxStr, "WS,16\r\n");
    ui::SetDimmed(ClockHourField, true);
    Parse("$WT,1");
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_FALSE(ui::IsDimmed(ClockHourField));
}

class SerialNumberReplyTest : public RadioLinkTest {};

TEST_F(SerialNumberReplyTest, TheSerialNumberAcknowledgeReadsTheNumberBack) {
    constexpr std::uint64_t kUnit = 0x0013A20040A1B2C3ull;
    Program.ConfigDeviceAddr = kUnit;
    ui::SetDimmed(SerialNumberEntry, true);
    Reply(kUnit, "$W\xAA");
    EXPECT_FALSE(ui::IsDimmed(SerialNumberEntry));
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_EQ(TakeCommands(), std::vector<std::string>{"RD\r\n"});
    Reply(kUnit, "$RD,SN-0099");
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_EQ(ui::GetText(SerialNumberText), "SN-0099");
}

} // namespace
} // namespace undarix::testing
