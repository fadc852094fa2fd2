// The configuration of simulated radio units read through a pseudo-terminal: the port opened
// as the user opens it, the unit chosen by its device number, the whole configuration read by
// the session timer, every control showing the unit's value, and both PAN IDs read.

#include "app/DemoMode.h"
#include "core/ConfigPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "radiocfg/RadioConfigState.h"
#include "radiocfg/codec/UnitCalendar.h"
#include "sim/Calendar.h"
#include "sim/Simulator.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/widgets/HexField.h"

#include <QDateTime>

namespace undarix::testing {
namespace {

using namespace core::configpage;
namespace mainpanel = core::mainpanel;
using core::Program;

class RadioConfigEndToEndTest : public PanelTest {};

QString Hex(std::uint64_t value) {
    return QString::number(qulonglong(value), 16).toUpper();
}

bool InTable(std::uint64_t address, int deviceNumber) {
    for (const live::OutputLineRecord& record : live::OutputLine)
        if (record.address == address && record.deviceNumber == deviceNumber) return true;
    return false;
}

TEST_F(RadioConfigEndToEndTest, TheWholeConfigurationOfEachKindArrivesAndIsShown) {
    struct Case {
        const char* what;
        int kind;
        const char* firmware;
        int units;
        int chosen; // index of the unit chosen
        int currentMode;
    };
    const Case cases[] = {
        {"Ravo Zerar XB with 12 points, second current mode", 0, "", 3, 1, 2},
        {"Ravo Zerar XB with old firmware", 0, "1.90", 1, 0, 1},
        {"Rezav Ivir Erazud XB", 1, "", 2, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimOptions options;
        options.kind = c.kind;
        options.units = c.units;
        options.firmware = c.firmware;
        options.formats = "C"; // one sample per packet: the units show up at once
        options.rate = 8;
        options.seed = std::uint64_t(11 + c.kind * 7 + c.units);
        sim::Simulator simulator(options);
        ASSERT_TRUE(simulator.Start()) << simulator.Error();

        // Settings away from the simulator's defaults, so that each one is really read, none of
        // which stops the unit sampling (a start time past, bursts longer than their interval).
        const std::size_t index = std::size_t(c.chosen);
        const sim::RadioUnitConfig unit = simulator.Inspect([&](sim::SimState& s) {
            sim::RadioUnitConfig& config = s.radio.units[index].config;
            config.burstLength = 45;
            config.burstInterval = 30;
            config.filter = 1;
            config.startEnabled = 1;
            config.startTime = {2020, 2, 28, 23, 59, 0};
            config.rtcCalibration = -7;
            config.currentMode = c.currentMode;
            config.highTrip = 2400;
            config.lowTrip = 600;
            config.deadZone = 150;
            config.sets[0].gain = 1.25;
            config.sets[0].offset = -0.04;
            config.sets[0].autoLowReading = 0.6;
            config.sets[0].autoHighReading = 2.4;
            return config;
        });
        const auto [voltage, adapterPan] = simulator.Inspect([&](sim::SimState& s) {
            return std::pair(s.radio.units[index].BatteryVoltage(), s.radio.adapter.panId);
        });

        app::OpenSimulatedPort(simulator, "Simulated units");
        ASSERT_TRUE(WaitUntil([&] { return InTable(unit.address, unit.deviceNumber); }, 10000));
        ASSERT_TRUE(WaitUntil([&] { return !ui::IsDimmed(mainpanel::LocalPanId); }, 5000));
        EXPECT_EQ(ui::Widget<ui::HexField>(mainpanel::LocalPanId)->text(), Hex(adapterPan));

        ui::SetInt(DeviceNumberSelector, unit.deviceNumber);
        ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
        ASSERT_TRUE(WaitUntil(
            [] {
                return Program.ConfigStatus == 3 && Program.TxWait == 0 &&
                       radiocfg::RadioConfig.PanIdReadPending == 0;
            },
            30000));
        const double unitClock = simulator.Inspect([&](sim::SimState& s) {
            return s.radio.units[index].ClockAt(simulator.Now(), s.context);
        });

        EXPECT_EQ(Program.UnitType, c.kind);
        EXPECT_EQ(Program.ConfigDeviceAddr, unit.address);
        EXPECT_EQ(ui::GetText(ConnectionText), "Connected");
        EXPECT_EQ(ui::GetText(ModelText), QString::fromStdString(unit.model));
        EXPECT_EQ(ui::GetText(FirmwareVersionText), QString::fromStdString(unit.firmware));
        EXPECT_EQ(ui::GetText(SerialNumberText), QString::fromStdString(unit.serial));
        EXPECT_EQ(ui::Widget<ui::HexField>(NetworkAddressField)->text(),
                  QString("%1").arg(qulonglong(unit.address), 16, 16, QChar('0')).toUpper());
        EXPECT_EQ(ui::Widget<ui::HexField>(RemotePanIdField)->text(), Hex(unit.panId));
        EXPECT_FALSE(ui::IsDimmed(SaveRemotePanIdButton));

        const radiocfg::codec::DateTimeFields start = radiocfg::codec::AddOneMinute(
            {unit.startTime.year, unit.startTime.month, unit.startTime.day, unit.startTime.hour,
             unit.startTime.minute, 0});
        struct Shown {
            ui::Role role;
            int value;
        };
        const Shown shown[] = {
            {DeviceNumberSelector, unit.deviceNumber},
            {NewDeviceNumberField, unit.deviceNumber},
            {SampleRateField, unit.sampleRate},
            {BurstLengthField, unit.burstLength},
            {BurstIntervalField, unit.burstInterval},
            {FilterSwitch, unit.filter},
            {DataFormatRing, unit.formatCode},
            {StartTimeSwitch, unit.startEnabled},
            {StartYearField, start.year},
            {StartMonthField, start.month},
            {StartDayField, start.day},
            {StartHourField, start.hour},
            {StartMinuteField, start.minute},
            {PowerSwitch, unit.power},
            {StaffTypeRing, unit.sets[c.currentMode == 1 ? 0 : 1].staffType},
        };
        for (const Shown& s : shown) {
            EXPECT_EQ(ui::GetInt(s.role), s.value) << s.role;
            EXPECT_FALSE(ui::IsDimmed(s.role)) << s.role;
        }
        EXPECT_EQ(ui::GetInt(ClockCalibrationField), unit.rtcCalibration);
        EXPECT_NEAR(ui::GetReal(VoltageGauge), voltage, 0.005);

        const sim::CivilTime clock = sim::ToCivil(unitClock);
        const QDateTime expected(QDate(clock.year, clock.month, clock.day),
                                 QTime(clock.hour, clock.minute, clock.second));
        const QDateTime read(QDate(ui::GetInt(ClockYearField), ui::GetInt(ClockMonthField),
                                   ui::GetInt(ClockDayField)),
                             QTime(ui::GetInt(ClockHourField), ui::GetInt(ClockMinuteField),
                                   ui::GetInt(ClockSecondField)));
        EXPECT_LE(std::abs(read.secsTo(expected)), 30);

        const sim::CalibrationSet& set = unit.sets[c.currentMode == 1 ? 0 : 1];
        EXPECT_NEAR(ui::GetReal(StaffLengthField), set.staffLength, 1e-6);
        if (c.kind == 0) {
            EXPECT_EQ(ui::GetInt(CurrentModeSwitch), c.currentMode);
            EXPECT_EQ(Program.ConfigCurrentMode, c.currentMode);
        }
        if (std::string(c.firmware) == "1.90") {
            EXPECT_EQ(Program.Version12CalPts, 0);
            EXPECT_NEAR(ui::GetReal(GainField), set.gain, 1e-6);
            EXPECT_NEAR(ui::GetReal(OffsetField), set.offset, 1e-6);
            EXPECT_NEAR(ui::GetReal(LowCalPointField), set.autoLowReading, 1e-6);
            EXPECT_NEAR(ui::GetReal(HighCalPointField), set.autoHighReading, 1e-6);
            EXPECT_TRUE(ui::IsVisible(GainField));
            EXPECT_FALSE(ui::IsVisible(CalPointsTable));
        } else {
            EXPECT_EQ(Program.Version12CalPts, 1);
            for (int row = 1; row <= 12; ++row) {
                const double point = row <= set.pointCount ? set.points[std::size_t(row - 1)] : 0.0;
                EXPECT_NEAR(ui::GetTableCell(CalPointsTable, row, 1), point, 1e-4) << row;
            }
            EXPECT_TRUE(ui::IsVisible(CalPointsTable));
            EXPECT_FALSE(ui::IsDimmed(CalPointsTable));
        }
        if (c.kind == 1) {
            EXPECT_EQ(ui::GetInt(HighTripField), unit.highTrip);
            EXPECT_EQ(ui::GetInt(LowTripField), unit.lowTrip);
            EXPECT_EQ(ui::GetInt(DeadZoneField), unit.deadZone);
            EXPECT_FALSE(ui::IsVisible(CurrentModeSwitch));
        }

        // As the user would before another network: the kind chosen again, which clears the
        // table and the page and closes the port.
        ui::SetInt(mainpanel::UnitTypeRing, c.kind);
        ui::Dispatch(mainpanel::UnitTypeRing, ui::Event::Commit);
        EXPECT_EQ(Program.OpenComPortNum, 0);
        EXPECT_EQ(ui::GetText(ModelText), "");
        simulator.Stop();
    }
}

} // namespace
} // namespace undarix::testing
