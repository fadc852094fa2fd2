// The configuration session through the real receive path: read sequences by kind, the
// overdue-reply limits, the unit choosers, the unit-kind change and the PAN ID read.

#include "FakeUnit.h"
#include "RadioLink.h"

#include "core/ConfigPageRoles.h"
#include "core/Hooks.h"
#include "live/DeviceTable.h"
#include "radiocfg/ConfigSession.h"
#include "radiocfg/RadioConfigState.h"
#include "radiocfg/UnitCommandSender.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/widgets/HexField.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSpinBox>
#include <QTableWidget>
#include <QWheelEvent>

#include <algorithm>

namespace undarix::testing {
namespace {

using namespace core::configpage;
namespace mainpanel = core::mainpanel;
using core::Program;

constexpr std::uint64_t kUnit = 0x0013A20040A1B2C3ull;
constexpr std::uint64_t kOther = 0x0013A20040A1B200ull;

std::string Strip(const std::string& text) {
    return text.substr(0, text.find('\r'));
}

class ConfigSessionTest : public RadioLinkTest {
protected:
    void ChooseByAddress(std::uint64_t address) {
        ui::SetU64(NetworkAddressField, address);
        ui::Dispatch(NetworkAddressField, ui::Event::Commit);
    }

    // Answers every command the session sends, as `unit` would, until the session has been
    // idle for a few ticks. Returns the unit commands in the order sent; AT requests are
    // answered with the PAN ID 0x3332 and collected in `atRequests`.
    std::vector<std::string> Converse(const FakeUnit& unit, int maxTicks = 400) {
        std::vector<std::string> commands;
        int idle = 0;
        for (int i = 0; i < maxTicks && idle < 3; ++i) {
            Tick();
            for (const SentFrame& frame : TakeSent()) {
                if (frame.api == link::codec::kTransmitRequest) {
                    commands.push_back(Strip(frame.text));
                    const std::string reply = unit.Answer(frame.text);
                    if (!reply.empty()) Reply(frame.destination, reply);
                } else {
                    atRequests.push_back(frame);
                    if (frame.api == link::codec::kRemoteATCommand && frame.text == "ID")
                        RemoteResponse(frame.destination, "ID", 0,
                                       std::string("\0\0\0\0\0\0\x33\x32", 8));
                }
            }
            idle = Program.ConfigStatus == 3 && Program.TxWait == 0 ? idle + 1 : 0;
        }
        return commands;
    }

