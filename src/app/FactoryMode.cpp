#include "app/FactoryMode.h"

#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "ui/Popups.h"

namespace undarix::app {

bool IsFactoryKey(const QString& reply) {
    return reply == QLatin1String(kFactoryKey);
}

void FACTCTR(ui::Event event) {
    if (event != ui::Event::Commit) return;
    const std::optional<QString> reply =
        ui::PromptPopup("This is a Factory Prompt", "Enter Key...", 20);
    core::Program.FactoryMode = reply && IsFactoryKey(*reply) ? 1 : 0;
    core::CallHook(core::hooks.SetUpConfigDisplay);
}

} // namespace undarix::app
