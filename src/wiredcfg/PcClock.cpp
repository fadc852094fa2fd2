#include "wiredcfg/PcClock.h"

#include "ui/Clock.h"

#include <QElapsedTimer>

namespace undarix::wiredcfg {
namespace {

constexpr qint64 kLongestWaitMs = 1500;

} // namespace

QDateTime WaitForNextSecond() {
    const QDateTime first = ui::Now();
    const int firstSecond = first.time().second();
    QElapsedTimer guard;
    guard.start();
    QDateTime reading = ui::Now();
    while (reading.time().second() == firstSecond && guard.elapsed() < kLongestWaitMs)
        reading = ui::Now();
    // The date comes from the same reading as the time, so a wait across midnight cannot pair
    // the old day's date with the new day's 00:00:00.
    return reading;
}

} // namespace undarix::wiredcfg
