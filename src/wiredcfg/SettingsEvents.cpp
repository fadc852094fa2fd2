#include "wiredcfg/SettingsEvents.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "ui/Controls.h"
#include "wiredcfg/ConfigDisplay.h"
#include "wiredcfg/codec/WiredSettings.h"

#include <map>
#include <string>
#include <vector>

namespace undarix::wiredcfg {
namespace {

using core::Program;

constexpr int kBoardStaffs = 8;

struct EventsState {
    std::map<int, WiredSettingsListener> listeners;
    int nextId = 1;
    bool writeSent = false;
};

EventsState& State() {
    static EventsState state;
    return state;
}

} // namespace

int AddWiredSettingsListener(WiredSettingsListener listener) {
    EventsState& state = State();
    state.listeners[state.nextId] = std::move(listener);
    return state.nextId++;
}

void RemoveWiredSettingsListener(int id) {
    State().listeners.erase(id);
}

void NoteWiredWriteSent() {
    State().writeSent = true;
}

void NoteWiredConfigShown() {
    EventsState& state = State();
    const int kind = Program.UnitType;
    WiredSettingsEvent event;
    event.afterWrite = state.writeSent;
    state.writeSent = false;
    event.settings = codec::WiredSettings(Program.WSAll, kind);
    if (event.settings.Empty()) return;
    // A wired unit is device 1 at address 1 in the device table; the board speaks for its
    // staffs, whose lengths are the program's table, not the board's.
    const bool board = core::IsBoard(kind);
    event.settings.Set("device_number", (long long)(board ? 0 : 1));
    event.settings.Set("address", std::string(board ? "0000000000000000" : "0000000000000001"));
    event.settings.Set("kind", std::string(core::UnitKindKey(kind)));
    event.settings.Set("model", std::string(core::UnitKindName(kind)));
    if (board) {
        std::vector<double> table;
        bool any = false;
        for (int staff = 1; staff <= kBoardStaffs; ++staff) {
            table.push_back(ui::GetTableCell(core::mainpanel::BoardStaffTable, staff, 1));
            any = any || table.back() != 0.0;
        }
        if (any) event.settings.Set("staff_length_table", std::move(table));
    } else {
        event.settings.Set("staff_type",
                           (long long)StaffTypeFor(kind, Program.WSAll.StaffLength));
    }
    event.settings.Order(codec::WiredSettingNames());
    const std::map<int, WiredSettingsListener> listeners = state.listeners;
    for (const auto& [id, listener] : listeners)
        if (listener) listener(event);
}

void ResetWiredSettingsEvents() {
    State() = EventsState();
}

} // namespace undarix::wiredcfg
