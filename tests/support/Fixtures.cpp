#include "support/Fixtures.h"

#include "app/Application.h"
#include "ui/Clock.h"
#include "ui/Delay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace undarix::testing {

void HeadlessTest::SetUp() {
    app::ResetAll();
    auto driver = std::make_unique<ScriptedPopups>();
    popups = driver.get();
    ui::SetPopupDriver(std::move(driver));
    ui::SetDelayDriver([this](double seconds) { delays.push_back(seconds); });
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0)));
    ui::SetClock([this] {
        const QDateTime reading = now_;
        now_ = now_.addMSecs(stepMs_);
        return reading;
    });
}

void HeadlessTest::TearDown() {
    EXPECT_TRUE(popups->AllAnswered()) << "an expected pop-up was never shown";
    ui::SetClock({});
    ui::SetDelayDriver({});
    app::ResetAll();
}

void HeadlessTest::SetNow(const QDateTime& now, int stepMs) {
    now_ = now;
    stepMs_ = stepMs;
}

void PanelTest::SetUp() {
    HeadlessTest::SetUp();
    panel = app::LoadMainPanel({});
}

void PanelTest::TearDown() {
    panel.reset();
    HeadlessTest::TearDown();
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace undarix::testing
