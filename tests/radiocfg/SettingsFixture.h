#pragma once

// The real panel with the adapter on a memory port and a radio unit configured (the session
// idle, as after its configuration was read): a test changes a control as the user would and
// reads the commands that went out.

#include "RadioLink.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <string>
#include <vector>

namespace undarix::testing {

inline constexpr std::uint64_t kConfiguredUnit = 0x0013A20040B1C2D3ull;

class SettingsTest : public RadioLinkTest {
protected:
    void SetUp() override {
        RadioLinkTest::SetUp();
        Configure(0, 1);
    }

    // The unit of this kind configured and idle, the current-mode switch at `currentMode`.
    void Configure(int kind, int currentMode) {
        core::Program.UnitType = kind;
        core::Program.ConfigDeviceAddr = kConfiguredUnit;
        core::Program.ConfigStatus = 3;
        core::Program.LastConfigStatus = 3;
        core::Program.ConfigCurrentMode = currentMode;
        core::Program.TxWait = 0;
        ui::SetInt(core::configpage::CurrentModeSwitch, currentMode);
        TakeSent();
        delays.clear();
    }

    void Commit(ui::Role role) { ui::Dispatch(role, ui::Event::Commit); }

    // The commands sent since the last call; each must have gone to the configured unit.
    std::vector<std::string> Sent() {
        std::vector<std::string> texts;
        for (const SentFrame& frame : TakeSent()) {
            EXPECT_EQ(frame.api, link::codec::kTransmitRequest);
            EXPECT_EQ(frame.destination, kConfiguredUnit);
            texts.push_back(frame.text);
        }
        return texts;
    }
    using Texts = std::vector<std::string>;

    // The unit's reply through the real receive path.
    void Echo(const std::string& text) { Reply(kConfiguredUnit, text); }
};

} // namespace undarix::testing
