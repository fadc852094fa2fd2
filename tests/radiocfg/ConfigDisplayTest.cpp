// Which controls each unit kind shows, on the configuration page and the main panel, with and
// without factory mode.

#include "radiocfg/ConfigDisplay.h"
#include "core/ConfigPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "radiocfg/PageOperations.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QTableWidget>

namespace undarix::testing {
namespace {

using namespace core::configpage;
namespace mainpanel = core::mainpanel;
using core::Program;

class ConfigDisplayTest : public PanelTest {
protected:
    void ShowKind(int kind, int factory) {
        Program.UnitType = kind;
        Program.FactoryMode = factory;
        if (kind == 7) popups->ExpectMessage("POWER UP VAZAVEVEZEZE FIRST");
        radiocfg::SetUpConfigDisplay();
    }
};

// One character per kind 0..7: V shown, H hidden, F shown only in factory mode.
struct Row {
    ui::Role role;
    const char* kinds;
};

const Row kPage[] = {
    {NetworkAddressField, "VVVHHHHH"},
    {DataFormatRing, "VVVHHHHH"},
    {SampleRateField, "VVVHHHHH"},
    {FilterSwitch, "VVVHHHHH"},
    {WiredSampleRateField, "HHHVVVVV"},
    {SerialOutputSwitch, "HHHVVVVH"},
    {AirTemperatureSwitch, "HHHVVVVH"},
    {WiredDataFormatSwitch, "HHHVVVVH"},
    {PortRunModeRing, "HHHVVHHV"},
    {AnalogOutputSwitch, "HHHVVHHH"},
    {BurstLengthField, "VVVHHVVH"},
    {BurstIntervalField, "VVVHHVVH"},
    {PowerFrame, "VVVHHHHH"},
    {PowerSwitch, "VVHHHHHH"},
    {VoltageGauge, "VVVHHHHH"},
    {ReadVoltageButton, "VVVHHHHH"},
    {AlarmFrame, "HHHVHHHH"},
    {Alarm1EnableSwitch, "HHHVHHHH"},
    {Alarm2OffLevel, "HHHVHHHH"},
    {LowCalPointField, "HHHVVVVH"},
    {HighCalPointField, "HHHVVVVH"},
    {LowReadingField, "HHHVVVVH"},
    {HighReadingField, "HHHVVVVH"},
    {GainField, "HHHVVVVH"},
    {OffsetField, "HHHVVVVH"},
    {WiredCalibrateButton, "HHHVVVVH"},
    {SetDefaultValuesButton, "HHHVVVVH"},
    {AutoCalLowButton, "HHHHHHHH"},
    {AutoCalHighButton, "HHHHHHHH"},
    {CalibrationFrame, "VVVVVVVH"},
    {StaffLengthField, "VVVVVVVH"},
    {StaffTypeRing, "VVVVVVVH"},
    {CalibrateMetersField, "VVVHHHHH"},
    {CalSetButton, "VVVHHHHH"},
    {CalClearPointButton, "VVVHHHHH"},
    {CalClearAllButton, "VVVHHHHH"},
    {CalPointsTable, "VVVHHHHH"},
    {CurrentModeSwitch, "VHHHHHHH"},
    {FactoryCalibrateButton, "VVVHHHHH"},
    {SavePresentCalButton, "FFFHHHHH"},
    {HighTripField, "HFFHHHHH"},
    {LowTripField, "HFFHHHHH"},
    {DeadZoneField, "HFFHHHHH"},
    {SerialNumberEntry, "FFFHHHHH"},
    {RemotePanIdLabel, "VVHHHHHH"},
    {RemotePanIdField, "VVHHHHHH"},
    {SaveRemotePanIdButton, "VVHHHHHH"},
    {StartTimeFrame, "VVVHHVVH"},
    {StartTimeSwitch, "VVVHHVVH"},
    {StartMinuteField, "VVVHHVVH"},
    {WriteStartTimeButton, "VVVHHVVH"},
    {ClockFrame, "VVVHHVVV"},
    {ClockSecondField, "VVVHHVVV"},
    {ClockDifferenceText, "VVVHHVVV"},
    {CompareClockButton, "VVVHHVVV"},
    {ClockCalibrationField, "VVVHHHHH"},
    {DeviceNumberSelector, "VVVHHHHH"},
    {ConfigureRunSwitch, "HHHVVVVV"},
    {FileIntervalField, "HHHHHVVH"},
    {TtlRunModeSwitch, "HHHVVHHH"},
    {TimeTagRing, "HHHHHHHV"},
    {ModelText, "VVVVVVVV"},
    {ReScanButton, "VVVVVVVV"},
    {NewDeviceNumberField, "VVVVVVVV"},
};

const Row kMainPanel[] = {
    {mainpanel::LocalPanId, "VVVHHHHH"},         {mainpanel::AutoTimeSyncSwitch, "VVVHHHHH"},
    {mainpanel::BroadcastPowerRing, "VVVHHHHH"}, {mainpanel::BroadcastPowerLabel, "VVVHHHHH"},
    {mainpanel::ConnectionText, "HHHVVVVV"},     {mainpanel::WiredGroup, "HHHVVVVV"},
    {mainpanel::WiredIdentity, "HHHVVVVV"},      {mainpanel::StaffLengthDisplay, "HHHVVVVH"},
    {mainpanel::AirTempLive, "HHHVVVVH"},        {mainpanel::BoardStaffTable, "HHHHHHHV"},
    {mainpanel::SyncDiagnostic, "FFFHHHHH"},
};

TEST_F(ConfigDisplayTest, EveryKindShowsItsOwnControls) {
    for (int factory : {0, 1}) {
        for (int kind = 0; kind < 8; ++kind) {
            ShowKind(kind, factory);
            for (const Row* table : {kPage, kMainPanel}) {
                const std::size_t count = table == kPage ? std::size(kPage) : std::size(kMainPanel);
                for (std::size_t i = 0; i < count; ++i) {
                    const char rule = table[i].kinds[kind];
                    const bool shown = rule == 'V' || (rule == 'F' && factory);
                    EXPECT_EQ(ui::IsVisible(table[i].role), shown)
                        << table[i].role << " kind " << kind << " factory " << factory;
                }
            }
            EXPECT_EQ(Program.WSWLConnectStatus, 0);
        }
    }
}

TEST_F(ConfigDisplayTest, CaptionsComeAndGoWithTheirControls) {
    ShowKind(0, 0);
    EXPECT_TRUE(ui::IsVisible("sampleRateFieldCaption"));
    EXPECT_FALSE(ui::IsVisible("wiredSampleRateFieldCaption"));
    EXPECT_FALSE(ui::IsVisible("highTripFieldCaption"));
    ShowKind(5, 0);
    EXPECT_FALSE(ui::IsVisible("sampleRateFieldCaption"));
    EXPECT_TRUE(ui::IsVisible("wiredSampleRateFieldCaption"));
    EXPECT_TRUE(ui::IsVisible("fileIntervalFieldCaption"));
}

TEST_F(ConfigDisplayTest, FactoryModeShowsTheFactoryControlsOfTheKindShown) {
    ShowKind(1, 0);
    for (ui::Role role :
         {HighTripField, LowTripField, DeadZoneField, SerialNumberEntry, SavePresentCalButton})
        EXPECT_FALSE(ui::IsVisible(role)) << role;
    // Through the factory button, as the user switches it on.
    popups->ExpectPrompt("This is a Factory Prompt", QString("UNDARIX-FACTORY"));
    ui::Dispatch(FactoryButton, ui::Event::Commit);
    for (ui::Role role : {HighTripField, LowTripField, DeadZoneField, SerialNumberEntry,
                          SavePresentCalButton, mainpanel::SyncDiagnostic})
        EXPECT_TRUE(ui::IsVisible(role)) << role;

    ShowKind(0, 1);
    EXPECT_TRUE(ui::IsVisible(SerialNumberEntry));
    EXPECT_TRUE(ui::IsVisible(SavePresentCalButton));
    EXPECT_FALSE(ui::IsVisible(HighTripField));
    EXPECT_FALSE(ui::IsVisible(DeadZoneField));
}

TEST_F(ConfigDisplayTest, DimmingAndDefaultsLeaveTheChoosersUsable) {
    ui::SetInt(SampleRateField, 16);
    ui::SetText(ModelText, "TALQ-310-406-XB");
    ui::SetTableCell(CalPointsTable, 3, 1, 0.5);
    ui::SetU64(NetworkAddressField, 0x1234);
    ui::SetTextColor(ClockHourField, ui::kRed);
    ui::SetButtonMark(SetClockButton, ui::kRed);
    ui::SetInt(ConfigureRunSwitch, 1);

    radiocfg::DimAllConfig();
    radiocfg::DefaultAllConfig();
    for (ui::Role role : kAllRoles) {
        const bool usable = role == DeviceNumberSelector || role == NetworkAddressField ||
                            role == ReScanButton || role == ConfigureRunSwitch ||
                            role == FactoryButton || role == ConnectionText ||
                            role == ConnectedIndicator || role == RemotePanIdLabel ||
                            role == PowerFrame || role == AlarmFrame || role == CalibrationFrame ||
                            role == StartTimeFrame || role == ClockFrame;
        EXPECT_EQ(ui::IsDimmed(role), !usable) << role;
    }
    EXPECT_EQ(ui::GetInt(SampleRateField), 1);
    EXPECT_EQ(ui::GetText(ModelText), "");
    EXPECT_EQ(ui::Widget<QTableWidget>(CalPointsTable)->item(2, 0), nullptr);
    EXPECT_EQ(ui::GetU64(NetworkAddressField), 0u);
    EXPECT_EQ(ui::GetTextColor(ClockHourField), ui::kBlack);
    EXPECT_EQ(ui::GetButtonMark(SetClockButton), 0u);
    EXPECT_EQ(ui::GetInt(ConfigureRunSwitch), 1); // the wired mode switch is the user's
    EXPECT_EQ(ui::GetInt(DataFormatRing), 1);
    EXPECT_EQ(ui::GetInt(CurrentModeSwitch), 1);
}

TEST_F(ConfigDisplayTest, RingsCarryTheValuesTheUnitsUse) {
    struct Item {
        ui::Role ring;
        int index;
        const char* label;
        int value;
    };
    const Item items[] = {
        {DataFormatRing, 0, "ASCII 32 Samples", 1},
        {DataFormatRing, 3, "ASCII 1 Sample", 4},
        {StaffTypeRing, 2, "Sonic", 3},
        {CurrentModeSwitch, 1, "High", 2},
        {PortRunModeRing, 1, "Sync", 1},
        {ConfigureRunSwitch, 0, "Run", 0},
        {TimeTagRing, 3, "Day", 3},
    };
    for (const Item& item : items) {
        EXPECT_EQ(ui::GetListLabel(item.ring, item.index), item.label);
        EXPECT_EQ(ui::GetListValue(item.ring, item.index), item.value);
    }
    ui::SetInt(StaffTypeRing, 3);
    EXPECT_EQ(ui::GetInt(StaffTypeRing), 3);
}

} // namespace
} // namespace undarix::testing
