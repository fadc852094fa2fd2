// The unit settings of the configuration page: each change is one write to the configured
// unit, its control dimmed until the echo; the data-format and one-sample rate limits; the
// start time; edit marking; and writes with no unit to go to.

#include "SettingsFixture.h"

#include "core/PanelRoles.h"
#include "live/DeviceTable.h"
#include "ui/StatusMessage.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QSpinBox>
#include <QWheelEvent>

#include <functional>

namespace undarix::testing {
namespace {

using namespace core::configpage;
namespace mainpanel = core::mainpanel;
using core::Program;

class SettingsCallbacksTest : public SettingsTest {};

TEST_F(SettingsCallbacksTest, EachSettingIsOneWriteThatTheEchoConfirms) {
    struct Case {
        ui::Role control;
        std::function<void()> set;
        const char* command;
        const char* echo;
    };
    auto integer = [](ui::Role role, int value) { return [=] { ui::SetInt(role, value); }; };
    const Case cases[] = {
        {NewDeviceNumberField, integer(NewDeviceNumberField, 42), "WX,42\r\n", "$WX,42"},
        {SampleRateField, integer(SampleRateField, 16), "WS,16\r\n", "$WS,16"},
        {BurstLengthField, integer(BurstLengthField, 5), "WL,5\r\n", "$WL,5"},
        {BurstIntervalField, integer(BurstIntervalField, 30), "WI,30\r\n", "$WI,30"},
        {FilterSwitch, integer(FilterSwitch, 1), "WF,1\r\n", "$WF,1"},
        {DataFormatRing, integer(DataFormatRing, 2), "WO,2\r\n", "$WO,2"},
        {StartTimeSwitch, integer(StartTimeSwitch, 1), "WR,1\r\n", "$WR,1"},
        {PowerSwitch, integer(PowerSwitch, 0), "WP,0\r\n", "$WP,0"},
        {StaffTypeRing, integer(StaffTypeRing, 2), "FT,2\r\n", "$FT,2"},
        {StaffLengthField, [] { ui::SetReal(StaffLengthField, 0.25); }, "FS,0.250\r\n",
         "$FS,0.250"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ui::SetInt(DataFormatRing, 1);
        ui::SetDimmed(c.control, false);
        c.set();
        Commit(c.control);
        EXPECT_EQ(Sent(), Texts{c.command});
        EXPECT_EQ(delays, std::vector<double>{0.1});
        EXPECT_EQ(Program.TxWait, 1);
        EXPECT_TRUE(ui::IsDimmed(c.control));
        Echo(c.echo);
        EXPECT_FALSE(ui::IsDimmed(c.control));
        EXPECT_EQ(Program.TxWait, 0);
        delays.clear();
    }
    // The new device number is the selector's too.
    EXPECT_EQ(ui::GetInt(DeviceNumberSelector), 42);
}

TEST_F(SettingsCallbacksTest, TheOneSampleFormatIsLimitedTo8Hz) {
    Program.LastDataFormat = 2;
    ui::SetDimmed(DataFormatRing, false);

    // At 16 Hz the format is refused: nothing sent, the ring back to the last acknowledged one.
    ui::SetInt(SampleRateField, 16);
    ui::SetInt(DataFormatRing, 4);
    popups->ExpectMessage("ASCII 1 SAMPLE RATE LIMIT");
    Commit(DataFormatRing);
    EXPECT_EQ(Sent(), Texts{});
    EXPECT_EQ(ui::GetInt(DataFormatRing), 2);
    EXPECT_FALSE(ui::IsDimmed(DataFormatRing));
    EXPECT_EQ(Program.TxWait, 0);

    // The ring goes back to the format the unit holds, read or acknowledged: a unit read with
    // the float format is not shown with another.
    Program.LastDataFormat = 1;
    Echo("$RO,2");
    ui::SetInt(DataFormatRing, 4);
    popups->ExpectMessage("ASCII 1 SAMPLE RATE LIMIT");
    Commit(DataFormatRing);
    EXPECT_EQ(ui::GetInt(DataFormatRing), 2);
    EXPECT_EQ(Sent(), Texts{});

    // At 8 Hz it goes out.
    ui::SetInt(SampleRateField, 8);
    ui::SetInt(DataFormatRing, 4);
    Commit(DataFormatRing);
    EXPECT_EQ(Sent(), Texts{"WO,4\r\n"});
    Echo("$WO,4");
    EXPECT_EQ(Program.LastDataFormat, 4);

    // With the one-sample format 32 Hz is sent, and shown, as 8.
    const int slot = live::GetOutputLineLoc(kConfiguredUnit);
    ui::SetInt(SampleRateField, 32);
    Commit(SampleRateField);
    EXPECT_EQ(Sent(), Texts{"WS,8\r\n"});
    EXPECT_EQ(ui::GetInt(SampleRateField), 8);
    Echo("$WS,8");
    EXPECT_FALSE(ui::IsDimmed(SampleRateField));
    EXPECT_EQ(live::OutputLine[std::size_t(slot)].sampleRate, 8);
}

TEST_F(SettingsCallbacksTest, TheStartTimeGoesOutAtOnceAndReadsBackAMinuteLater) {
    const ui::Role fields[] = {StartYearField, StartMonthField, StartDayField, StartHourField,
                               StartMinuteField};
    const int values[] = {2020, 6, 1, 10, 0};
    for (int i = 0; i < 5; ++i) {
        ui::SetInt(fields[i], values[i]);
        Commit(fields[i]); // an edit: marked, not sent
        EXPECT_EQ(ui::GetTextColor(fields[i]), ui::kRed);
    }
    EXPECT_EQ(ui::GetButtonMark(WriteStartTimeButton), ui::kRed);
    EXPECT_EQ(Sent(), Texts{});

    Commit(WriteStartTimeButton);
    EXPECT_EQ(Sent(), Texts{"WQ,20-06-01T10:00\r\n"});
    EXPECT_TRUE(delays.empty());
    EXPECT_EQ(Program.TxWait, 0); // a start time is never resent
    EXPECT_EQ(ui::GetButtonMark(WriteStartTimeButton), 0u);
    for (ui::Role field : fields) {
        EXPECT_EQ(ui::GetTextColor(field), ui::kBlack);
        EXPECT_TRUE(ui::IsDimmed(field));
    }
    EXPECT_TRUE(ui::IsDimmed(WriteStartTimeButton));

    Echo("$WQ,0"); // not taken: the fields stay dimmed
    EXPECT_TRUE(ui::IsDimmed(StartYearField));
    Echo("$WQ,1");
    EXPECT_FALSE(ui::IsDimmed(StartYearField));
    EXPECT_FALSE(ui::IsDimmed(WriteStartTimeButton));

    Echo("$RQ,2020-06-01T10:00");
    EXPECT_EQ(ui::GetInt(StartHourField), 10);
    EXPECT_EQ(ui::GetInt(StartMinuteField), 1);
}

TEST_F(SettingsCallbacksTest, StaffTypeAndLengthAddressTheSetOfTheCurrentMode) {
    struct Case {
        int kind;
        int currentMode;
        const char* length;
        const char* type; // nothing: the ring snaps back to sonic
    };
    const Case cases[] = {
        {0, 1, "FS,2.000\r\n", "FT,2\r\n"},
        {0, 2, "SS,2.000\r\n", "ST,2\r\n"},
        // A sonic unit has one set, whatever the hidden switch says.
        {1, 2, "FS,2.000\r\n", nullptr},
        {2, 1, "FS,2.000\r\n", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.kind << "/" << c.currentMode);
        Configure(c.kind, c.currentMode);
        ui::SetReal(StaffLengthField, 2.0);
        Commit(StaffLengthField);
        EXPECT_EQ(Sent(), Texts{c.length});
        EXPECT_EQ(ui::GetTextColor(StaffLengthField), ui::kGreen);
        EXPECT_TRUE(ui::IsDimmed(StaffLengthField));

        ui::SetInt(StaffTypeRing, 2);
        ui::SetDimmed(StaffTypeRing, false);
        Commit(StaffTypeRing);
        if (c.type) {
            EXPECT_EQ(Sent(), Texts{c.type});
        } else {
            EXPECT_EQ(Sent(), Texts{});
            EXPECT_EQ(ui::GetInt(StaffTypeRing), 3);
            EXPECT_FALSE(ui::IsDimmed(StaffTypeRing));
        }
    }
}

TEST_F(SettingsCallbacksTest, TypedFieldsAreRedWhileEditedAndTheHintShows) {
    struct Case {
        ui::Role field;
        std::uint32_t rest;
    };
    for (const Case c : {Case{NewDeviceNumberField, ui::kBlack}, Case{BurstLengthField, ui::kBlack},
                         Case{BurstIntervalField, ui::kBlack}, Case{StaffLengthField, ui::kGreen},
                         Case{ClockCalibrationField, ui::kBlack}, Case{GainField, ui::kBlack},
                         Case{OffsetField, ui::kBlack}, Case{HighTripField, ui::kGreen},
                         Case{LowTripField, ui::kGreen}, Case{DeadZoneField, ui::kGreen}}) {
        SCOPED_TRACE(c.field);
        ui::Dispatch(c.field, ui::Event::KeyPress);
        EXPECT_EQ(ui::GetTextColor(c.field), ui::kRed);
        EXPECT_TRUE(ui::IsVisible(mainpanel::EditHint));
        ui::Dispatch(c.field, ui::Event::LostFocus);
        EXPECT_EQ(ui::GetTextColor(c.field), c.rest);
        EXPECT_FALSE(ui::IsVisible(mainpanel::EditHint));

        ui::Dispatch(c.field, ui::Event::KeyPress);
        Commit(c.field);
        EXPECT_EQ(ui::GetTextColor(c.field), c.rest);
        EXPECT_FALSE(ui::IsVisible(mainpanel::EditHint));
        EXPECT_EQ(Sent().size(), 1u);
    }
    EXPECT_EQ(Sent(), Texts{}); // key presses and focus changes send nothing
}

TEST_F(SettingsCallbacksTest, WithNoUnitConfiguredNothingGoesToAddressZero) {
    Program.ConfigDeviceAddr = 0;
    for (ui::Role control :
         {NewDeviceNumberField, SampleRateField,     BurstLengthField,      FilterSwitch,
          DataFormatRing,       PowerSwitch,         StaffLengthField,      StaffTypeRing,
          WriteStartTimeButton, ReadVoltageButton,   SetClockButton,        ReadClockButton,
          SyncClockButton,      CompareClockButton,  ClockCalibrationField, CurrentModeSwitch,
          CalSetButton,         CalClearPointButton, AutoCalHighButton,     GainField}) {
        SCOPED_TRACE(control);
        Commit(control);
        EXPECT_EQ(TakeSent().size(), 0u);
        EXPECT_EQ(Program.TxWait, 0);
        EXPECT_EQ(Program.ConfigStatus, 3); // no read of a set from nobody
        EXPECT_TRUE(ui::LastStatus().contains("No unit")) << ui::LastStatus().toStdString();
    }
}

TEST_F(SettingsCallbacksTest, ReadBatteryAsksAtOnceAndDimsNothing) {
    ui::SetDimmed(ReadVoltageButton, false);
    Commit(ReadVoltageButton);
    EXPECT_EQ(Sent(), Texts{"RV\r\n"});
    EXPECT_TRUE(delays.empty());
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_FALSE(ui::IsDimmed(ReadVoltageButton));
}

TEST_F(SettingsCallbacksTest, TheSerialNumberCarriesPrintableCharactersOnly) {
    ui::SetText(SerialNumberEntry, QString("SN-7\t42") + QChar(0x00E9));
    Commit(SerialNumberEntry);
    EXPECT_EQ(Sent(), Texts{std::string("W\xAA,SN-742\r\n")});
    EXPECT_TRUE(ui::IsDimmed(SerialNumberEntry));
    Echo(std::string("$W\xAA"));
    EXPECT_FALSE(ui::IsDimmed(SerialNumberEntry));
    EXPECT_EQ(Sent(), Texts{"RD\r\n"}); // read back
}

TEST_F(SettingsCallbacksTest, TheWheelAndStepKeysChangeNoFieldThatWritesToTheUnit) {
    auto wheel = [](QWidget* widget) {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
    };
    auto keyUp = [](QWidget* widget) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    auto* rate = ui::Widget<QSpinBox>(SampleRateField);
    auto* format = ui::Widget<QComboBox>(DataFormatRing);
    auto* meters = ui::Widget<QDoubleSpinBox>(CalibrateMetersField); // commits send nothing
    ASSERT_TRUE(rate && format && meters);
    ui::SetInt(SampleRateField, 8);
    ui::SetInt(DataFormatRing, 1);
    ui::SetDimmed(SampleRateField, false);
    ui::SetDimmed(DataFormatRing, false);
    ui::SetDimmed(CalibrateMetersField, false);

    wheel(rate);
    keyUp(rate);
    wheel(format);
    EXPECT_EQ(rate->buttonSymbols(), QAbstractSpinBox::NoButtons);
    EXPECT_EQ(ui::GetInt(SampleRateField), 8);
    EXPECT_EQ(ui::GetInt(DataFormatRing), 1);
    EXPECT_EQ(Sent(), Texts{});

    // The same wheel does step a field left as it was once it has the focus (without it no
    // field changes under the wheel), so the events above did arrive.
    ui::SetReal(CalibrateMetersField, 1.0);
    wheel(meters);
    EXPECT_DOUBLE_EQ(ui::GetReal(CalibrateMetersField), 1.0);
    panel->show();
    QApplication::setActiveWindow(panel.get());
    meters->setFocus();
    ASSERT_TRUE(WaitUntil([meters] { return meters->hasFocus(); }));
    wheel(meters);
    EXPECT_NEAR(ui::GetReal(CalibrateMetersField), 1.1, 1e-9);
}

TEST_F(SettingsCallbacksTest, HelpThatDependsOnTheKind) {
    struct Case {
        int kind;
        ui::Role role;
        const char* title;
        const char* textStart;
    };
    const Case cases[] = {
        {0, BurstLengthField, "BURST LENGTH",
         "The Burst Length is the time in minutes that samples"},
        {5, BurstLengthField, "BURST LENGTH",
         "The Burst Length is the time in minutes that the Deve"},
        {1, ReadVoltageButton, "READ", "Read and display the XB unit's Battery Voltage"},
        {2, ReadVoltageButton, "READ", "Read and display the external supply Voltage"},
        {1, VoltageGauge, "BATTERY VOLTAGE", "The gauge's colour"},
        {2, VoltageGauge, "SUPPLY VOLTAGE", "Display the external Supply Voltage\n"},
        {0, StaffLengthField, "STAFF LENGTH", "For XB units the Staff Length is for reference \n"},
        {3, StaffLengthField, "STAFF LENGTH", "To change the satff length change this value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.role << " kind " << c.kind);
        Program.UnitType = c.kind;
        const std::optional<ui::HelpText> help = ui::HelpOf(c.role);
        ASSERT_TRUE(help.has_value());
        EXPECT_EQ(help->title, c.title);
        EXPECT_TRUE(help->text.startsWith(c.textStart)) << help->text.toStdString();
    }
    Program.UnitType = 0;
    EXPECT_TRUE(ui::HelpOf(StartDayField)->text.contains("broadcast power-on"));
    Program.UnitType = 5;
    EXPECT_TRUE(ui::HelpOf(WriteStartTimeButton)->text.contains("one minute before"));
}

// The pop-up and the tooltip wrap the help to their width: a fixed line break inside a sentence
// ("31.25 ms" / "interval") would then stand in the middle of a line.
TEST_F(SettingsCallbacksTest, TheSamplingHelpBreaksLinesOnlyBetweenParagraphs) {
    for (ui::Role role : {SampleRateField, FilterSwitch}) {
        const QString text = ui::HelpOf(role)->text;
        EXPECT_TRUE(text.contains("average of a 31.25 ms interval;")) << role;
        for (const QString& paragraph : text.split("\n\n"))
            EXPECT_FALSE(paragraph.contains('\n')) << role << ": " << paragraph.toStdString();
    }
}

} // namespace
} // namespace undarix::testing
