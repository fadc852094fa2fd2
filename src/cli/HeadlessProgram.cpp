#include "cli/HeadlessProgram.h"

#include "app/Application.h"
#include "app/Wiring.h"
#include "core/Hooks.h"
#include "ui/StatusMessage.h"

namespace undarix::cli {

HeadlessProgram::HeadlessProgram(const Console& console) {
    app::ResetAll();
    app::WireSubsystems();
    app::Initialize();
    // The window's sea state (and its file beside the data file) is not the companion's: its
    // seastate command runs an accumulator of its own.
    core::hooks.SeaStateSamples = {};
    ui::SetStatusSink([console, echo = echo_](const QString& text) {
        if (*echo) console.ErrLine("undarix-cli: " + text);
    });
}

HeadlessProgram::~HeadlessProgram() {
    ui::SetStatusSink({});
    app::ResetAll(); // closes what is still open and forgets the ports
}

} // namespace undarix::cli
