// The window's network output: its dialog and kept settings (the password only when asked),
// the checks before it starts, and the indicator beside the output port against a real
// broker.

#include "app/NetworkOutputControl.h"
#include "app/NetworkOutputDialog.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/NetworkOutput.h"
#include "support/Broker.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace undarix::testing {
namespace {

using namespace core;

class NetworkOutputControlTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        // The settings go to this test's folder, never to the user's.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }
    void TearDown() override {
        files::StopNetworkOutput();
        PanelTest::TearDown();
    }
    [[nodiscard]] QByteArray SettingsFile() const {
        QFile file(dir.filePath("Undarix/undarix.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static files::NetworkOutputSettings Valid(int port) {
        files::NetworkOutputSettings settings;
        settings.enabled = true;
        settings.host = "127.0.0.1";
        settings.port = port;
        settings.user = "station";
        settings.password = "s3cret";
        settings.topicRoot = "undarix/pc1";
        return settings;
    }

    QTemporaryDir dir;
};

TEST_F(NetworkOutputControlTest, TheRolesExistAndTheDialogGivesBackWhatItWasGiven) {
    for (ui::Role role :
         {mainpanel::NetworkOutputLed, mainpanel::NetworkOutputText, menu::NetworkOutput})
        EXPECT_TRUE(ui::IsRegistered(role)) << role;
    files::NetworkOutputSettings settings = Valid(1883);
    settings.tls = true;
    settings.caFile = "/etc/ca.crt";
    settings.certFile = "/etc/station.crt";
    settings.keyFile = "/etc/station.key";
    settings.rememberPassword = true;
    settings.queueFolder = "/data/queue";
    settings.queueBound = 250'000'000;
    app::NetworkOutputDialog dialog;
    dialog.SetSettings(settings);
    const files::NetworkOutputSettings back = dialog.Settings();
    EXPECT_EQ(back.host, settings.host);
    EXPECT_EQ(back.port, settings.port);
    EXPECT_EQ(back.tls, settings.tls);
    EXPECT_EQ(back.caFile, settings.caFile);
    EXPECT_EQ(back.certFile, settings.certFile);
    EXPECT_EQ(back.keyFile, settings.keyFile);
    EXPECT_EQ(back.user, settings.user);
    EXPECT_EQ(back.password, settings.password);
    EXPECT_EQ(back.rememberPassword, settings.rememberPassword);
    EXPECT_EQ(back.topicRoot, settings.topicRoot);
    EXPECT_EQ(back.queueFolder, settings.queueFolder);
    EXPECT_EQ(back.queueBound, settings.queueBound);
}

TEST_F(NetworkOutputControlTest, ThePasswordIsWrittenOnlyWhenTheUserAsksForIt) {
    files::NetworkOutputSettings settings = Valid(1883);
    settings.password = "never-on-disk";
    app::SaveNetworkOutputSettings(settings);
    EXPECT_TRUE(SettingsFile().contains("station"));
    EXPECT_FALSE(SettingsFile().contains("never-on-disk"));
    EXPECT_EQ(app::LoadNetworkOutputSettings().password, "");

    settings.rememberPassword = true;
    app::SaveNetworkOutputSettings(settings);
    EXPECT_EQ(app::LoadNetworkOutputSettings().password, "never-on-disk");
    // Unticked again: the kept password is taken away.
    settings.rememberPassword = false;
    app::SaveNetworkOutputSettings(settings);
    EXPECT_FALSE(SettingsFile().contains("never-on-disk"));
}

TEST_F(NetworkOutputControlTest, SettingsThatCannotWorkAreRefusedWithAReason) {
    struct Case {
        const char* name;
        std::function<void(files::NetworkOutputSettings&)> change;
        const char* reason; // empty: accepted
    };
    const std::vector<Case> cases = {
        {"valid", [](auto&) {}, ""},
        {"off needs nothing", [](auto& s) { s = {}; }, ""},
        {"no host", [](auto& s) { s.host.clear(); }, "name or address of the broker"},
        {"TLS without CA", [](auto& s) { s.tls = true; }, "choose the CA file"},
        {"certificate without key",
         [](auto& s) {
             s.tls = true;
             s.caFile = "ca.crt";
             s.certFile = "station.crt";
         },
         "needs its key"},
        {"wildcard in the root", [](auto& s) { s.topicRoot = "undarix/#"; }, "wildcards"},
    };
    for (const Case& c : cases) {
        files::NetworkOutputSettings settings = Valid(1883);
        c.change(settings);
        const QString reason = app::CheckNetworkOutputSettings(settings);
        if (std::string(c.reason).empty())
            EXPECT_TRUE(reason.isEmpty()) << c.name << ": " << reason.toStdString();
        else
            EXPECT_TRUE(reason.contains(c.reason)) << c.name << ": " << reason.toStdString();
    }

    files::NetworkOutputSettings settings = Valid(1883);
    settings.tls = true;
    popups->ExpectMessage("NETWORK OUTPUT");
    EXPECT_FALSE(app::ApplyNetworkOutputSettings(settings));
    EXPECT_FALSE(files::NetworkOutputRunning());
    EXPECT_EQ(Program.NetworkOutputOn, 0);
}

// After the broker came back, hundreds of queued messages drain for minutes: the indicator
// counts them down instead of saying only "connected".
TEST(NetworkShortStatus, ConnectedWithABacklogCountsIt) {
    struct Case {
        link::MqttState state;
        std::uint64_t queued;
        const char* shown;
    };
    const Case cases[] = {
        {link::MqttState::Connected, 0, "MQTT: connected"},
        {link::MqttState::Connected, 5, "MQTT: connected"}, // a few in flight
        {link::MqttState::Connected, 20, "MQTT: connected, sending 20 queued"},
        {link::MqttState::Connected, 480, "MQTT: connected, sending 480 queued"},
        {link::MqttState::Waiting, 480, "MQTT: queueing 480"},
        {link::MqttState::Connecting, 480, "MQTT: connecting"},
    };
    for (const Case& c : cases) {
        link::MqttStatus status;
        status.state = c.state;
        status.queued = c.queued;
        EXPECT_EQ(app::NetworkShortStatus(status).toStdString(), c.shown) << c.queued;
    }
}

TEST_F(NetworkOutputControlTest, TheIndicatorShowsTheConnectionAndTheQueue) {
    Broker broker({"station", "s3cret", false, false});
    ASSERT_EQ(broker.Start(), "");
    files::NetworkOutputSettings settings = Valid(broker.Port());
    settings.queueFolder = dir.filePath("queue");
    ASSERT_TRUE(app::ApplyNetworkOutputSettings(settings));
    ASSERT_TRUE(WaitUntil(
        [] { return ui::GetText(mainpanel::NetworkOutputText) == "MQTT: connected"; }, 10000))
        << ui::GetText(mainpanel::NetworkOutputText).toStdString();
    EXPECT_TRUE(ui::IsVisible(mainpanel::NetworkOutputLed));
    EXPECT_EQ(ui::GetLedColor(mainpanel::NetworkOutputLed), ui::kGreen);
    // The password of the run is not in the settings file; the queue lies where it was put.
    EXPECT_FALSE(SettingsFile().contains("s3cret"));
    EXPECT_TRUE(QFile::exists(dir.filePath("queue/undarix.mqtt-queue/head")));

    broker.Stop();
    ASSERT_TRUE(WaitUntil(
        [] { return ui::GetText(mainpanel::NetworkOutputText).startsWith("MQTT: queueing"); },
        10000))
        << ui::GetText(mainpanel::NetworkOutputText).toStdString();
    EXPECT_EQ(ui::GetLedColor(mainpanel::NetworkOutputLed), ui::kRed);

    settings.enabled = false;
    ASSERT_TRUE(app::ApplyNetworkOutputSettings(settings));
    EXPECT_FALSE(ui::IsVisible(mainpanel::NetworkOutputLed));
    EXPECT_FALSE(app::LoadNetworkOutputSettings().enabled);
}

} // namespace
} // namespace undarix::testing
