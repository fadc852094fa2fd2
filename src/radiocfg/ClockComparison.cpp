#include "radiocfg/ClockComparison.h"

#include "core/ConfigPageRoles.h"
#include "radiocfg/codec/UnitCalendar.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/NumberText.h"

namespace undarix::radiocfg {

void ShowClockDifference(int unitHour, int unitMinute, int unitSecond) {
    // The PC clock to the millisecond, at the moment the reply is handled.
    const double pc = ui::Now().time().msecsSinceStartOfDay() / 1000.0;
    const double unit = unitHour * 3600.0 + unitMinute * 60.0 + unitSecond;
    const double difference = codec::ClockDifference(unit, pc);
    ui::SetText(core::configpage::ClockDifferenceText,
                ui::NumberTextForFormat("%4.2f", difference));
    ui::SetDimmed(core::configpage::ClockDifferenceText, false);
}

} // namespace undarix::radiocfg
