#include "radiocfg/CalibrationCallbacks.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "radiocfg/SettingWrite.h"
#include "radiocfg/codec/UnitCommand.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StraySteps.h"
#include "wiredcfg/Calibration.h"
#include "wiredcfg/WiredSettings.h"

#include <initializer_list>

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
using core::Program;

constexpr int kReReadFrom = 17; // the session reads on from number 18
constexpr int kReading = 2;
constexpr int kRedraw = 255;

const std::initializer_list<ui::Role> kPointControls = {
    CalibrateMetersField, CalSetButton, CalClearPointButton, CalClearAllButton, CalPointsTable};

bool Radio() {
    return core::IsRadioKind(Program.UnitType);
}

void Dim(std::initializer_list<ui::Role> roles) {
    for (ui::Role role : roles)
        ui::SetDimmed(role, true);
}

// The staff and calibration of the set, dimmed until they are read again.
void DimCalibrationSet() {
    Dim({StaffTypeRing, StaffLengthField});
    Dim(kPointControls);
    Dim({LowCalPointField, HighCalPointField, GainField, OffsetField});
}

// Once the acknowledge has cleared TxWait the session reads the staff type, staff length and
// calibration of the present set again.
void ReReadCalibrationSet() {
    Program.LastConfigStatus = kRedraw;
    Program.ConfigType = kReReadFrom;
    Program.ConfigStatus = kReading;
}

void WriteSetReal(ui::Role control, char key, ui::Role valueField) {
    WriteSetting(control, codec::FormatSetReal(key, WriteCurrentMode(), ui::GetReal(valueField)));
}

bool WriteSetOne(ui::Role control, char key) {
    return WriteSetting(control, codec::FormatSetInt(key, WriteCurrentMode(), 1));
}

// Gain and offset by hand on radio units; on the wired kinds the record's values stay.
void CalValueByHand(ui::Role field, char key, ui::Event event) {
    if (!Radio()) return wiredcfg::WiredGainOffsetDisplayOnly();
    if (MarkEdit(field, event, ui::kBlack) || event != ui::Event::Commit) return;
    EndEdit(field, ui::kBlack);
    WriteSetReal(field, key, field);
}

// A reference height: radio units send it with their Auto button; the wired kinds mark their
// Calibrate button as well.
void ReferenceHeightEdited(ui::Role field, ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (Radio())
        ui::SetTextColor(field, ui::kRed);
    else
        wiredcfg::WiredCalValueEdited(field);
}

void SonicSetting(ui::Role field, const char* letters, ui::Event event) {
    if (MarkEdit(field, event, ui::kGreen) || event != ui::Event::Commit) return;
    EndEdit(field, ui::kGreen);
    if (!Radio()) return;
    WriteSetting(field, codec::FormatInt(letters, ui::GetInt(field)));
}

const char* const kMultiplePointHelp =
    "Ravo Zerar XB units are calibrated at the factory.  After a staff exchange:\n"
    "1. Put two or more tape marks on the staff (at most 12), e.g. at 20% and\n"
    "    80% of its length, or at 5, 25, 50, 75 and 95%.\n"
    "2. Submerge the staff to each mark in turn, enter the mark's height in\n"
    "    \"Calibrate Meters\" and press Set.\n"
    "Each point is then shown in the Calibration Points table.\n\n"
    "Rezav Ivir Erazud XB units: place the sensor at two or more distances\n"
    "from a flat surface (at most 12) and do the same at each.";

const char* const kTwoPointHelp =
    "Automatic two-point calibration:\n"
    "1. Put two tape marks on the staff, typically at 20% and 80% of its length.\n"
    "2. Enter the Low and High points in meters from the bottom of the staff.\n"
    "3. Submerge the staff to the low mark and press Auto Low, then to the high\n"
    "    mark and press Auto High.\n"
    "The new Gain and Offset are then shown.  Do not change them unless\n"
    "restoring recorded values.";

const char* const kCurrentModeHelp = "Use normal current sensor mode in most cases and \n"
                                     "high current sensor mode only when fast small waves\n"
                                     "are to be measured in salt water";

const char* const kFactoryCalibrateHelp = "Restore the Factory calibration values \n"
                                          "for the selected Sensor Current Mode";

const char* const kSavePresentCalHelp =
    "Saves the present calibration as the unit's default (factory) values.\n"
    "Factory use only.";

const char* const kFactoryValuesQuestion =
    "This will restore the factory calibraition values to the present calibraition\n"
    "values listed on the Calibration Points table.\n\n"
    "Are you sure you want to restore the factory calibraitions values?";

const char* const kClearAllQuestion =
    "This will clear all of the present calibraition points listed on the\n"
    "Calibration Points table.  You will need to restore the factory\n"
    "calibration values or add new calibraition points\n\n"
    "Are you sure you want to clear all calibraitions points?";

} // namespace

void SelCurrentMode(ui::Event event) {
    // The sonic kinds have one current mode only; the switch is a Ravo Zerar XB's.
    if (event != ui::Event::Commit || Program.UnitType != core::RavoZerarXB) return;
    const bool sent =
        WriteSetting(CurrentModeSwitch, codec::FormatInt("WW", ui::GetInt(CurrentModeSwitch)));
    DimCalibrationSet();
    if (sent) ReReadCalibrationSet();
}

void SelCalFactory(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    if (!ui::ConfirmPopup("FACTORY VALUES?", kFactoryValuesQuestion)) return;
    const bool sent = WriteSetOne(FactoryCalibrateButton, 'F');
    DimCalibrationSet();
    if (sent) ReReadCalibrationSet();
}

void SaveFactoryValue(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    WriteSetOne(SavePresentCalButton, '!');
}

