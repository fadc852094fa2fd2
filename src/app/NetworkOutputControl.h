#pragma once

// The window's side of the network output: its settings (kept between runs; the password
// only when the user asks), the Options menu item, and the indicator beside the output port.

#include "files/NetworkOutput.h"

#include <QString>

namespace undarix::app {

[[nodiscard]] files::NetworkOutputSettings LoadNetworkOutputSettings();
void SaveNetworkOutputSettings(const files::NetworkOutputSettings& settings);

// Why these settings cannot be used, or an empty text.
[[nodiscard]] QString CheckNetworkOutputSettings(const files::NetworkOutputSettings& settings);

// Keeps the settings and starts or stops publishing; a problem is shown and nothing changes.
bool ApplyNetworkOutputSettings(files::NetworkOutputSettings settings);

// At start-up: publishing goes on if it was on when the program ended.
void StartSavedNetworkOutput();

// The indicator: LED and short text beside the output port, the whole status as its help
// and on the status bar when it changes.
void ShowNetworkStatus(const link::MqttStatus& status);
// The indicator's short text. Connected with a backlog says how many messages still wait, so
// that the drain after the broker came back is seen; a few in flight are no backlog.
[[nodiscard]] QString NetworkShortStatus(const link::MqttStatus& status);
inline constexpr int kQueueShownFrom = 20;

// Menu callback of Options > Network Output...
void NetworkOutputMenu();

void BindNetworkOutput();

} // namespace undarix::app
