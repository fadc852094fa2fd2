#pragma once

// The fixtures every test starts from: the program's state at its start values, pop-ups
// answered from a script, waits recorded instead of slept, and a clock the test sets.

#include "app/MainWindow.h"
#include "support/ScriptedPopups.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace undarix::testing {

// State only: no window; the controls the code touches exist headless.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The clock reads `now`, advancing by `stepMs` at every reading (busy waits for the next
    // second then end after a bounded number of readings).
    void SetNow(const QDateTime& now, int stepMs = 1);
    [[nodiscard]] QDateTime Now() const { return now_; }

    ScriptedPopups* popups = nullptr;
    std::vector<double> delays; // every Delay asked for, in seconds

private:
    QDateTime now_;
    int stepMs_ = 1;
};

// The real main panel, loaded as at start-up but not shown.
class PanelTest : public HeadlessTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<app::MainWindow> panel;
};

// Runs the event loop until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 3000);

} // namespace undarix::testing