void CalSetMeters(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    Dim(kPointControls);
    WriteSetReal(CalibrateMetersField, 'P', CalibrateMetersField);
}

void CalClearPoint(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    Dim(kPointControls);
    WriteSetReal(CalibrateMetersField, 'N', CalibrateMetersField);
}

void CalClearAll(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    if (!ui::ConfirmPopup("CLEAR ALL CALIBRAITIONS POINTS?", kClearAllQuestion)) return;
    Dim(kPointControls);
    WriteSetOne(CalClearAllButton, 'C');
}

void CalPointMeters(ui::Event) {}

void CalTable(ui::Event) {}

void SetAutoCalLow(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    ui::SetTextColor(LowCalPointField, ui::kBlack); // the edited height is on its way
    WriteSetReal(AutoCalLowButton, 'X', LowCalPointField);
}

void SetAutoCalHigh(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    ui::SetTextColor(HighCalPointField, ui::kBlack);
    const bool sent =
        WriteSetting(AutoCalHighButton,
                     codec::FormatSetReal('Y', WriteCurrentMode(), ui::GetReal(HighCalPointField)));
    Dim({StaffTypeRing, StaffLengthField, LowCalPointField, HighCalPointField, GainField,
         OffsetField});
    // The unit's new gain and offset are read back.
    if (sent) ReReadCalibrationSet();
}

void SelCalGain(ui::Event event) {
    CalValueByHand(GainField, 'G', event);
}

void SelCalOffset(ui::Event event) {
    CalValueByHand(OffsetField, 'O', event);
}

void SelLowCalPt(ui::Event event) {
    ReferenceHeightEdited(LowCalPointField, event);
}

void SetHighCalPt(ui::Event event) {
    ReferenceHeightEdited(HighCalPointField, event);
}

void SetLowReading(ui::Event event) {
    if (event == ui::Event::Commit) wiredcfg::WiredCalValueEdited(LowReadingField);
}

void SetHighReading(ui::Event event) {
    if (event == ui::Event::Commit) wiredcfg::WiredCalValueEdited(HighReadingField);
}

void HighTrip_mV(ui::Event event) {
    SonicSetting(HighTripField, "WG", event);
}

void LowTrip_mV(ui::Event event) {
    SonicSetting(LowTripField, "WU", event);
}

void DeadZone_mm(ui::Event event) {
    SonicSetting(DeadZoneField, "WY", event);
}

ui::HelpText CalibrationHelp() {
    if (Program.Version12CalPts == 1) return {"MULTIPLE POINT CALIBRATION", kMultiplePointHelp};
    return {"CALIBRATION", kTwoPointHelp};
}

void CalibrationPopUp() {
    const ui::HelpText help = CalibrationHelp();
    ui::MessagePopup(help.title, help.text);
}

void BindCalibrationCallbacks() {
    struct Binding {
        ui::Role role;
        ui::Handler handler;
    };
    const Binding bindings[] = {
        {CurrentModeSwitch, SelCurrentMode},
        {FactoryCalibrateButton, SelCalFactory},
        {SavePresentCalButton, SaveFactoryValue},
        {CalSetButton, CalSetMeters},
        {CalClearPointButton, CalClearPoint},
        {CalClearAllButton, CalClearAll},
        {CalibrateMetersField, CalPointMeters},
        {CalPointsTable, CalTable},
        {AutoCalLowButton, SetAutoCalLow},
        {AutoCalHighButton, SetAutoCalHigh},
        {GainField, SelCalGain},
        {OffsetField, SelCalOffset},
        {LowCalPointField, SelLowCalPt},
        {HighCalPointField, SetHighCalPt},
        {LowReadingField, SetLowReading},
        {HighReadingField, SetHighReading},
        {HighTripField, HighTrip_mV},
        {LowTripField, LowTrip_mV},
        {DeadZoneField, DeadZone_mm},
    };
    for (const Binding& binding : bindings)
        ui::OnEvent(binding.role, binding.handler);

    ui::SetHelp(CurrentModeSwitch, "CURRENT MODE", kCurrentModeHelp);
    ui::SetHelp(FactoryCalibrateButton, "FACTORY CALIBRATE", kFactoryCalibrateHelp);
    ui::SetHelp(SavePresentCalButton, "SAVE PRESENT CAL", kSavePresentCalHelp);
    ui::SetHelp(CalClearPointButton, "CLEAL POINT",
                "To clear a calibration point, put the number in \"Calibrate Meters\" and "
                "press Clear.");
    ui::SetHelp(CalClearAllButton, "CLEAL ALL", "Clear all of the present calibration points");
    ui::SetHelp(HighTripField, "HIGH TRIP POINT",
                "This is the trip voltage at the start of a sonic transmition \n");
    ui::SetHelp(LowTripField, "LOW TRIP POINT",
                "This is the trip voltage that the RC delay is heading to\n");
    ui::SetHelp(DeadZoneField, "DEAD ZONE ",
                "This is the dead zone from the Sonic Ravo Zerar XB in mm\n");
    // The calibration fields the wired kinds share show the wired calibration's help there.
    for (ui::Role role : {CalSetButton, CalibrateMetersField, CalPointsTable, AutoCalLowButton,
                          AutoCalHighButton, GainField, OffsetField, LowCalPointField,
                          HighCalPointField, LowReadingField, HighReadingField})
        ui::SetHelpProvider(role, [] {
            return std::optional<ui::HelpText>(Radio() ? CalibrationHelp()
                                                       : wiredcfg::WSWLCalibrationHelp());
        });

    ui::PreventStrayCommits(
        {CurrentModeSwitch, GainField, OffsetField, HighTripField, LowTripField, DeadZoneField});
}

} // namespace undarix::radiocfg
