#include "files/NetworkOutput.h"

#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/codec/DataLine.h"
#include "files/codec/NetworkMessages.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"

#include <QDateTime>
#include <QDir>
#include <QSysInfo>
#include <QTimer>

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <unistd.h>

namespace undarix::files {
namespace {

using core::Program;

// Single samples of one unit, gathered into one samples message of up to a second: a unit at
// 32 Hz would otherwise cost 32 more messages a second (each line still goes out at once).
struct GatheredSamples {
    int device = 0;
    std::uint64_t address = 0;
    int rate = 0;
    std::string time;     // of the first value; empty before the unit's first time record
    int nextCount = 0;    // the sample count the next sample has when it follows on
    qint64 firstAtMs = 0; // when the first value came, on the PC's clock
    std::vector<float> values;
};

// A unit that goes quiet has what it gathered sent after this long.
constexpr qint64 kGatherAtMostMs = 1000;

struct NetworkOutputState {
    std::unique_ptr<link::MqttPublisher> publisher;
    std::array<GatheredSamples, live::kTableSlots> gathered;
    std::unique_ptr<QTimer> gatherTimer;
    std::string root;
    std::string password;
    // What the status message said last: it is renewed when the kind or the port changes.
    int statusKind = -1;
    int statusPort = -1;
    std::function<void(const link::MqttStatus&)> sink;
};

NetworkOutputState& State() {
    static NetworkOutputState state;
    return state;
}

std::pair<std::string, std::string> StatusPayloads() {
    const std::string kind = core::UnitKindName(Program.UnitType);
    const std::string port =
        Program.OpenComPortNum ? link::PortPathFor(Program.OpenComPortNum).toStdString() : "";
    return {codec::StationStatusJson(true, kind, port),
            codec::StationStatusJson(false, kind, port)};
}

void RenewStatusIfChanged() {
    NetworkOutputState& state = State();
    if (state.statusKind == Program.UnitType && state.statusPort == Program.OpenComPortNum) return;
    state.statusKind = Program.UnitType;
    state.statusPort = Program.OpenComPortNum;
    auto [online, offline] = StatusPayloads();
    state.publisher->SetStatusPayloads(std::move(online), std::move(offline));
}

std::string ReceivedNow() {
    return codec::UtcTimeText(QDateTime::currentMSecsSinceEpoch());
}

std::string RecordTime(const live::OutputLineRecord& record, std::int64_t milliseconds) {
    return codec::UnitTimeText(
        {record.year, record.month, record.day, record.hour, record.minute, record.second},
        milliseconds);
}

void PublishSamplesMessage(const codec::SamplesMessage& message) {
    State().publisher->Publish(codec::DeviceTopic(State().root, message.device, "samples"),
                               codec::SamplesJson(message), true);
}

void SendGathered(GatheredSamples& gathered) {
    if (gathered.values.empty()) return;
    const std::string received = ReceivedNow();
    codec::SamplesMessage message;
    message.device = gathered.device;
    message.address = gathered.address;
    message.kind = 'C';
    message.time = gathered.time;
    message.rate = gathered.rate;
    message.values = gathered.values;
    message.received = received;
    PublishSamplesMessage(message);
    gathered.values.clear();
}

void SendGatheredOlderThan(qint64 ageMs) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (GatheredSamples& gathered : State().gathered)
        if (!gathered.values.empty() && now - gathered.firstAtMs >= ageMs) SendGathered(gathered);
}

// A single sample joins what its unit gathered when it follows on (the same unit and rate,
// the next sample since the same time record); a second's worth goes out at once.
void GatherSample(int slot, const live::OutputLineRecord& record) {
    GatheredSamples& gathered = State().gathered[std::size_t(slot)];
    const bool followsOn = gathered.address == record.address &&
                           gathered.rate == record.sampleRate &&
                           gathered.nextCount == record.sampleCount;
    if (!followsOn) SendGathered(gathered);
    if (gathered.values.empty()) {
        gathered.device = record.deviceNumber;
        gathered.address = record.address;
        gathered.rate = record.sampleRate;
        // The unit sends the time once; each sample after it is one sample period later.
        gathered.time = record.sampleRate > 0 && record.sampleCount > 0
                            ? RecordTime(record, std::int64_t(record.sampleCount - 1) * 1000 /
                                                     record.sampleRate)
                            : std::string();
        gathered.firstAtMs = QDateTime::currentMSecsSinceEpoch();
    }
    gathered.values.push_back(core::WorkValue[0]);
    gathered.nextCount = record.sampleCount + 1;
    if (int(gathered.values.size()) >= std::max(1, int(record.sampleRate))) SendGathered(gathered);
}

// The values of the line: a block's at once; the one value of a single-sample record gathered.
void PublishSamples(int slot, const char* line, std::size_t length) {
    const live::OutputLineRecord& record = live::OutputLine[slot];
    if (record.packetKind == 'C') {
        if (length >= 7 && line[6] == '1') GatherSample(slot, record);
        return;
    }
    const int count = codec::BlockValueCount(record.packetKind);
    if (count <= 0) return;
    const std::string time = RecordTime(record, 0);
    const std::string received = ReceivedNow();
    codec::SamplesMessage message;
    message.device = record.deviceNumber;
    message.address = record.address;
    message.kind = record.packetKind;
    message.time = time;
    message.rate = record.sampleRate;
    message.values = std::span<const float>(core::WorkValue, std::size_t(count));
    message.received = received;
    PublishSamplesMessage(message);
}

std::string ClientId() {
    return "undarix-" + codec::TopicLevel(QSysInfo::machineHostName().toStdString()) + "-" +
           std::to_string(::getpid());
}

} // namespace