    std::vector<SentFrame> atRequests;
};

TEST_F(ConfigSessionTest, EachKindIsReadToTheEndAndTheWholeConfigurationShown) {
    struct Case {
        const char* what;
        FakeUnit unit;
        int count;
        std::vector<std::string> tail;
        int kind;
        bool panRead;
    };
    FakeUnit twelve;
    FakeUnit old;
    old.firmware = "1.90";
    FakeUnit highCurrent;
    highCurrent.currentMode = 2;
    FakeUnit sonic;
    sonic.model = "TALQ-310-435-XB";
    sonic.firmware = "1.00";
    FakeUnit rv;
    rv.model = "TALQ-310-436-RV";
    const Case cases[] = {
        {"12-point unit", twelve, 20, {"RW", "GT", "GS", "GA"}, 0, true},
        {"old firmware", old, 23, {"RW", "GT", "GS", "GG", "GO", "GL", "GH"}, 0, true},
        {"current mode 2", highCurrent, 20, {"RW", "TT", "TS", "TA"}, 0, true},
        {"sonic XB", sonic, 22, {"RG", "RU", "RY", "GT", "GS", "GA"}, 1, true},
        {"sonic RV", rv, 22, {"RG", "RU", "RY", "GT", "GS", "GA"}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Program.UnitType = 0;
        Program.ConfigCurrentMode = 1;
        atRequests.clear();
        ChooseByAddress(kUnit);
        const std::vector<std::string> commands = Converse(c.unit);

        ASSERT_EQ(int(commands.size()), c.count);
        EXPECT_EQ(commands.front(), "WZ,2");
        EXPECT_TRUE(std::equal(c.tail.rbegin(), c.tail.rend(), commands.rbegin()));
        EXPECT_EQ(Program.ConfigStatus, 3);
        EXPECT_EQ(Program.UnitType, c.kind);
        EXPECT_EQ(Program.ConfigCurrentMode, c.unit.currentMode);
        // The PAN ID is asked for once, after the last reply, and never of an RV.
        ASSERT_EQ(atRequests.size(), c.panRead ? 1u : 0u);
        if (c.panRead) {
            EXPECT_EQ(atRequests[0].api, link::codec::kRemoteATCommand);
            EXPECT_EQ(atRequests[0].destination, kUnit);
            EXPECT_EQ(ui::GetU64(RemotePanIdField), 0x3332u);
            EXPECT_FALSE(ui::IsDimmed(RemotePanIdField));
        }

        EXPECT_EQ(ui::GetText(ConnectionText), "Connected");
        EXPECT_EQ(ui::GetTextColor(ConnectionText), ui::kGreen);
        EXPECT_TRUE(ui::IsVisible(ConnectedIndicator));
        EXPECT_EQ(ui::GetText(ModelText), QString::fromStdString(c.unit.model));
        EXPECT_EQ(ui::GetText(FirmwareVersionText), QString::fromStdString(c.unit.firmware));
        EXPECT_EQ(ui::GetText(SerialNumberText), "SN-0042");
        EXPECT_EQ(ui::GetInt(DeviceNumberSelector), 7);
        EXPECT_EQ(ui::GetInt(NewDeviceNumberField), 7);
        EXPECT_EQ(ui::GetU64(NetworkAddressField), kUnit);
        EXPECT_EQ(ui::Widget<ui::HexField>(NetworkAddressField)->text(), "0013A20040A1B2C3");
        struct Shown {
            ui::Role role;
            int value;
        };
        for (const Shown& s : {Shown{SampleRateField, 16},
                               {BurstLengthField, 5},
                               {BurstIntervalField, 30},
                               {FilterSwitch, 1},
                               {DataFormatRing, 2},
                               {StartTimeSwitch, 1},
                               {StartYearField, 2027},
                               {StartMonthField, 1},
                               {StartDayField, 1},
                               {StartHourField, 0},
                               {StartMinuteField, 0},
                               {ClockYearField, 2026},
                               {ClockMonthField, 12},
                               {ClockDayField, 7},
                               {ClockHourField, 11},
                               {ClockMinuteField, 58},
                               {ClockSecondField, 7},
                               {PowerSwitch, 1}}) {
            EXPECT_EQ(ui::GetInt(s.role), s.value) << s.role;
            EXPECT_FALSE(ui::IsDimmed(s.role)) << s.role;
        }
        EXPECT_EQ(ui::GetInt(ClockCalibrationField), -12);
        EXPECT_DOUBLE_EQ(ui::GetReal(VoltageGauge), 2.7);
        EXPECT_NEAR(ui::GetReal(StaffLengthField), 4.5, 1e-9);
        EXPECT_EQ(ui::GetInt(StaffTypeRing), c.kind == 1 ? 3 : 2);
        if (c.count == 23) {
            EXPECT_EQ(Program.Version12CalPts, 0);
            EXPECT_NEAR(ui::GetReal(GainField), 1.234, 1e-9);
            EXPECT_NEAR(ui::GetReal(OffsetField), -0.05, 1e-9);
            EXPECT_NEAR(ui::GetReal(LowCalPointField), 0.5, 1e-9);
            EXPECT_NEAR(ui::GetReal(HighCalPointField), 2.5, 1e-9);
            EXPECT_TRUE(ui::IsVisible(GainField));
            EXPECT_FALSE(ui::IsVisible(CalPointsTable));
        } else {
            EXPECT_EQ(Program.Version12CalPts, 1);
            for (int row = 1; row <= 12; ++row)
                EXPECT_NEAR(ui::GetTableCell(CalPointsTable, row, 1), c.unit.points[row - 1], 1e-9);
            EXPECT_FALSE(ui::IsDimmed(CalPointsTable));
            EXPECT_TRUE(ui::IsVisible(CalPointsTable));
            EXPECT_FALSE(ui::IsVisible(GainField));
        }
        if (c.kind != 0) {
            EXPECT_EQ(ui::GetInt(HighTripField), 2500);
            EXPECT_EQ(ui::GetInt(LowTripField), 500);
            EXPECT_EQ(ui::GetInt(DeadZoneField), 200);
        }
    }
}

TEST_F(ConfigSessionTest, ADeviceNumberChoosesItsUnitAndZeroEndsTheSessionWithoutSearching) {
    live::OutputLine[2].address = kOther;
    live::OutputLine[2].deviceNumber = 4;
    live::OutputLine[5].address = kUnit;
    live::OutputLine[5].deviceNumber = 7;

    ui::SetInt(DeviceNumberSelector, 7);
    ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
    EXPECT_EQ(Program.ConfigDeviceAddr, kUnit);
    EXPECT_EQ(Program.ConfigStatus, 1);
    Tick();
    const std::vector<SentFrame> sent = TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].destination, kUnit);
    EXPECT_EQ(sent[0].text, "WZ,2\r\n");
    EXPECT_EQ(ui::GetU64(NetworkAddressField), kUnit);
    Reply(kUnit, "$WZ,2");
    EXPECT_EQ(ui::GetText(ConnectionText), "Connected");

