#include "app/NetworkOutputControl.h"

#include "app/NetworkOutputDialog.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StatusMessage.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace undarix::app {
namespace {

namespace mainpanel = core::mainpanel;

constexpr std::uint32_t kAmber = 0xFFAA00;
const char* const kGroup = "NetworkOutput";

QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Undarix", "undarix");
}

// Beside the data files when they are being written, else in the home folder.
QString DefaultQueueFolder() {
    if (core::Program.OutputDataFileOpen)
        return QFileInfo(files::Files.data.SaveOutputDataFileName).absolutePath();
    return QDir::homePath();
}

QString ShortStatus(const link::MqttStatus& status) {
    switch (status.state) {
    case link::MqttState::Off: return {};
    case link::MqttState::Connecting: return "MQTT: connecting";
    case link::MqttState::Connected:
        return status.queued >= std::uint64_t(kQueueShownFrom)
                   ? QString("MQTT: connected, sending %1 queued").arg(status.queued)
                   : QString("MQTT: connected");
    case link::MqttState::Waiting: return QString("MQTT: queueing %1").arg(status.queued);
    case link::MqttState::Failed: return "MQTT: no queue";
    }
    return {};
}

std::uint32_t LedColor(const link::MqttStatus& status) {
    switch (status.state) {
    case link::MqttState::Connected: return status.error.empty() ? ui::kGreen : kAmber;
    case link::MqttState::Connecting: return kAmber;
    default: return ui::kRed;
    }
}

} // namespace

QString NetworkShortStatus(const link::MqttStatus& status) {
    return ShortStatus(status);
}

files::NetworkOutputSettings LoadNetworkOutputSettings() {
    QSettings store = Store();
    store.beginGroup(kGroup);
    files::NetworkOutputSettings settings;
    settings.enabled = store.value("enabled", false).toBool();
    settings.host = store.value("host").toString();
    settings.port = store.value("port", 1883).toInt();
    settings.tls = store.value("tls", false).toBool();
    settings.caFile = store.value("caFile").toString();
    settings.certFile = store.value("certFile").toString();
    settings.keyFile = store.value("keyFile").toString();
    settings.user = store.value("user").toString();
    settings.rememberPassword = store.value("rememberPassword", false).toBool();
    if (settings.rememberPassword) settings.password = store.value("password").toString();
    settings.topicRoot = store.value("topicRoot").toString();
    settings.queueFolder = store.value("queueFolder").toString();
    settings.queueBound =
        store.value("queueBound", qulonglong(link::kDefaultQueueBound)).toULongLong();
    return settings;
}

void SaveNetworkOutputSettings(const files::NetworkOutputSettings& settings) {
    QSettings store = Store();
    store.beginGroup(kGroup);
    store.setValue("enabled", settings.enabled);
    store.setValue("host", settings.host);
    store.setValue("port", settings.port);
    store.setValue("tls", settings.tls);
    store.setValue("caFile", settings.caFile);
    store.setValue("certFile", settings.certFile);
    store.setValue("keyFile", settings.keyFile);
    store.setValue("user", settings.user);
    store.setValue("rememberPassword", settings.rememberPassword);
    // Never written unless the user asked for it; a password kept before is taken away.
    if (settings.rememberPassword)
        store.setValue("password", settings.password);
    else
        store.remove("password");
    store.setValue("topicRoot", settings.topicRoot);
    store.setValue("queueFolder", settings.queueFolder);
    store.setValue("queueBound", qulonglong(settings.queueBound));
}

QString CheckNetworkOutputSettings(const files::NetworkOutputSettings& settings) {
    if (!settings.enabled) return {};
    if (settings.host.isEmpty()) return "Enter the name or address of the broker.";
    if (settings.tls && settings.caFile.isEmpty())
        return "With TLS the broker's certificate is verified: choose the CA file that "
               "signed it.";
    if (settings.tls && settings.certFile.isEmpty() != settings.keyFile.isEmpty())
        return "A client certificate needs its key, and a key its certificate.";
    return files::TopicRootProblem(settings.topicRoot);
}

bool ApplyNetworkOutputSettings(files::NetworkOutputSettings settings) {
    if (const QString problem = CheckNetworkOutputSettings(settings); !problem.isEmpty()) {
        ui::MessagePopup("NETWORK OUTPUT", problem);
        return false;
    }
    if (settings.queueFolder.isEmpty()) settings.queueFolder = DefaultQueueFolder();
    SaveNetworkOutputSettings(settings);
    if (!settings.enabled) {
        files::StopNetworkOutput();
        return true;
    }
    files::StartNetworkOutput(settings, files::WindowQueuePath(settings.queueFolder));
    return true;
}

void StartSavedNetworkOutput() {
    const files::NetworkOutputSettings settings = LoadNetworkOutputSettings();
    if (settings.enabled && CheckNetworkOutputSettings(settings).isEmpty())
        files::StartNetworkOutput(settings, files::WindowQueuePath(settings.queueFolder));
}

void ShowNetworkStatus(const link::MqttStatus& status) {
    const bool on = status.state != link::MqttState::Off;
    ui::SetVisible(mainpanel::NetworkOutputLed, on);
    ui::SetVisible(mainpanel::NetworkOutputText, on);
    const QString description = QString::fromStdString(link::DescribeStatus(status));
    // The status bar hears of a new state or problem, not of every message queued.
    static std::string told;
    const std::string change = std::to_string(int(status.state)) + status.error;
    if (change != told) ui::ShowStatus(description);
    told = change;
    if (!on) return;
    ui::SetLedColor(mainpanel::NetworkOutputLed, LedColor(status));
    ui::SetInt(mainpanel::NetworkOutputLed, 1);
    ui::SetText(mainpanel::NetworkOutputText, ShortStatus(status));
    ui::SetHelp(mainpanel::NetworkOutputText, "NETWORK OUTPUT",
                description + "\n\nOptions > Network Output... sets the broker.");
}

void NetworkOutputMenu() {
    NetworkOutputDialog dialog(ui::FindWidget(mainpanel::OutputPortList));
    files::NetworkOutputSettings current = LoadNetworkOutputSettings();
    // The password of this run stays in the dialog, remembered or not.
    if (files::NetworkOutputRunning() && !current.rememberPassword)
        current.password = QString::fromStdString(files::NetworkOutputPassword());
    dialog.SetSettings(current);
    while (dialog.exec() == QDialog::Accepted)
        if (ApplyNetworkOutputSettings(dialog.Settings())) return;
}

void BindNetworkOutput() {
    ui::OnCommit(core::menu::NetworkOutput, NetworkOutputMenu);
    files::SetNetworkStatusSink(ShowNetworkStatus);
}

} // namespace undarix::app
