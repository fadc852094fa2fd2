#include "radiocfg/SettingsEvents.h"

#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "radiocfg/codec/ReadSequence.h"
#include "radiocfg/codec/UnitSettings.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace undarix::radiocfg {
namespace {

using core::Program;
using core::codec::SettingList;

constexpr int kReading = 2;
constexpr int kIdle = 3;

struct EventsState {
    std::map<int, SettingsListener> listeners;
    int nextId = 1;
    SettingList known;
    bool reading = false; // a reply of the read sequence came while it was being read
};

EventsState& State() {
    static EventsState state;
    return state;
}

std::string AddressText(std::uint64_t address) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(address));
    return text;
}

// The unit's identity as the session knows it, whatever replies came.
void Identify(SettingList& settings) {
    settings.Set("address", AddressText(Program.ConfigDeviceAddr));
    if (core::IsRadioKind(Program.UnitType))
        settings.Set("kind", std::string(core::UnitKindKey(Program.UnitType)));
    settings.Order(codec::UnitSettingNames());
}

void Tell(const SettingsEvent& event) {
    // A listener may add or remove listeners: call a copy.
    const std::map<int, SettingsListener> listeners = State().listeners;
    for (const auto& [id, listener] : listeners)
        if (listener) listener(event);
}

std::string_view SentCommand() {
    return {Program.TxStr, strnlen(Program.TxStr, sizeof Program.TxStr)};
}

} // namespace

int AddSettingsListener(SettingsListener listener) {
    EventsState& state = State();
    state.listeners[state.nextId] = std::move(listener);
    return state.nextId++;
}

void RemoveSettingsListener(int id) {
    State().listeners.erase(id);
}

const SettingList& KnownSettings() {
    return State().known;
}

void NoteSessionOpened() {
    EventsState& state = State();
    state.known = SettingList();
    state.reading = false;
    Identify(state.known);
}

void NoteReadReply(std::string_view reply) {
    EventsState& state = State();
    (void)codec::ApplyReadReply(state.known, reply);
    if (Program.ConfigStatus == kReading) {
        state.reading = true;
        return;
    }
    // The reply to the last command of the sequence comes once the session is idle: the
    // reply to that very command, not a late second answer to an earlier one.
    const int last = codec::ReadSequenceLength(Program.UnitType, Program.Version12CalPts);
    if (Program.ConfigStatus != kIdle || !state.reading || last == 0 || Program.ConfigType < last)
        return;
    const codec::CommandLine lastCommand = codec::ReadSequenceCommand(
        Program.UnitType, last, Program.Version12CalPts, Program.ConfigCurrentMode);
    if (reply.size() < 3 || reply.substr(1, 2) != lastCommand.View().substr(0, 2)) return;
    state.reading = false;
    Identify(state.known);
    Tell({SettingsEvent::What::Read, Program.ConfigDeviceAddr, state.known, {}, {}});
}

void NoteWriteAcknowledge(std::string_view reply, bool matched) {
    EventsState& state = State();
    // A second or late acknowledge of an earlier command, come while this one waits, confirms
    // nothing of this one: taken for it, the settings would record the earlier command's
    // value under this one's name (a clock acknowledge stored the start time as the clock).
    const std::string_view sent = SentCommand();
    if (reply.size() < 3 || sent.size() < 2 || reply.substr(1, 2) != sent.substr(0, 2)) return;
    SettingList after = state.known;
    bool confirmed = true;
    const std::string name = codec::ApplyWriteAcknowledge(after, reply, SentCommand(), confirmed);
    if (name.empty()) return;
    SettingsEvent event;
    event.address = Program.ConfigDeviceAddr;
    event.changed = name;
    event.echoed = std::string(reply.size() > 4 ? reply.substr(4) : std::string_view());
    if (matched && confirmed) {
        state.known = std::move(after);
        Identify(state.known);
        event.what = SettingsEvent::What::Write;
    } else {
        event.what = SettingsEvent::What::Refused;
    }
    event.settings = state.known;
    Tell(event);
}

void ResetSettingsEvents() {
    State() = EventsState();
}

} // namespace undarix::radiocfg