    // A free record carries device number 0: number 0 must not pick it.
    live::OutputLine[0].address = 0;
    live::OutputLine[1].address = kOther;
    live::OutputLine[1].deviceNumber = 0;
    ui::SetInt(DeviceNumberSelector, 0);
    ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
    EXPECT_EQ(Program.ConfigStatus, 0);
    Tick();
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    EXPECT_EQ(ui::GetTextColor(ConnectionText), ui::kRed);
    EXPECT_FALSE(ui::IsVisible(ConnectedIndicator));
    EXPECT_TRUE(ui::IsDimmed(SampleRateField));
    EXPECT_FALSE(ui::IsDimmed(DeviceNumberSelector));
    Tick(5); // drawn once
    EXPECT_EQ(Program.LastConfigStatus, 0);

    // A number no unit carries leaves the page "Not Connected".
    ui::SetInt(DeviceNumberSelector, 9);
    ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
    EXPECT_EQ(Program.ConfigStatus, 0);
    EXPECT_EQ(Program.ConfigDeviceAddr, 0u);
    EXPECT_EQ(ui::GetInt(DeviceNumberSelector), 9);
    Tick();
    EXPECT_EQ(ui::GetInt(DeviceNumberSelector), 0);
}

// Scrolling the page over the device-number selector, or a stray arrow key, must not step
// from unit to unit, each step starting a session with another unit.
TEST_F(ConfigSessionTest, TheWheelAndStepKeysDoNotChangeTheUnitBeingConfigured) {
    live::OutputLine[2].address = kOther;
    live::OutputLine[2].deviceNumber = 8;
    live::OutputLine[5].address = kUnit;
    live::OutputLine[5].deviceNumber = 7;
    ui::SetInt(DeviceNumberSelector, 7);
    ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
    ASSERT_EQ(Program.ConfigDeviceAddr, kUnit);
    auto* selector = ui::Widget<QSpinBox>(DeviceNumberSelector);
    ASSERT_TRUE(selector);
    selector->setEnabled(true);

    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(selector, &wheel);
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_PageUp}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(selector, &press);
    }
    EXPECT_EQ(selector->buttonSymbols(), QAbstractSpinBox::NoButtons);
    EXPECT_EQ(ui::GetInt(DeviceNumberSelector), 7);
    EXPECT_EQ(Program.ConfigDeviceAddr, kUnit);
}

