#include "ui/Clock.h"

namespace undarix::ui {
namespace {

std::function<QDateTime()>& TheClock() {
    static std::function<QDateTime()> clock;
    return clock;
}

} // namespace

QDateTime Now() { return TheClock() ? TheClock()() : QDateTime::currentDateTime(); }

qint64 NowMs() {
    return TheClock() ? TheClock()().toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
}

std::function<QDateTime()> SetClock(std::function<QDateTime()> clock) {
    std::swap(TheClock(), clock);
    return clock;
}

} // namespace undarix::ui
