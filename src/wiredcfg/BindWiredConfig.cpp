#include "wiredcfg/BindWiredConfig.h"

#include "core/PanelRoles.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StraySteps.h"
#include "ui/Timers.h"
#include "wiredcfg/BlockSetters.h"
#include "wiredcfg/BoardStaffTable.h"
#include "wiredcfg/Calibration.h"
#include "wiredcfg/ConfigCycle.h"
#include "wiredcfg/ConnectTimer.h"

#include <initializer_list>
#include <utility>

namespace undarix::wiredcfg {
namespace {

using namespace core::configpage;

using RingItems = std::initializer_list<std::pair<const char*, int>>;

// The rings only wired units and the board use get their items here unless the page's layout
// already gives them.
void FillRingIfEmpty(ui::Role ring, RingItems items) {
    if (ui::GetListCount(ring) != 0) return;
    for (const auto& [label, value] : items)
        ui::InsertListItem(ring, label, value);
}

const char* const kConfigureRunHelp =
    "Configure stops the unit and shows its configuration, which can then be changed.\n"
    "Run clears the page and sets the unit running again, so that its data are displayed\n"
    "and plotted.  A unit left in Configure does not measure.";

} // namespace

void BindWiredConfig() {
    ui::CreateTimer(core::timer::WiredConnect, kConnectTimerPeriod, WSWLDeviceConnectTimer);
    ui::CreateTimer(core::timer::WiredConfig, kConfigTimerPeriod, WLWSConfigTimer);

    FillRingIfEmpty(ConfigureRunSwitch, {{"Run", 0}, {"Configure", 1}});
    FillRingIfEmpty(PortRunModeRing, {{"Free Run Mode", 0}, {"Sync Mode", 1}});
    FillRingIfEmpty(TimeTagRing, {{"None", 0}, {"Minute", 1}, {"Hour", 2}, {"Day", 3}});

    ui::OnEvent(ConfigureRunSwitch, WSWLConfigRunSelect);
    ui::SetHelp(ConfigureRunSwitch, "CONFIGURE / RUN", kConfigureRunHelp);
    BindBlockSetters();
    BindCalibration();
    BindBoardStaffTable();
    // Each of these rewrites the unit's whole block: only a deliberate value may commit.
    ui::PreventStrayCommits({WiredSampleRateField, FileIntervalField, Alarm1OnLevel, Alarm1OffLevel,
                             Alarm2OnLevel, Alarm2OffLevel, PortRunModeRing, TimeTagRing,
                             ConfigureRunSwitch});
}

} // namespace undarix::wiredcfg