TEST_F(ConfigSessionTest, TheSixthOverdueReadReplyIsResentAndTheSeventhEndsTheSession) {
    ChooseByAddress(kUnit);
    Tick();
    ASSERT_EQ(TakeCommands(), std::vector<std::string>{"WZ,2\r\n"});
    for (int resend = 1; resend <= 6; ++resend) {
        Tick(12);
        EXPECT_TRUE(TakeCommands().empty()) << resend;
        Tick();
        EXPECT_EQ(TakeCommands(), std::vector<std::string>{"WZ,2\r\n"}) << resend;
        EXPECT_EQ(Program.ConfigStatus, 2);
    }
    Tick(12);
    EXPECT_EQ(Program.ConfigStatus, 2);
    Tick();
    EXPECT_TRUE(TakeCommands().empty());
    EXPECT_EQ(Program.ConfigStatus, 0);
    EXPECT_EQ(Program.ConfigDeviceAddr, 0u);
    Tick();
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    // 0.01 s before every read command.
    EXPECT_EQ(std::count(delays.begin(), delays.end(), 0.01), 7);
}

TEST_F(ConfigSessionTest, AnAnsweredReadIsFollowedByTheNextOnTheNextTick) {
    ChooseByAddress(kUnit);
    Tick();
    TakeCommands();
    Tick(5);
    Reply(kUnit, "$WZ,2");
    EXPECT_EQ(Program.TxWait, 0);
    Tick();
    EXPECT_EQ(TakeCommands(), std::vector<std::string>{"RX\r\n"});
    // A reply that fits no command ("$WZ,2 ") leaves the command outstanding.
    Reply(kUnit, "$WZ,2 ");
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_EQ(Program.ConfigType, 2);
}

