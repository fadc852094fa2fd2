#include "ui/Delay.h"

#include <chrono>
#include <thread>

namespace undarix::ui {
namespace {

std::function<void(double)>& Driver() {
    static std::function<void(double)> driver;
    return driver;
}

} // namespace

void Delay(double seconds) {
    if (Driver()) return Driver()(seconds);
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::function<void(double)> SetDelayDriver(std::function<void(double)> driver) {
    std::swap(Driver(), driver);
    return driver;
}

} // namespace undarix::ui
