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

// Menu callback of Options > Network Output...
void NetworkOutputMenu();

void BindNetworkOutput();

} // namespace undarix::app
