#include "ui/Timers.h"

#include <QTimer>

#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>

namespace undarix::ui {
namespace {

struct PanelTimer {
    std::unique_ptr<QTimer> timer;
    std::function<void()> tick;
    double intervalSeconds = 1.0;
    bool enabled = false;
    bool running = false;
    bool pending = false;
};

std::unordered_map<std::string, PanelTimer>& Timers() {
    static std::unordered_map<std::string, PanelTimer> timers;
    return timers;
}

PanelTimer* Find(Role role) {
    auto it = Timers().find(std::string(role));
    return it == Timers().end() ? nullptr : &it->second;
}

void RunGuarded(PanelTimer& timer) {
    if (timer.running) {
        timer.pending = true;
        return;
    }
    timer.running = true;
    do {
        timer.pending = false;
        if (timer.tick) timer.tick();
    } while (timer.pending && timer.enabled);
    timer.running = false;
}

int Milliseconds(double seconds) { return std::max(1, int(std::lround(seconds * 1000.0))); }

} // namespace

void CreateTimer(Role role, double intervalSeconds, std::function<void()> tick) {
    PanelTimer& timer = Timers()[std::string(role)];
    timer.tick = std::move(tick);
    timer.intervalSeconds = intervalSeconds;
    timer.enabled = false;
    if (!timer.timer) {
        timer.timer = std::make_unique<QTimer>();
        PanelTimer* self = &timer; // map nodes stay put
        QObject::connect(timer.timer.get(), &QTimer::timeout, [self] { RunGuarded(*self); });
    }
    timer.timer->stop();
    timer.timer->setInterval(Milliseconds(intervalSeconds));
}

void SetTimerEnabled(Role role, bool enabled) {
    PanelTimer* timer = Find(role);
    if (!timer) return;
    timer->enabled = enabled;
    if (enabled && !timer->timer->isActive()) timer->timer->start();
    if (!enabled) timer->timer->stop();
}

bool IsTimerEnabled(Role role) {
    const PanelTimer* timer = Find(role);
    return timer && timer->enabled;
}

void SetTimerInterval(Role role, double seconds) {
    PanelTimer* timer = Find(role);
    if (!timer) return;
    timer->intervalSeconds = seconds;
    timer->timer->setInterval(Milliseconds(seconds));
}

double GetTimerInterval(Role role) {
    const PanelTimer* timer = Find(role);
    return timer ? timer->intervalSeconds : 0.0;
}

void TickTimer(Role role) {
    if (PanelTimer* timer = Find(role)) RunGuarded(*timer);
}

void ClearTimers() { Timers().clear(); }

} // namespace undarix::ui
