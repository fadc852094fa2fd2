#include "analysis/SeaStateSettings.h"

#include "analysis/SeaState.h"
#include "analysis/SeaStateRoles.h"
#include "core/EditHint.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <cmath>

namespace undarix::analysis {
namespace {

using namespace seastate;

// The user's limits when first switched on: the numbers a data file can hold.
constexpr double kDefaultLow = 0.0;
constexpr double kDefaultHigh = 30.0;

void FillIntervalRing() {
    ui::ClearList(IntervalRing);
    for (int minutes : {10, 20, 30, 60})
        ui::InsertListItem(IntervalRing, QString("%1 min").arg(minutes), minutes);
}

// The zero offset the wired unit's values are taken relative to, 0 without zero mode.
double WiredZeroOffset() {
    for (const live::OutputLineRecord& record : live::OutputLine)
        if (record.address != 0) return record.zeroMode ? double(record.zeroOffset) : 0.0;
    return 0.0;
}

void SettingsChanged(ui::Event event) {
    if (event != ui::Event::Commit) return;
    const codec::SeaStateSettings before = SeaState.accumulator.Settings();
    const codec::SeaStateSettings after = WithStaffLimits(SeaStateSettingsFromControls());
    SeaState.accumulator.SetSettings(after);
    if (after.intervalMinutes != before.intervalMinutes)
        // The accumulator drops the intervals under way and opens the new length's interval
        // that holds the next sample: that first record covers only the rest of its interval.
        ui::ShowStatus(QString("Sea state: %1-minute intervals from now on. The %2-minute "
                               "intervals under way were dropped without a record; each unit's "
                               "first %1-minute record starts now, part-way, and counts the "
                               "samples before as missing")
                           .arg(after.intervalMinutes)
                           .arg(before.intervalMinutes));
}

// A number being typed says what Enter will do, as every field of the window does.
void NumberSettingChanged(ui::Event event) {
    if (event == ui::Event::KeyPress) return core::ShowEditHint(core::kEnterAppliesToSeaState);
    if (event == ui::Event::LostFocus || event == ui::Event::Commit) core::HideEditHint();
    SettingsChanged(event);
}

void RangeSwitched(ui::Event event) {
    if (event != ui::Event::Commit) return;
    const bool on = ui::GetInt(RangeSwitch) != 0;
    ui::SetDimmed(RangeLow, !on);
    ui::SetDimmed(RangeHigh, !on);
    SettingsChanged(event);
}

void RestoreDefaults() {
    ShowSeaStateSettings({});
    SettingsChanged(ui::Event::Commit);
}

void BindHelp() {
    ui::SetHelp(IntervalRing, "SEA STATE INTERVAL",
                "One record per unit for each interval of this length, aligned to whole\n"
                "multiples of it from midnight of the unit's clock. A new length starts with\n"
                "the next whole interval.");
    ui::SetHelp(TideFilterSwitch, "TIDE FILTER",
                "If on, the 0.01 Hz (100 s) 5th-order high-pass filter of the analysis page\n"
                "runs over each interval before Hm0, the waves and the spectrum.");
    ui::SetHelp(LevelSwitch, "SLOW LEVEL",
                "If on (the default), the slow water level (tide, surge, drift: a parabola\n"
                "fitted over the interval) is taken off before every statistic; the record\n"
                "gives the level and how far it changed, and what lies below the wave band\n"
                "(infragravity waves, a seiche) is kept out of Hm0 and the waves. Off, only\n"
                "the mean is taken off, and nothing below the band.");
    ui::SetHelp(BandLow, "WAVE BAND",
                "The moments, Tp, Hm0 and the waves are taken over the frequencies from this\n"
                "one (default 0.04 Hz, 25 s: below it are tides, seiches and drift) to the\n"
                "top of the band.");
    ui::SetHelp(BandHigh, "WAVE BAND",
                "The top of the wave band. Auto: 1 Hz, or 4 times the peak frequency for a\n"
                "sea above 0.25 Hz, at most the Nyquist frequency; instrument noise above\n"
                "it makes neither periods nor waves.");
    ui::SetHelp(SpikeDeviations, "SPIKES",
                "Samples further from the median of the 7 samples around them, and from each\n"
                "neighbour on the same side, than this many times the typical step between\n"
                "neighbouring samples are replaced by a straight line between their\n"
                "neighbours; so are runs of up to 2 s that jump away and back by more than\n"
                "twice any step of the waves. A crest, however high and sharp, is kept.\n"
                "Up to 0.1 % of the samples pass, up to 1 % are suspect, more fail.");
    ui::SetHelp(FlatSeconds, "FLAT LINE",
                "This many seconds of identical values in a row, and at least 10 samples,\n"
                "are a flat line (a stuck sensor): suspect, and fail above 10 % of the\n"
                "samples.");
    ui::SetHelp(MinPresent, "GAPS",
                "Missing samples, found from the time stamps and the rate, make a record\n"
                "suspect; fewer present than this share of the expected samples fail it.");
    ui::SetHelp(RangeSwitch, "RANGE",
                "Values outside these limits are taken out like gaps: suspect, fail above\n"
                "10 %. Off, a wired unit's staff (0 to its length) is the limit; other units\n"
                "have none.");
    ui::SetHelp(ShiftLimit, "MEAN SHIFT",
                "The means of the interval's two halves differing by more than this many\n"
                "meters make the record suspect.");
}

} // namespace

codec::SeaStateSettings SeaStateSettingsFromControls() {
    codec::SeaStateSettings settings;
    const int minutes = ui::GetInt(IntervalRing);
    settings.intervalMinutes = codec::IsValidIntervalMinutes(minutes) ? minutes : 30;
    settings.tideFilter = ui::GetInt(TideFilterSwitch) != 0;
    settings.removeSlowLevel = ui::GetInt(LevelSwitch) != 0;
    settings.bandLowHz = ui::GetReal(BandLow);
    settings.bandHighHz = ui::GetReal(BandHigh);
    settings.qc.spikeDeviations = ui::GetReal(SpikeDeviations);
    settings.qc.flatSeconds = ui::GetReal(FlatSeconds);
    settings.qc.minPresentPercent = ui::GetReal(MinPresent);
    if (ui::GetInt(RangeSwitch) != 0) {
        settings.qc.rangeLow = ui::GetReal(RangeLow);
        settings.qc.rangeHigh = ui::GetReal(RangeHigh);
    }
    settings.qc.meanShiftLimit = ui::GetReal(ShiftLimit);
    return settings;
}

void ShowSeaStateSettings(const codec::SeaStateSettings& settings) {
    ui::SetInt(IntervalRing, settings.intervalMinutes);
    ui::SetInt(TideFilterSwitch, settings.tideFilter ? 1 : 0);
    ui::SetInt(LevelSwitch, settings.removeSlowLevel ? 1 : 0);
    ui::SetReal(BandLow, settings.bandLowHz);
    ui::SetReal(BandHigh, settings.bandHighHz);
    ui::SetReal(SpikeDeviations, settings.qc.spikeDeviations);
    ui::SetReal(FlatSeconds, settings.qc.flatSeconds);
    ui::SetReal(MinPresent, settings.qc.minPresentPercent);
    const bool limits = std::isfinite(settings.qc.rangeLow) || std::isfinite(settings.qc.rangeHigh);
    ui::SetInt(RangeSwitch, limits ? 1 : 0);
    ui::SetReal(RangeLow, std::isfinite(settings.qc.rangeLow) ? settings.qc.rangeLow : kDefaultLow);
    ui::SetReal(RangeHigh,
                std::isfinite(settings.qc.rangeHigh) ? settings.qc.rangeHigh : kDefaultHigh);
    ui::SetDimmed(RangeLow, !limits);
    ui::SetDimmed(RangeHigh, !limits);
    ui::SetReal(ShiftLimit, settings.qc.meanShiftLimit);
}

void ApplySeaStateSettings(const codec::SeaStateSettings& settings) {
    ShowSeaStateSettings(settings);
    SeaState.accumulator.SetSettings(WithStaffLimits(SeaStateSettingsFromControls()));
}

codec::SeaStateSettings WithStaffLimits(const codec::SeaStateSettings& settings) {
    codec::SeaStateSettings limited = settings;
    const bool userLimits =
        std::isfinite(settings.qc.rangeLow) || std::isfinite(settings.qc.rangeHigh);
    const float staffMm = core::Program.WSAll.StaffLength;
    if (userLimits || !core::IsWiredKind(core::Program.UnitType) || !(staffMm > 0.0f))
        return limited;
    const double offset = WiredZeroOffset();
    limited.qc.rangeLow = -offset;
    limited.qc.rangeHigh = staffMm / 1000.0 - offset;
    return limited;
}

void RefreshStaffLimits() {
    const codec::QcSettings& now = SeaState.accumulator.Settings().qc;
    const codec::SeaStateSettings wanted = WithStaffLimits(SeaStateSettingsFromControls());
    if (wanted.intervalMinutes != SeaState.accumulator.Settings().intervalMinutes) return;
    if (wanted.qc.rangeLow != now.rangeLow || wanted.qc.rangeHigh != now.rangeHigh)
        SeaState.accumulator.SetSettings(wanted);
}

void BindSeaStateSettings() {
    FillIntervalRing();
    for (ui::Role role : {IntervalRing, TideFilterSwitch, LevelSwitch})
        ui::OnEvent(role, SettingsChanged);
    for (ui::Role role : {SpikeDeviations, FlatSeconds, MinPresent, RangeLow, RangeHigh, ShiftLimit,
                          BandLow, BandHigh})
        ui::OnEvent(role, NumberSettingChanged);
    ui::OnEvent(RangeSwitch, RangeSwitched);
    ui::OnCommit(DefaultsButton, RestoreDefaults);
    BindHelp();
    ShowSeaStateSettings({});
    SeaState.accumulator.SetSettings(WithStaffLimits(SeaStateSettingsFromControls()));
}

void ResetSeaStateSettings() {
    SeaState.accumulator.SetSettings({});
}

} // namespace undarix::analysis
