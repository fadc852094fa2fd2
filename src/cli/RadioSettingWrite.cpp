#include "cli/RadioSettingWrite.h"

#include "cli/PageSettingCommit.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "radiocfg/codec/UnitReply.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace undarix::cli {
namespace {

using namespace core::configpage;
using core::Program;

using Form = SettingForm;

// Which kinds have the setting.
enum Kinds : unsigned { kRavoZerar = 1, kSonicXB = 2, kSonicRV = 4, kAll = 7, kSonic = 6 };

struct WriteEntry {
    const char* name;
    Form form;
    double minimum, maximum;
    int decimals;    // reals: as the command carries them
    ui::Role value;  // the control the value goes into (the first field of a date)
    ui::Role commit; // the control whose commit sends it
    unsigned kinds;
    bool set;        // a calibration-set setting: "set1." or "set2." before the name
};

const WriteEntry kWrites[] = {
    {"device_number", Form::Int, 1, 255, 0, NewDeviceNumberField, NewDeviceNumberField, kAll, false},
    {"sample_rate", Form::Int, 1, 32, 0, SampleRateField, SampleRateField, kAll, false},
    {"burst_length", Form::Int, 0, 255, 0, BurstLengthField, BurstLengthField, kAll, false},
    {"burst_interval", Form::Int, 0, 255, 0, BurstIntervalField, BurstIntervalField, kAll, false},
    {"filter", Form::Int, 0, 1, 0, FilterSwitch, FilterSwitch, kAll, false},
    {"data_format", Form::Int, 1, 4, 0, DataFormatRing, DataFormatRing, kAll, false},
    {"start_time_enabled", Form::Int, 0, 1, 0, StartTimeSwitch, StartTimeSwitch, kAll, false},
    {"start_time", Form::StartTime, 0, 0, 0, StartYearField, WriteStartTimeButton, kAll, false},
    {"clock", Form::Clock, 0, 0, 0, ClockYearField, SetClockButton, kAll, false},
    {"clock_calibration", Form::Int, -32768, 32767, 0, ClockCalibrationField,
     ClockCalibrationField, kAll, false},
    {"power", Form::Int, 0, 1, 0, PowerSwitch, PowerSwitch, kRavoZerar | kSonicXB, false},
    {"current_mode", Form::Int, 1, 2, 0, CurrentModeSwitch, CurrentModeSwitch, kRavoZerar, false},
    {"trip_high_mv", Form::Int, 0, 5000, 0, HighTripField, HighTripField, kSonic, false},
    {"trip_low_mv", Form::Int, 0, 5000, 0, LowTripField, LowTripField, kSonic, false},
    {"dead_zone_mm", Form::Int, 0, 5000, 0, DeadZoneField, DeadZoneField, kSonic, false},
    {"calibration_point", Form::Real, -100, 100, 4, CalibrateMetersField, CalSetButton, kAll,
     false},
    {"calibration_clear_point", Form::Real, -100, 100, 4, CalibrateMetersField,
     CalClearPointButton, kAll, false},
    {"staff_type", Form::Int, 1, 3, 0, StaffTypeRing, StaffTypeRing, kRavoZerar, true},
    {"staff_length", Form::Real, 0, 100, 3, StaffLengthField, StaffLengthField, kAll, true},
    {"gain", Form::Real, -40000, 40000, 3, GainField, GainField, kRavoZerar, true},
    {"offset", Form::Real, -40000, 40000, 3, OffsetField, OffsetField, kRavoZerar, true},
    {"auto_low", Form::Real, -100, 100, 3, LowCalPointField, AutoCalLowButton, kRavoZerar, true},
    {"auto_high", Form::Real, -100, 100, 3, HighCalPointField, AutoCalHighButton, kRavoZerar,
     true},
};

unsigned KindBit(int kind) {
    if (kind == core::RavoZerarXB) return kRavoZerar;
    if (kind == core::RezavIvirErazudXB) return kSonicXB;
    if (kind == core::RezavIvirErazudRV) return kSonicRV;
    return 0;
}

// "set2.staff_length" -> set 2 and "staff_length"; set 0 without a prefix.
int SplitSet(QString& name) {
    for (int set : {1, 2}) {
        const QString prefix = QString("set%1.").arg(set);
        if (name.startsWith(prefix)) {
            name = name.mid(prefix.size());
            return set;
        }
    }
    return 0;
}

const WriteEntry* Find(const QString& bare) {
    for (const WriteEntry& entry : kWrites)
        if (bare == entry.name) return &entry;
    return nullptr;
}

const WriteEntry* EntryOf(const RadioSettingWrite& write, int* set = nullptr) {
    QString bare = write.name;
    const int s = SplitSet(bare);
    if (set) *set = s;
    return Find(bare);
}

QString RangeText(const WriteEntry& entry) {
    const auto number = [&entry](double v) {
        return entry.form == Form::Real ? QString::number(v, 'f', 1) : QString::number(v, 'f', 0);
    };
    return QString("%1 to %2").arg(number(entry.minimum), number(entry.maximum));
}

bool ValidDate(const std::vector<int>& f) {
    if (f[0] < 2000 || f[0] > 2099 || f[1] < 1 || f[1] > 12 || f[3] > 23 || f[4] > 59) return false;
    const QDate date(f[0], f[1], f[2]);
    return date.isValid() && (f.size() < 6 || f[5] <= 59);
}

} // namespace

