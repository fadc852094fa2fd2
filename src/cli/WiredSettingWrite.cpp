#include "cli/WiredSettingWrite.h"

#include "cli/PageSettingCommit.h"

#include "core/ConfigPageRoles.h"
#include "core/UnitKind.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

namespace undarix::cli {
namespace {

using namespace core::configpage;

using Form = SettingForm;

constexpr unsigned Kinds(std::initializer_list<int> kinds) {
    unsigned bits = 0;
    for (int kind : kinds)
        bits |= 1u << kind;
    return bits;
}

struct WriteEntry {
    const char* name;
    Form form;
    double minimum, maximum;
    ui::Role value;
    ui::Role commit;
    unsigned kinds;
};

const WriteEntry kWrites[] = {
    {"sample_rate", Form::Int, 1, 99, WiredSampleRateField, WiredSampleRateField,
     Kinds({3, 4, 5, 6, 7})},
    {"run_mode", Form::Int, 0, 1, PortRunModeRing, PortRunModeRing, Kinds({3, 4, 7})},
    {"ttl_run_mode", Form::Int, 0, 1, TtlRunModeSwitch, TtlRunModeSwitch, Kinds({3})},
    {"analog_output", Form::Int, 0, 1, AnalogOutputSwitch, AnalogOutputSwitch, Kinds({3, 4})},
    {"serial_output", Form::Int, 0, 1, SerialOutputSwitch, SerialOutputSwitch,
     Kinds({3, 4, 5, 6})},
    {"air_temperature", Form::Int, 0, 1, AirTemperatureSwitch, AirTemperatureSwitch,
     Kinds({3, 4, 5, 6})},
    {"time_tag", Form::Int, 0, 3, TimeTagRing, TimeTagRing, Kinds({7})},
    {"burst_length", Form::Int, 0, 255, BurstLengthField, BurstLengthField, Kinds({5, 6})},
    {"burst_interval", Form::Int, 0, 255, BurstIntervalField, BurstIntervalField, Kinds({5, 6})},
    {"file_interval", Form::Int, 0, 255, FileIntervalField, FileIntervalField, Kinds({5, 6})},
    {"start_time_enabled", Form::Int, 0, 1, StartTimeSwitch, StartTimeSwitch, Kinds({5, 6})},
    {"start_time", Form::StartTime, 0, 0, StartYearField, WriteStartTimeButton, Kinds({5, 6})},
    {"clock", Form::Clock, 0, 0, ClockYearField, SetClockButton, Kinds({5, 6, 7})},
    {"alarm1_enabled", Form::Int, 0, 1, Alarm1EnableSwitch, Alarm1EnableSwitch, Kinds({3})},
    {"alarm2_enabled", Form::Int, 0, 1, Alarm2EnableSwitch, Alarm2EnableSwitch, Kinds({3})},
    {"alarm1_on_m", Form::Real, 0, 100, Alarm1OnLevel, Alarm1OnLevel, Kinds({3})},
    {"alarm1_off_m", Form::Real, 0, 100, Alarm1OffLevel, Alarm1OffLevel, Kinds({3})},
    {"alarm2_on_m", Form::Real, 0, 100, Alarm2OnLevel, Alarm2OnLevel, Kinds({3})},
    {"alarm2_off_m", Form::Real, 0, 100, Alarm2OffLevel, Alarm2OffLevel, Kinds({3})},
};

const WriteEntry* Find(const QString& name) {
    for (const WriteEntry& entry : kWrites)
        if (name == entry.name) return &entry;
    return nullptr;
}

QString Text(const core::codec::SettingList& settings, const QString& name) {
    const core::codec::SettingValue* value = settings.Find(name.toStdString());
    return value ? QString::fromStdString(core::codec::SettingText(*value)) : QString();
}

} // namespace

const char* const kWiredWriteNamesHelp =
    R"(  sample_rate (1-99 Hz), serial_output, air_temperature (0/1; kinds 3-6),
  run_mode (0 free run, 1 sync; kinds 3, 4 and the board), ttl_run_mode (0/1; kind 3),
  analog_output (0/1; kinds 3, 4), alarm1_enabled, alarm2_enabled (0/1) and
  alarm1_on_m, alarm1_off_m, alarm2_on_m, alarm2_off_m (meters; kind 3),
  burst_length, burst_interval, file_interval (0-255), start_time_enabled (0/1),
  start_time=YYYY-MM-DDThh:mm (kinds 5, 6), clock=YYYY-MM-DDThh:mm:ss or clock=pc
  (kinds 5, 6 and the board), time_tag (0 none, 1 minute, 2 hour, 3 day; the board)
)";

