#include "wiredcfg/Calibration.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "core/codec/ConfigBlock.h"
#include "core/codec/StaffTable.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "wiredcfg/BlockWrite.h"
#include "wiredcfg/WiredConfigState.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace undarix::wiredcfg {
namespace {

using core::Program;
using namespace core::configpage;

// Kinds 4 and 6 measure staffs up to 15 m.
constexpr double kTableBLongestMeters = 15.0;

const char* const kCalibrationHelp =
    "The Ravo Zerars and Deve Zuravis are calibrated at the factory with their attached Staffs\n"
    "and in most cases they do not need to be re-calibrated.\n\n"
    "To re-calibrate a unit, for instance after a staff exchange:\n"
    "1. Enter the Staff Length in meters and press Set Default Values.\n"
    "2. Put two tape marks on the staff, typically at 20% and 80% of its length.\n"
    "3. Submerge the staff to each mark in turn and note the reading shown.\n"
    "4. Enter the two Test Points (the heights of the marks from the bottom of the\n"
    "    staff) and the two Readings in meters, and press Calibrate.";

void ClearStaffLengthMarks() {
    ui::SetTextColor(StaffLengthField, ui::kBlack);
    ui::SetButtonMark(SetDefaultValuesButton, 0);
}

void ClearCalibrationMarks() {
    ui::SetButtonMark(WiredCalibrateButton, 0);
    for (ui::Role role : {LowCalPointField, HighCalPointField, LowReadingField, HighReadingField})
        ui::SetTextColor(role, ui::kBlack);
}

// Why a length cannot be written, or nothing when it can.
std::optional<QString> StaffLengthRefusal(int unitType, double meters) {
    const bool tableB = unitType == core::WiredRavoZerar408 || unitType == core::DeveZuravi410;
    if (tableB && meters > kTableBLongestMeters)
        return QString("This unit measures staffs up to %1 m: %2 m cannot be set.")
            .arg(kTableBLongestMeters)
            .arg(meters);
    if (!core::codec::PrescaleForStaffLength(unitType, float(meters * 1000.0)))
        return QString("%1 m is not a staff length this unit supports.\n"
                       "Staff lengths go in steps of 0.5 m (0.25 m and 0.5 m for the shortest).")
            .arg(meters);
    return std::nullopt;
}

void PutBackStaffLength() {
    ui::SetReal(StaffLengthField, Program.WSAll.StaffLength / 1000.0);
}

struct CalibrationInput {
    float lowPoint, highPoint, lowReading, highReading;
};

struct CalibrationResult {
    float gain = 0.0f;
    float offset = 0.0f;
};

// A 16-bit signed value, as the block carries gain and offset.
bool FitsTheBlock(float value) {
    return std::isfinite(value) && std::trunc(value) >= std::numeric_limits<std::int16_t>::min() &&
           std::trunc(value) <= std::numeric_limits<std::int16_t>::max();
}

// The new gain and offset, or why they cannot be computed. The offset uses the old gain.
std::optional<QString> ComputeCalibration(const CalibrationInput& in, CalibrationResult& out) {
    const core::WiredConfigRecord& record = Program.WSAll;
    if (in.highPoint == in.lowPoint)
        return QString("The low and high Test Points are equal: enter two different heights.");
    if (in.highReading == in.lowReading)
        return QString("The low and high Readings are equal: take the readings again.");
    if (record.StaffLength == 0.0f)
        return QString("The unit's staff length is not known: set it with Set Default Values "
                       "first.");
    const float length = record.StaffLength / 1000.0f;
    const float gain = record.Gain;
    const float span = in.highReading - in.lowReading;
    out.offset =
        record.Offset +
        gain * (in.lowPoint * span / (in.highPoint - in.lowPoint) - in.lowReading) / length;
    out.gain = gain * (in.highPoint - in.lowPoint) / span;
    if (!FitsTheBlock(out.gain) || !FitsTheBlock(out.offset))
        return QString("These Test Points and Readings give a gain of %1 and an offset of %2,\n"
                       "which the unit cannot hold.  Check the values entered.")
            .arg(double(out.gain))
            .arg(double(out.offset));
    return std::nullopt;
}

} // namespace