const char* const kRadioWriteNamesHelp =
    R"(  device_number (1-255), sample_rate (1-32 Hz), burst_length and burst_interval
  (0-255 minutes), filter (0/1), data_format (1-4), start_time_enabled (0/1),
  start_time=YYYY-MM-DDThh:mm, clock=YYYY-MM-DDThh:mm:ss or clock=pc (the PC's clock),
  clock_calibration (-32768-32767), power (0/1), current_mode (1/2, Ravo Zerar XB),
  trip_high_mv, trip_low_mv, dead_zone_mm (0-5000, sonic kinds), calibration_point=H and
  calibration_clear_point=H (meters), and of the calibration set the current mode
  addresses (set1 for current mode 1, set2 for the other): setN.staff_type (1 rod, 2 cable,
  3 sonic), setN.staff_length (meters), setN.gain, setN.offset, setN.auto_low,
  setN.auto_high (units with two-point calibration)
)";

std::optional<RadioSettingWrite> ParseRadioSetting(const QString& text, int kind,
                                                   QString& problem) {
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0) {
        problem = QString("'%1' is not NAME=VALUE").arg(text);
        return std::nullopt;
    }
    RadioSettingWrite write;
    write.name = text.left(equals).trimmed();
    write.value = text.mid(equals + 1).trimmed();
    int set = 0;
    const WriteEntry* entry = EntryOf(write, &set);
    if (!entry || entry->set != (set != 0)) {
        problem = QString("no setting '%1' can be written").arg(write.name);
        return std::nullopt;
    }
    if ((entry->kinds & KindBit(kind)) == 0 || (set == 2 && kind != core::RavoZerarXB)) {
        problem = QString("a %1 has no setting '%2'").arg(core::UnitKindName(kind), write.name);
        return std::nullopt;
    }
    if (entry->form == Form::StartTime || entry->form == Form::Clock) {
        const bool clock = entry->form == Form::Clock;
        if (clock && write.value == "pc") {
            write.fromPc = true;
            return write;
        }
        static const QRegularExpression startForm("^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2})$");
        static const QRegularExpression clockForm(
            "^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})$");
        const QRegularExpressionMatch match = (clock ? clockForm : startForm).match(write.value);
        if (match.hasMatch())
            for (int k = 1; k <= match.lastCapturedIndex(); ++k)
                write.fields.push_back(match.captured(k).toInt());
        if (!match.hasMatch() || !ValidDate(write.fields)) {
            problem = QString("%1 wants %2 (a date from 2000 to 2099), not '%3'")
                          .arg(write.name,
                               clock ? "YYYY-MM-DDThh:mm:ss or pc" : "YYYY-MM-DDThh:mm",
                               write.value);
            return std::nullopt;
        }
        return write;
    }
    bool ok = false;
    // A decimal point in every locale: the text is read as the C locale reads it.
    write.number = write.value.toDouble(&ok);
    const bool whole = std::floor(write.number) == write.number;
    if (!ok || !std::isfinite(write.number) || (entry->form == Form::Int && !whole) ||
        write.number < entry->minimum || write.number > entry->maximum) {
        problem = QString("%1 takes %2%3, not '%4'")
                      .arg(write.name, entry->form == Form::Int ? "a whole number from "
                                                                : "a number (with a decimal "
                                                                  "point) from ",
                           RangeText(*entry), write.value);
        return std::nullopt;
    }
    return write;
}