std::optional<WiredSettingWrite> ParseWiredSetting(const QString& text, int kind,
                                                   QString& problem) {
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0) {
        problem = QString("'%1' is not NAME=VALUE").arg(text);
        return std::nullopt;
    }
    WiredSettingWrite write;
    write.name = text.left(equals).trimmed();
    write.value = text.mid(equals + 1).trimmed();
    const WriteEntry* entry = Find(write.name);
    if (!entry) {
        problem = QString("no setting '%1' can be written").arg(write.name);
        return std::nullopt;
    }
    if ((entry->kinds & (1u << kind)) == 0) {
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
        const bool valid =
            match.hasMatch() && write.fields[0] >= 2000 && write.fields[0] <= 2099 &&
            QDate(write.fields[0], write.fields[1], write.fields[2]).isValid() &&
            QTime(write.fields[3], write.fields[4], clock ? write.fields[5] : 0).isValid();
        if (!valid) {
            problem = QString("%1 wants %2 (a date from 2000 to 2099), not '%3'")
                          .arg(write.name, clock ? "YYYY-MM-DDThh:mm:ss or pc" : "YYYY-MM-DDThh:mm",
                               write.value);
            return std::nullopt;
        }
        return write;
    }
    bool ok = false;
    write.number = write.value.toDouble(&ok); // a decimal point in every locale
    const bool whole = std::floor(write.number) == write.number;
    if (!ok || !std::isfinite(write.number) || (entry->form == Form::Int && !whole) ||
        write.number < entry->minimum || write.number > entry->maximum) {
        problem = QString("%1 takes %2 from %3 to %4, not '%5'")
                      .arg(write.name,
                           entry->form == Form::Int ? "a whole number"
                                                    : "a number (with a decimal point)")
                      .arg(entry->minimum)
                      .arg(entry->maximum)
                      .arg(write.value);
        return std::nullopt;
    }
    return write;
}

void CommitWiredSetting(const WiredSettingWrite& write) {
    if (const WriteEntry* entry = Find(write.name))
        CommitOnPage({entry->form, entry->value, entry->commit}, write.number, write.fields,
                     write.fromPc);
}

bool WiredWriteHolds(const WiredSettingWrite& write, const core::codec::SettingList& settings) {
    const WriteEntry* entry = Find(write.name);
    const QString held = Text(settings, write.name);
    if (!entry || held.isEmpty()) return false;
    switch (entry->form) {
    case Form::Int: return held.toDouble() == write.number;
    case Form::Real: {
        // An alarm level travels as a 12-bit fraction of the staff length.
        const double staff = Text(settings, "staff_length").toDouble();
        return std::fabs(held.toDouble() - write.number) <= staff / 4095.0 + 0.001;
    }
    case Form::StartTime: return held == write.value;
    case Form::Clock: {
        // The clock runs on between the write and its read-back.
        const QDateTime unit = QDateTime::fromString(held, Qt::ISODate);
        const QDateTime sent =
            write.fromPc ? QDateTime::currentDateTime() : QDateTime::fromString(write.value, Qt::ISODate);
        return unit.isValid() && std::abs(sent.secsTo(unit)) <= 10;
    }
    }
    return false;
}

} // namespace undarix::cli