QString DefaultTopicRoot() {
    return "undarix/" +
           QString::fromStdString(codec::TopicLevel(QSysInfo::machineHostName().toStdString()));
}

QString TopicRootProblem(const QString& root) {
    if (root.contains('+') || root.contains('#'))
        return "The topic root cannot hold the wildcards + and #.";
    if (root.startsWith('$'))
        return "The topic root cannot begin with $: the broker keeps those topics for itself.";
    // Brokers refuse a topic with a control character, and a topic past 65,535 bytes cannot
    // be sent: every message would wait in the queue for ever.
    for (const QChar c : root)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            return "The topic root cannot hold control characters.";
    if (root.toUtf8().size() > 65000) return "The topic root is too long (at most 65,000 bytes).";
    return {};
}

QString WindowQueuePath(const QString& folder) {
    return QDir(folder).filePath("undarix.mqtt-queue");
}

void StartNetworkOutput(const NetworkOutputSettings& settings, const QString& queuePath) {
    StopNetworkOutput();
    NetworkOutputState& state = State();
    state.root =
        (settings.topicRoot.isEmpty() ? DefaultTopicRoot() : settings.topicRoot).toStdString();
    while (state.root.size() > 1 && state.root.back() == '/')
        state.root.pop_back();
    link::MqttSettings mqtt;
    mqtt.host = settings.host.toStdString();
    mqtt.port = settings.port;
    mqtt.tls = settings.tls;
    mqtt.caFile = settings.caFile.toStdString();
    mqtt.certFile = settings.certFile.toStdString();
    mqtt.keyFile = settings.keyFile.toStdString();
    mqtt.user = settings.user.toStdString();
    mqtt.password = settings.password.toStdString();
    state.password = mqtt.password;
    mqtt.clientId = ClientId();
    mqtt.statusTopic = codec::StatusTopic(state.root);
    mqtt.lossTopic = codec::LossTopic(state.root);
    std::tie(mqtt.onlinePayload, mqtt.offlinePayload) = StatusPayloads();
    mqtt.queueFolder = queuePath.toStdString();
    mqtt.queueBound = settings.queueBound;
    state.statusKind = Program.UnitType;
    state.statusPort = Program.OpenComPortNum;
    state.publisher = std::make_unique<link::MqttPublisher>();
    state.publisher->Start(mqtt, [](const link::MqttStatus& status) {
        if (State().sink) State().sink(status);
    });
    state.gatherTimer = std::make_unique<QTimer>();
    state.gatherTimer->setInterval(int(kGatherAtMostMs / 4));
    QObject::connect(state.gatherTimer.get(), &QTimer::timeout,
                     [] { SendGatheredOlderThan(kGatherAtMostMs); });
    state.gatherTimer->start();
    Program.NetworkOutputOn = 1;
}

void StopNetworkOutput() {
    NetworkOutputState& state = State();
    Program.NetworkOutputOn = 0;
    if (!state.publisher) return;
    state.gatherTimer.reset();
    SendGatheredOlderThan(0);
    state.publisher->Stop();
    state.publisher.reset();
    if (state.sink) state.sink(link::MqttStatus{});
}

bool NetworkOutputRunning() {
    return State().publisher != nullptr;
}

link::MqttStatus NetworkOutputStatus() {
    return State().publisher ? State().publisher->Status() : link::MqttStatus{};
}

std::string NetworkOutputPassword() {
    return State().password;
}

QString NetworkOutputRoot() {
    return QString::fromStdString(State().root);
}

void SetNetworkStatusSink(std::function<void(const link::MqttStatus&)> sink) {
    State().sink = std::move(sink);
}

void PublishDataLine(int slot, const char* line, std::size_t length) {
    NetworkOutputState& state = State();
    if (!state.publisher || slot < 0 || slot >= live::kTableSlots || length == 0) return;
    RenewStatusIfChanged();
    const int device = live::OutputLine[slot].deviceNumber;
    state.publisher->Publish(codec::DeviceTopic(state.root, device, "line"),
                             std::string(line, length));
    PublishSamples(slot, line, length);
}

void PublishSeaState(int device, std::string_view json) {
    NetworkOutputState& state = State();
    if (!state.publisher) return;
    RenewStatusIfChanged();
    state.publisher->Publish(codec::DeviceTopic(state.root, device, "seastate"), std::string(json),
                             true);
}

void PublishUnitSettings(int device, std::string_view json) {
    NetworkOutputState& state = State();
    if (!state.publisher) return;
    RenewStatusIfChanged();
    state.publisher->Publish(codec::DeviceTopic(state.root, device, "config"), json,
                             {.jsonObject = true, .retain = true});
}

} // namespace undarix::files