void SetCounterPrescale() {
    core::WiredConfigRecord& record = Program.WSAll;
    if (auto setting = core::codec::PrescaleForStaffLength(Program.UnitType, record.StaffLength)) {
        record.PrescaleRange = setting->PrescaleRange;
        record.Prescale = setting->Prescale;
    }
}

void SetWSWLStaffLength() {
    core::WiredConfigRecord& record = Program.WSAll;
    record.StaffLength = core::codec::StaffLengthForPrescale(Program.UnitType, record.PrescaleRange,
                                                             record.Prescale);
}

void SetDefaultValues(ui::Event event) {
    if (event != ui::Event::Commit) return;
    const int unitType = Program.UnitType;
    if (!core::IsWiredKind(unitType)) return;
    const double meters = ui::GetReal(StaffLengthField);
    if (auto refusal = StaffLengthRefusal(unitType, meters)) {
        PutBackStaffLength();
        ClearStaffLengthMarks();
        ui::MessagePopup("STAFF LENGTH", *refusal + "\nNothing was changed in the unit.");
        return;
    }
    const bool confirmed =
        ui::ConfirmPopup("WARNING?", "The present calibration values will be lost\n"
                                     "Are you sure you want to change the Staff Length?");
    if (confirmed) {
        core::WiredConfigRecord& record = Program.WSAll;
        const bool tableA =
            unitType == core::WiredRavoZerar402E || unitType == core::DeveZuravi404E;
        record.Offset =
            tableA ? core::codec::kDefaultOffsetTableA : core::codec::kDefaultOffsetTableB;
        record.Gain = core::codec::kDefaultGain;
        record.StaffLength = float(meters * 1000.0);
        SetCounterPrescale();
        ClearSetClockRequest();
        TxWSAllConfig();
    } else {
        PutBackStaffLength();
    }
    ClearStaffLengthMarks();
}

void WSWLCalibrate(ui::Event event) {
    if (event != ui::Event::Commit || !core::IsWiredKind(Program.UnitType)) return;
    const CalibrationInput input{
        float(ui::GetReal(LowCalPointField)), float(ui::GetReal(HighCalPointField)),
        float(ui::GetReal(LowReadingField)), float(ui::GetReal(HighReadingField))};
    CalibrationResult result;
    if (auto refusal = ComputeCalibration(input, result)) {
        ClearCalibrationMarks();
        ui::MessagePopup("CALIBRATION", *refusal + "\nNothing was sent to the unit.");
        return;
    }
    const bool confirmed =
        ui::ConfirmPopup("WARNING?", "The present calibration values will be changed with\n"
                                     "the entered Test Points and their Reading.\n"
                                     "Do you want to change the Calibrations?");
    if (confirmed) {
        Program.WSAll.Offset = result.offset;
        Program.WSAll.Gain = result.gain;
        ClearSetClockRequest();
        WiredCfg.NewCalGainZero = 1;
        TxWSAllConfig();
    }
    ClearCalibrationMarks();
}

ui::HelpText WSWLCalibrationHelp() {
    return {"CALIBRATION", kCalibrationHelp};
}

void WSWLCalibrationPopUp() {
    const ui::HelpText help = WSWLCalibrationHelp();
    ui::MessagePopup(help.title, help.text);
}

void BindCalibration() {
    ui::OnEvent(SetDefaultValuesButton, SetDefaultValues);
    ui::OnEvent(WiredCalibrateButton, WSWLCalibrate);
    for (ui::Role role : {SetDefaultValuesButton, WiredCalibrateButton})
        ui::SetHelpProvider(role,
                            [] { return std::optional<ui::HelpText>(WSWLCalibrationHelp()); });
}

} // namespace undarix::wiredcfg
