// The lines of the Vazavevezeze board: its status report while the connection timer wakes it,
// its clock line after "r", and its data lines, one four-digit count per staff, each staff
// converted with the length the user typed into the main panel's staff-length table.

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/codec/ConfigBlock.h"
#include "link/BoardReceive.h"
#include "link/ReceiveState.h"
#include "link/codec/DecimalText.h"
#include "link/codec/SyntheticFrame.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QStringList>

#include <cmath>
#include <cstring>
#include <string_view>

namespace undarix::link {
namespace {

using core::Program;
using core::codec::DecStr2Byte;

constexpr int kLinesPerClock = 60;
constexpr int kStaffFieldWidth = 5;
constexpr int kCountDigits = 4;
// A data line longer than this carries eight staffs, otherwise six.
constexpr int kSixStaffLineLength = 32;
constexpr int kIdentityStart = 15;
constexpr int kIdentityLength = 18;
constexpr int kVersionStart = 10;
constexpr int kVersionLength = 5;

struct Line {
    const char* text;
    int length;
    // The character at `pos`, or 0 past the line's end (older bytes lie there).
    [[nodiscard]] char At(int pos) const { return pos >= 0 && pos < length ? text[pos] : '\0'; }
    [[nodiscard]] bool Holds(int pos, int count) const { return pos + count <= length; }
};

void ReportLine(const Line& line) {
    core::WiredConfigRecord& record = Program.WSAll;
    const char lead = line.At(0);
    if (lead == '*') {
        Program.WSWLConnectTimer = 0; // keep-alive
    } else if (lead == 'S' && line.At(7) == 'N' && line.Holds(kIdentityStart, kIdentityLength)) {
        std::memcpy(record.Identity, line.text + kIdentityStart, kIdentityLength);
        record.Identity[kIdentityLength] = '\0';
        ui::SetText(core::mainpanel::WiredIdentity, QString::fromLatin1(record.Identity));
        Program.WSWLConnectTimer = 0;
    } else if (lead == 'C' && line.At(5) == 'R' && line.Holds(kVersionStart, kVersionLength)) {
        std::memcpy(record.Version, line.text + kVersionStart, kVersionLength);
        record.Version[kVersionLength] = '\0';
        Program.WSWLConnectTimer = 0;
    } else if (lead == 'F' && line.At(8) == 'F' && line.Holds(19, 2)) {
        const std::uint8_t rate = DecStr2Byte(line.text + 19);
        Program.WiredSampleRate = rate;
        record.SampleRate = rate;
        Program.WSWLConnectTimer = 0;
    } else if (lead == 'S' && line.At(7) == 'M') {
        record.SyncRunMode = line.At(13) == 'c' ? 1 : 0;
    } else if (lead == 'T' && line.At(5) == 'T') {
        const char* const units = "nmhd";
        if (const char* unit = std::strchr(units, line.At(10)); unit && *unit)
            record.SyncTimeTag = int(unit - units);
    } else if (lead == 'S' && line.At(8) == 't') {
        Program.WSWLConnectStatus = 2; // end of the report
        Program.WSWLConnectTimer = 0;
    }
}

// "MM-DD-YY hh:mm:ss".
void ClockLine(const Line& line) {
    if ((line.At(0) != '0' && line.At(0) != '1') || !line.Holds(15, 2)) return;
    core::WiredConfigRecord& record = Program.WSAll;
    record.ClockMonth = DecStr2Byte(line.text + 0);
    record.ClockDay = DecStr2Byte(line.text + 3);
    record.ClockYear = 2000 + DecStr2Byte(line.text + 6);
    record.ClockHour = DecStr2Byte(line.text + 9);
    record.ClockMinute = DecStr2Byte(line.text + 12);
    record.ClockSecond = DecStr2Byte(line.text + 15);
    Program.WSWLConnectStatus = 4;
}

// A staff's length in whole millimetres from its row of the table (meters). Rounded to the
// micrometre first so that 9.999 m is 9999 mm, not 9998 from its binary fraction.
int StaffLengthMm(int staff) {
    const double meters = ui::GetTableCell(core::mainpanel::BoardStaffTable, staff + 1, 1);
    if (!std::isfinite(meters)) return 0;
    return int(std::trunc(std::round(meters * 1e6) / 1000.0));
}

// Staffs with no length convert to 0: said once whenever the set of such staffs changes.
void ReportStaffsWithoutLength(WiredReceiveState& rx, unsigned zeroStaffs) {
    if (zeroStaffs == rx.zeroLengthStaffs) return;
    rx.zeroLengthStaffs = zeroStaffs;
    if (zeroStaffs == 0) return;
    QStringList staffs;
    for (int s = 0; s < 8; ++s)
        if (zeroStaffs & (1u << s)) staffs << QString::number(s + 1);
    ui::ShowStatus(QString("No length in the staff-length table for staff %1: its values read 0. "
                           "Enter the length in meters.")
                       .arg(staffs.join(", ")));
}

void DataLine(WiredReceiveState& rx, const Line& line) {
    Program.WSWLConnectTimer = 0;
    rx.SyncStaffCount = line.length > kSixStaffLineLength ? 8 : 6;
    ++rx.sampleCounter;
    const std::string_view text(line.text, std::size_t(line.length));
    unsigned zeroStaffs = 0;
    for (int s = 0; s < rx.SyncStaffCount; ++s) {
        const int count =
            codec::ReadDecimal(codec::Field(text, std::size_t(kStaffFieldWidth * s), kCountDigits));
        const int lengthMm = StaffLengthMm(s);
        if (lengthMm == 0) zeroStaffs |= 1u << s;
        const codec::WiredSample sample = codec::WiredCountToValue(count, double(lengthMm));
        const int unit = s + 1;
        const int length =
            codec::BuildSampleFrame(unit, Program.WiredSampleRate, sample.value, RxFrame);
        DispatchSyntheticFrame(length, sample.tenths ? 1 : 0);
        if (rx.sampleCounter == kLinesPerClock) DispatchClockFrames(unit);
    }
    if (rx.sampleCounter >= kLinesPerClock) rx.sampleCounter = 0;
    ReportStaffsWithoutLength(rx, zeroStaffs);
}

} // namespace

void ExamineBoardLine(WiredReceiveState& rx, int length) {
    const Line line{rx.line, length};
    switch (Program.WSWLConnectStatus) {
    case 1: return ReportLine(line);
    case 3: return ClockLine(line);
    case 5:
        if (line.At(0) >= '0' && line.At(0) <= '9') DataLine(rx, line);
        return;
    default: return;
    }
}

} // namespace undarix::link