TEST_F(ConfigSessionTest, AnUnansweredWriteIsResentEvery43TicksSixTimesThenDropped) {
    FakeUnit unit;
    ChooseByAddress(kUnit);
    Converse(unit);
    ASSERT_EQ(Program.ConfigStatus, 3);
    ASSERT_EQ(Program.TxRetries, 0);

    radiocfg::SendUnitSetting(radiocfg::codec::FormatInt("WS", 8));
    ASSERT_EQ(TakeCommands(), std::vector<std::string>{"WS,8\r\n"});
    for (int resend = 1; resend <= 6; ++resend) {
        Tick(42);
        EXPECT_TRUE(TakeCommands().empty());
        Tick();
        EXPECT_EQ(TakeCommands(), std::vector<std::string>{"WS,8\r\n"}) << resend;
    }
    Tick(43);
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_EQ(Program.TxRetries, 0);
    EXPECT_EQ(Program.ConfigStatus, 3); // still connected
    Tick(100);
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(ConfigSessionTest, AnUnansweredPanIdRequestIsResentAsARemoteATCommand) {
    FakeUnit unit;
    unit.model = "TALQ-310-435-XB";
    ChooseByAddress(kUnit);
    // Answer the reads, not the PAN ID request.
    int requests = 0;
    for (int i = 0; i < 200 && requests == 0; ++i) {
        Tick();
        for (const SentFrame& frame : TakeSent()) {
            if (frame.api == link::codec::kTransmitRequest)
                Reply(frame.destination, unit.Answer(frame.text));
            else
                ++requests;
        }
    }
    ASSERT_EQ(requests, 1);
    EXPECT_EQ(Program.ConfigStatus, 3);
    EXPECT_EQ(radiocfg::RadioConfig.PanIdReadPending, 0);
    Tick(43);
    const std::vector<SentFrame> resend = TakeSent();
    ASSERT_EQ(resend.size(), 1u);
    EXPECT_EQ(resend[0].api, link::codec::kRemoteATCommand);
    EXPECT_EQ(resend[0].destination, kUnit);
    EXPECT_EQ(resend[0].text, "ID");
}

TEST_F(ConfigSessionTest, ATimedOutTableRecordEndsTheSession) {
    ChooseByAddress(kUnit);
    Converse(FakeUnit{});
    Program.ClearConfig = 1;
    Tick();
    EXPECT_EQ(Program.ClearConfig, 0);
    EXPECT_EQ(Program.ConfigDeviceAddr, 0u);
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    EXPECT_TRUE(ui::IsDimmed(ModelText));
    EXPECT_EQ(ui::GetText(ModelText), "");
}

TEST_F(ConfigSessionTest, ReScanReadsTheSameUnitAgainAndWantsAUnit) {
    ChooseByAddress(kUnit);
    Converse(FakeUnit{});
    ui::Dispatch(ReScanButton, ui::Event::Commit);
    EXPECT_EQ(Program.ConfigStatus, 1);
    EXPECT_EQ(Program.ConfigDeviceAddr, kUnit);
    EXPECT_TRUE(ui::IsDimmed(SampleRateField));
    Tick();
    EXPECT_EQ(TakeCommands(), std::vector<std::string>{"WZ,2\r\n"});

    ui::SetU64(NetworkAddressField, 0);
    ui::Dispatch(ReScanButton, ui::Event::Commit);
    EXPECT_EQ(Program.ConfigStatus, 0);
    Tick();
    EXPECT_TRUE(TakeCommands().empty());
}

TEST_F(ConfigSessionTest, ChangingTheKindClearsEverythingAndClosesThePort) {
    int chartResets = 0;
    core::hooks.ChartReset = [&] { ++chartResets; };
    live::OutputLine[0].address = kUnit;
    live::OutputLine[0].deviceNumber = 7;
    ChooseByAddress(kUnit);
    Converse(FakeUnit{});
    for (ui::Role timer : {core::timer::DeviceDisplay, core::timer::Config})
        ui::SetTimerEnabled(timer, true);

    ui::SetInt(mainpanel::UnitTypeRing, 5);
    ui::Dispatch(mainpanel::UnitTypeRing, ui::Event::Commit);
    EXPECT_EQ(Program.UnitType, 5);
    EXPECT_EQ(chartResets, 1);
    EXPECT_EQ(live::OutputLine[0].address, 0u);
    for (ui::Role timer : {core::timer::DeviceDisplay, core::timer::Config,
                           core::timer::WiredConnect, core::timer::WiredConfig})
        EXPECT_FALSE(ui::IsTimerEnabled(timer)) << timer;
    EXPECT_EQ(Program.OpenComPortNum, 0);
    EXPECT_NE(std::find(delays.begin(), delays.end(), 0.5), delays.end());
    EXPECT_EQ(Program.ConfigStatus, 0);
    EXPECT_EQ(Program.ConfigDeviceAddr, 0u);
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    EXPECT_EQ(ui::GetText(mainpanel::ConnectionText), "Not Connected");
    EXPECT_EQ(ui::GetTextColor(mainpanel::ConnectionText), ui::kRed);
    EXPECT_TRUE(ui::IsDimmed(mainpanel::LocalPanId));
    EXPECT_TRUE(ui::IsDimmed(SampleRateField));
    EXPECT_TRUE(ui::IsVisible(ConfigureRunSwitch));
    EXPECT_FALSE(ui::IsVisible(DeviceNumberSelector));
    EXPECT_EQ(ui::GetInt(DeviceNumberSelector), 0);

    // The board asks to be powered up before anything else.
    popups->ExpectMessage("POWER UP VAZAVEVEZEZE FIRST");
    ui::SetInt(mainpanel::UnitTypeRing, 7);
    ui::Dispatch(mainpanel::UnitTypeRing, ui::Event::Commit);
    EXPECT_EQ(Program.UnitType, 7);
    EXPECT_TRUE(ui::IsVisible(mainpanel::BoardStaffTable));

    // The Ravo Zerar note comes with kind 3 only.
    EXPECT_FALSE(ui::HelpOf(mainpanel::UnitTypeRing).has_value());
    ui::SetInt(mainpanel::UnitTypeRing, 3);
    ui::Dispatch(mainpanel::UnitTypeRing, ui::Event::Commit);
    ASSERT_TRUE(ui::HelpOf(mainpanel::UnitTypeRing).has_value());
    EXPECT_EQ(ui::HelpOf(mainpanel::UnitTypeRing)->title, "RAVO ZERAR TYPE");
}

} // namespace
} // namespace undarix::testing
