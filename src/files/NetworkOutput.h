#pragma once

// The network output: every line of the data-file format, the same samples as JSON and the
// station's status go to an MQTT broker, whether or not a data file is open. The publisher
// (link/MqttPublisher) queues on disk what the broker cannot take yet.

#include "link/MqttPublisher.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace undarix::files {

struct NetworkOutputSettings {
    bool enabled = false;
    QString host;
    int port = 1883;
    bool tls = false;
    QString caFile;
    QString certFile;
    QString keyFile;
    QString user;
    QString password;
    bool rememberPassword = false;
    QString topicRoot;   // empty: DefaultTopicRoot()
    QString queueFolder; // the folder that holds the queue
    std::uint64_t queueBound = link::kDefaultQueueBound;
};

// "undarix/<host name>".
[[nodiscard]] QString DefaultTopicRoot();
// Why `root` cannot be a topic root (wildcards, a leading "$" the broker keeps for itself),
// or empty.
[[nodiscard]] QString TopicRootProblem(const QString& root);
// The queue of the window's network output in `folder`.
[[nodiscard]] QString WindowQueuePath(const QString& folder);

// Starts (or restarts with new settings) publishing; the queue is the folder `queuePath`.
void StartNetworkOutput(const NetworkOutputSettings& settings, const QString& queuePath);
void StopNetworkOutput();
[[nodiscard]] bool NetworkOutputRunning();
[[nodiscard]] link::MqttStatus NetworkOutputStatus();
[[nodiscard]] QString NetworkOutputRoot();
// The password in use (kept in memory only, unless the user asked to remember it).
[[nodiscard]] std::string NetworkOutputPassword();

// Where status changes go: the window's indicator, or the companion's status line. Runs on
// the program's thread.
void SetNetworkStatusSink(std::function<void(const link::MqttStatus&)> sink);

// From the data-file writer: the line of the record in `slot` (with CR LF) and its values.
void PublishDataLine(int slot, const char* line, std::size_t length);

// A closed sea-state record of unit `device`, a JSON object, to <root>/<device>/seastate.
void PublishSeaState(int device, std::string_view json);

// A unit's settings (a JSON object) to <root>/<device>/config, retained: a subscriber that
// comes later still learns them.
void PublishUnitSettings(int device, std::string_view json);

} // namespace undarix::files