QString RadioWriteObstacle(const RadioSettingWrite& write) {
    int set = 0;
    const WriteEntry* entry = EntryOf(write, &set);
    if (!entry) return "unknown setting";
    if (set != 0) {
        const int addressed = Program.ConfigCurrentMode == 1 ? 1 : 2;
        if (set != addressed)
            return QString("the unit's current mode addresses set%1: write current_mode first")
                .arg(addressed);
    }
    const QString bare = entry->name;
    const bool table = Program.Version12CalPts == 1;
    if (table && (bare == "gain" || bare == "offset" || bare == "auto_low" || bare == "auto_high"))
        return "this unit keeps a calibration table: use calibration_point";
    if (!table && bare.startsWith("calibration_"))
        return "this unit calibrates with two points: use setN.auto_low and setN.auto_high";
    // The one-sample format carries 8 samples a second at most; the page holds the rate there.
    constexpr int kOneSampleFormat = 4, kOneSampleRateLimit = 8;
    if (bare == "sample_rate" && write.number > kOneSampleRateLimit &&
        ui::GetInt(DataFormatRing) == kOneSampleFormat)
        return QString("the one-sample format (data_format 4) takes %1 Hz at most")
            .arg(kOneSampleRateLimit);
    if (bare == "data_format" && write.number == kOneSampleFormat &&
        ui::GetInt(SampleRateField) > kOneSampleRateLimit)
        return QString("the one-sample format (data_format 4) takes %1 Hz at most: lower "
                       "sample_rate first")
            .arg(kOneSampleRateLimit);
    if (bare == "staff_type" && Program.UnitType != core::RavoZerarXB)
        return "a sonic unit's staff type is always 3";
    return {};
}

void CommitRadioSetting(const RadioSettingWrite& write) {
    if (const WriteEntry* entry = EntryOf(write))
        CommitOnPage({entry->form, entry->value, entry->commit}, write.number, write.fields,
                     write.fromPc);
}

bool AcknowledgedWithoutValue(const RadioSettingWrite& write) {
    const WriteEntry* entry = EntryOf(write);
    const QString bare = entry ? entry->name : "";
    return bare.startsWith("calibration_") || bare.startsWith("auto_");
}

bool RadioWriteHolds(const RadioSettingWrite& write, const core::codec::SettingList& settings) {
    const WriteEntry* entry = EntryOf(write);
    if (!entry) return false;
    // The point and automatic-calibration acknowledges are checked by the session itself.
    if (AcknowledgedWithoutValue(write) || write.fromPc) return true;
    const core::codec::SettingValue* value = settings.Find(write.name.toStdString());
    if (!value) return false;
    if (const auto* number = std::get_if<long long>(value)) return double(*number) == write.number;
    if (const auto* real = std::get_if<double>(value))
        return radiocfg::codec::EchoMatches(*real, write.number, entry->decimals);
    if (const auto* text = std::get_if<std::string>(value))
        return QString::fromStdString(*text) == write.value;
    return false;
}

} // namespace undarix::cli
