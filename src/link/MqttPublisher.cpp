#include "link/MqttPublisher.h"

#include "link/codec/LossNotice.h"

#include <QObject>

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace undarix::link {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Messages handed to the library and not yet acknowledged; the broker's receive maximum
// limits what is on the wire, the library holds the rest.
constexpr std::size_t kSendWindow = 500;
// Held in memory while the queue folder cannot be used: beyond this the newest are lost.
constexpr std::size_t kHeldLimit = 20'000;
// The queue is forced to the disk this often when written, as the data files are.
constexpr auto kQueueSyncInterval = seconds(5);
constexpr auto kConnectTimeout = seconds(15);
constexpr auto kHousekeeping = milliseconds(500);
constexpr auto kStopGrace = seconds(1);
// While everything is sent, the least time between two rounds of the network thread, and
// the most messages awaiting their acknowledgement for which it waits that long: one round
// reads only a few acknowledgements, so a larger backlog of them is read at once.
constexpr auto kLivePace = milliseconds(100);
constexpr std::uint64_t kPacedInFlight = 100;
constexpr auto kStopJoinLimit = seconds(5);
constexpr int kQos = 1;

std::string Digits(std::uint64_t value) {
    char text[24];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end);
}

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

struct HeldMessage {
    std::string topic;
    std::string payload;
    bool jsonObject = false;
    bool retain = false;
};

const char* CauseText(LossCause cause) {
    switch (cause) {
    case LossCause::Bound: return "queue full";
    case LossCause::Damaged: return "damaged on disk";
    case LossCause::TooLarge: return "too large";
    case LossCause::Disk: return "not stored";
    }
    return "";
}

// A lost message the consumers are still to be told of.
struct PendingNotice {
    std::string cause;
    std::uint64_t count = 0, first = 0, last = 0, after = 0;
    std::string reason;
};

} // namespace

int ReconnectDelaySeconds(int failures) {
    if (failures <= 0) return 1;
    return failures >= 4 ? 10 : std::min(10, 1 << failures);
}

bool IsTemporaryRefusal(int reasonCode) {
    return reasonCode == MQTT_RC_SERVER_BUSY || reasonCode == MQTT_RC_QUOTA_EXCEEDED ||
           reasonCode == MQTT_RC_PACKET_ID_IN_USE;
}

std::string DescribeStatus(const MqttStatus& status) {
    std::string text;
    switch (status.state) {
    case MqttState::Off: return "Network output off";
    case MqttState::Failed:
        text = "Network output waiting for its queue: " + status.error;
        if (status.retryInSeconds > 0)
            text += "; next try in " + Digits(std::uint64_t(status.retryInSeconds)) + " s";
        break;
    case MqttState::Connecting:
        text = "Connecting to " + status.broker;
        if (status.queued > 0) text += ", " + Digits(status.queued) + " messages queued";
        break;
    case MqttState::Connected:
        text = "Connected to " + status.broker;
        if (status.queued > kSendWindow)
            text += ", sending " + Digits(status.queued) + " queued messages";
        if (!status.error.empty()) text += "; " + status.error;
        break;
    case MqttState::Waiting:
        text = "Queueing " + Digits(status.queued) + " messages: " + status.error;
        if (status.retryInSeconds > 0)
            text += "; next try in " + Digits(std::uint64_t(status.retryInSeconds)) + " s";
        break;
    }
    if (status.dropped > 0)
        text += "; " + Digits(status.dropped) + " oldest messages dropped (queue full)";
    if (status.damaged > 0)
        text += "; " + Digits(status.damaged) + " queued messages were damaged on disk and dropped";
    if (status.tooLarge > 0)
        text += "; " + Digits(status.tooLarge) + " messages too large for the queue were dropped";
    if (status.unstored > 0)
        text += "; " + Digits(status.unstored) + " messages could not be stored (" +
                status.unstoredReason + ")";
    if (status.refused > 0)
        text += "; " + Digits(status.refused) + " messages refused by the broker (" +
                status.refusedReason + ")";
    return text;
}

// The network thread, and the queue it shares with the owner's thread: the owner stores
// (Store), the network thread reads, sends and acknowledges; both under the mutex, which is
// never held across a network wait.
class MqttPublisher::Worker {
public:
    Worker(MqttSettings settings, QObject* context, StatusHandler onStatus)
        : settings_(std::move(settings)), context_(context), onStatus_(std::move(onStatus)) {
        wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        status_.broker = settings_.host + ":" + Digits(std::uint64_t(settings_.port));
    }
    ~Worker() {
        if (wakeFd_ >= 0) ::close(wakeFd_);
    }

    // On the owner's thread, before the network thread runs: the first message is stored.
    void OpenQueue() {
        std::lock_guard lock(mutex_);
        OpenQueueLocked();
    }
    void Run();

    void Store(std::string_view topic, std::string_view payload, Options options) {
        bool wake = false;
        {
            std::lock_guard lock(mutex_);
            if (queueClosed_) return;
            if (!queue_.IsOpen()) {
                if (held_.size() >= kHeldLimit) {
                    AddUnstored(1, status_.error);
                } else {
                    held_.push_back({std::string(topic), std::string(payload), options.jsonObject,
                                     options.retain});
                }
                return;
            }
            wake = queue_.Unsent() == 0;
            const MessageQueue::NewMessage message{topic, payload, options.retain,
                                                  options.jsonObject};
            (void)queue_.Append(std::span(&message, 1));
            TellLossesLocked();
        }
        if (wake) Wake();
    }
    void SetStatusPayloads(std::string online, std::string offline) {
        {
            std::lock_guard lock(mutex_);
            settings_.onlinePayload = std::move(online);
            settings_.offlinePayload = std::move(offline);
            statusPayloadsChanged_ = true;
        }
        Wake();
    }
    void RequestStop() {
        stopping_ = true;
        Wake();
    }
    // No status goes back to the owner any more (it is going away), and the queue is closed
    // here if the network thread has not done so: a thread stuck in a name lookup never
    // touches it again, and a new publisher can open it at once.
    void Detach() {
        std::lock_guard lock(mutex_);
        context_ = nullptr;
        onStatus_ = {};
        queueClosed_ = true;
        StoreHeldLocked();
        queue_.Close();
    }
    // True once Run has returned, within `limit`.
    bool WaitFinished(Clock::duration limit) {
        std::unique_lock lock(mutex_);
        return finishedCondition_.wait_for(lock, limit, [this] { return finished_; });
    }
    [[nodiscard]] MqttStatus Status() const {
        std::lock_guard lock(mutex_);
        MqttStatus status = status_;
        status.queued = queue_.Pending() + held_.size();
        return status;
    }

private:
    static void OnConnect(mosquitto*, void* self, int reason, int, const mosquitto_property*) {
        static_cast<Worker*>(self)->Connected(reason);
    }
    static void OnDisconnect(mosquitto*, void* self, int reason, const mosquitto_property*) {
        static_cast<Worker*>(self)->Disconnected(reason);
    }
    static void OnPublish(mosquitto*, void* self, int mid, int reason, const mosquitto_property*) {
        static_cast<Worker*>(self)->Acknowledged(mid, reason);
    }
    static void OnLog(mosquitto*, void* self, int level, const char* text) {
        if (level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING))
            static_cast<Worker*>(self)->libraryError_ = text;
    }

    void Wake() {
        const std::uint64_t one = 1;
        if (wakeFd_ >= 0) (void)!::write(wakeFd_, &one, sizeof one);
    }

    void OpenQueueLocked();
    void StoreHeldLocked();
    void TellLossesLocked();
    void AddUnstored(std::uint64_t count, const std::string& reason);
    void SyncQueue();
    void StartConnecting();
    void Connected(int reason);
    void Disconnected(int reason);
    void Acknowledged(int mid, int reason);
    void Fail(std::string text);
    void TearDown();
    void WaitForWork(Clock::duration limit);
    void Pace(Clock::duration limit);
    void Service();
    void SendWindow();
    void PublishStatusMessage(bool online);
    void Report(bool now);
    void Finish();
    [[nodiscard]] std::string LibraryErrorText(int rc) const;
    [[nodiscard]] std::uint64_t Unsent() {
        std::lock_guard lock(mutex_);
        return queue_.Unsent();
    }
    [[nodiscard]] std::uint64_t InFlight() {
        std::lock_guard lock(mutex_);
        return queue_.InFlight();
    }
    void RewindUnsent() {
        std::lock_guard lock(mutex_);
        queue_.RewindUnsent();
    }

    MqttSettings settings_;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};

    // Under the mutex: the queue and what goes with it, the status, the owner's handler.
    mutable std::mutex mutex_;
    MessageQueue queue_;
    bool queueClosed_ = false; // for good: the publisher stopped
    std::vector<HeldMessage> held_;
    std::vector<PendingNotice> notices_;
    Clock::time_point nextQueueAttempt_;
    QObject* context_;
    StatusHandler onStatus_;
    bool statusPayloadsChanged_ = false;
    MqttStatus status_;
    bool finished_ = false;
    std::condition_variable finishedCondition_;

    // Only the network thread touches what follows.
    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    bool broken_ = false;
    std::string problem_;
    std::string libraryError_;
    int failures_ = 0;
    // A message the broker asked to be sent again later: sending waits until then.
    int busyRefusals_ = 0;
    bool holdSending_ = false;
    Clock::time_point resendAt_;
    Clock::time_point attemptStarted_;
    Clock::time_point nextAttempt_;
    Clock::time_point lastHousekeeping_;
    Clock::time_point lastSync_;
    Clock::time_point lastRound_;
    std::unordered_map<int, std::uint64_t> sequenceOfMid_;
    std::string topic_; // the topic as a C string for the library
    std::string payload_;
    MqttStatus reported_;
};

void MqttPublisher::Worker::OpenQueueLocked() {
    std::string problem = queue_.Open(settings_.queueFolder, settings_.queueBound);
    if (!problem.empty()) {
        status_.state = MqttState::Failed;
        status_.error = problem + "; messages are held in memory";
        nextQueueAttempt_ = Clock::now() + seconds(kQueueRetrySeconds);
        return;
    }
    if (status_.state == MqttState::Failed) {
        status_.state = MqttState::Off;
        status_.error.clear();
    }
    StoreHeldLocked();
    TellLossesLocked();
}

void MqttPublisher::Worker::StoreHeldLocked() {
    if (held_.empty() || !queue_.IsOpen()) return;
    std::vector<MessageQueue::NewMessage> messages;
    messages.reserve(held_.size());
    for (const HeldMessage& message : held_)
        messages.push_back({message.topic, message.payload, message.retain, message.jsonObject});
    (void)queue_.Append(messages);
    held_.clear();
    TellLossesLocked();
}

void MqttPublisher::Worker::AddUnstored(std::uint64_t count, const std::string& reason) {
    status_.unstored += count;
    status_.unstoredReason = reason;
    notices_.push_back({CauseText(LossCause::Disk), count, 0, 0, queue_.NextSequence() - 1,
                        reason});
}

// Every loss is counted under its cause, and a notice for it is stored for the consumers
// (kept until it can be stored: a full disk takes the notice too).
void MqttPublisher::Worker::TellLossesLocked() {
    const auto tell = [this](const QueueLoss& loss, bool data) {
        if (data) switch (loss.cause) {
            case LossCause::Bound: status_.dropped += loss.count; break;
            case LossCause::Damaged: status_.damaged += loss.count; break;
            case LossCause::TooLarge: status_.tooLarge += loss.count; break;
            case LossCause::Disk:
                status_.unstored += loss.count;
                status_.unstoredReason = loss.reason;
                break;
            }
        if (settings_.lossTopic.empty()) return;
        if (!notices_.empty()) {
            // Losses that follow on, of one cause, are told in one notice; so are all past
            // a bound while no notice can be stored.
            PendingNotice& last = notices_.back();
            const bool followsOn = loss.first != 0 && last.first != 0 &&
                                   loss.first == last.last + 1 && last.cause == CauseText(loss.cause) &&
                                   last.reason == loss.reason;
            if (followsOn || notices_.size() >= 64) {
                last.count += loss.count;
                last.last = std::max(last.last, loss.last);
                return;
            }
        }
        notices_.push_back({CauseText(loss.cause), loss.count, loss.first, loss.last, loss.after,
                            loss.reason});
    };
    for (const QueueLoss& loss : queue_.TakeLosses())
        tell(loss, true);
    if (settings_.lossTopic.empty() || notices_.empty() || !queue_.IsOpen()) return;
    std::size_t stored = 0;
    for (const PendingNotice& notice : notices_) {
        const std::string json = codec::LossNoticeJson(
            {notice.cause, notice.count, notice.first, notice.last, notice.after, notice.reason});
        const MessageQueue::NewMessage message{settings_.lossTopic, json, true, true};
        if (queue_.Append(std::span(&message, 1)) != 1) break;
        ++stored;
    }
    notices_.erase(notices_.begin(), notices_.begin() + std::ptrdiff_t(stored));
    // Storing the notices may have dropped the oldest messages; a notice that could not be
    // stored left a gap of its own: both are told next time.
    for (const QueueLoss& loss : queue_.TakeLosses())
        tell(loss, loss.cause == LossCause::Bound || loss.cause == LossCause::Damaged);
}

// The queue's files written since the last time are forced to the disk, away from the mutex:
// storing does not wait for the disk's flush.
void MqttPublisher::Worker::SyncQueue() {
    std::vector<int> files;
    {
        std::lock_guard lock(mutex_);
        files = queue_.FilesToSync();
    }
    for (const int fd : files) {
        (void)::fdatasync(fd);
        ::close(fd);
    }
}

void MqttPublisher::Worker::Run() {
    InitLibraryOnce();
    Report(true);
    nextAttempt_ = Clock::now();
    lastSync_ = Clock::now();
    while (!stopping_) {
        bool queueOpen = false;
        {
            std::lock_guard lock(mutex_);
            if (!queue_.IsOpen() && !queueClosed_ && Clock::now() >= nextQueueAttempt_)
                OpenQueueLocked();
            queueOpen = queue_.IsOpen();
            if (!queueOpen)
                status_.retryInSeconds = int(std::max<std::int64_t>(
                    0, std::chrono::duration_cast<seconds>(nextQueueAttempt_ - Clock::now())
                               .count() + 1));
        }
        if (!queueOpen) {
            Report(false);
            WaitForWork(seconds(1));
            continue;
        }
        bool statusChanged = false;
        {
            std::lock_guard lock(mutex_);
            std::swap(statusChanged, statusPayloadsChanged_);
        }
        if (statusChanged && connected_) PublishStatusMessage(true);
        if (!mosq_ && Clock::now() >= nextAttempt_) StartConnecting();
        if (holdSending_ && Clock::now() >= resendAt_ && sequenceOfMid_.empty()) {
            // The broker asked for a pause: what it has not taken goes again, in order.
            holdSending_ = false;
            RewindUnsent();
        }
        SendWindow();
        Clock::duration limit = kHousekeeping;
        if (!mosq_) limit = std::clamp<Clock::duration>(nextAttempt_ - Clock::now(), {}, limit);
        if (connected_ && (Unsent() == 0 || holdSending_))
            Pace(limit);
        else
            WaitForWork(limit);
        Service();
        if (mosq_ && !connected_ && Clock::now() - attemptStarted_ > kConnectTimeout)
            Fail("no answer from the broker " + status_.broker);
        if (broken_) TearDown();
        if (Clock::now() - lastHousekeeping_ >= kHousekeeping) {
            lastHousekeeping_ = Clock::now();
            {
                std::lock_guard lock(mutex_);
                queue_.SaveHead();
                TellLossesLocked();
            }
            if (Clock::now() - lastSync_ >= kQueueSyncInterval) {
                lastSync_ = Clock::now();
                SyncQueue();
            }
            Report(false);
        }
    }
    Finish();
}

void MqttPublisher::Worker::StartConnecting() {
    attemptStarted_ = Clock::now();
    libraryError_.clear();
    mosq_ = mosquitto_new(settings_.clientId.empty() ? nullptr : settings_.clientId.c_str(), true,
                          this);
    if (!mosq_) {
        Fail("the MQTT library could not start a client");
        TearDown();
        return;
    }
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_connect_v5_callback_set(mosq_, OnConnect);
    mosquitto_disconnect_v5_callback_set(mosq_, OnDisconnect);
    mosquitto_publish_v5_callback_set(mosq_, OnPublish);
    mosquitto_log_callback_set(mosq_, OnLog);

    int rc = MOSQ_ERR_SUCCESS;
    if (settings_.tls) {
        // The library says only "invalid arguments" of a file it cannot read.
        for (const std::string* file : {&settings_.caFile, &settings_.certFile, &settings_.keyFile})
            if (!file->empty() && ::access(file->c_str(), R_OK) != 0) {
                Fail("cannot use the TLS file " + *file + ": " + std::strerror(errno));
                TearDown();
                return;
            }
        const char* cert = settings_.certFile.empty() ? nullptr : settings_.certFile.c_str();
        const char* key = settings_.keyFile.empty() ? nullptr : settings_.keyFile.c_str();
        rc = mosquitto_tls_set(mosq_, settings_.caFile.c_str(), nullptr, cert, key, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            Fail("cannot use the TLS files (CA " + settings_.caFile +
                 (cert ? ", certificate " + settings_.certFile : std::string()) +
                 (key ? ", key " + settings_.keyFile : std::string()) +
                 "): " + LibraryErrorText(rc));
            TearDown();
            return;
        }
        // Verified, always: there is no fall-back to an unchecked connection.
        mosquitto_tls_opts_set(mosq_, 1, nullptr, nullptr);
        mosquitto_tls_insecure_set(mosq_, false);
    }
    if (!settings_.user.empty())
        mosquitto_username_pw_set(mosq_, settings_.user.c_str(),
                                  settings_.password.empty() ? nullptr
                                                             : settings_.password.c_str());
    if (!settings_.statusTopic.empty()) {
        std::string offline;
        {
            std::lock_guard lock(mutex_);
            offline = settings_.offlinePayload;
        }
        mosquitto_will_set_v5(mosq_, settings_.statusTopic.c_str(), int(offline.size()),
                              offline.data(), kQos, true, nullptr);
    }
    {
        std::lock_guard lock(mutex_);
        status_.state = MqttState::Connecting;
    }
    Report(true);
    // The name lookup happens here and may take long; nothing waits for it but this thread.
    rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port,
                                 settings_.keepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        Fail(rc == MOSQ_ERR_EAI
                 ? "the broker host '" + settings_.host + "' cannot be found"
                 : "cannot connect to " + status_.broker + ": " + LibraryErrorText(rc));
        TearDown();
    }
}

std::string MqttPublisher::Worker::LibraryErrorText(int rc) const {
    std::string text = rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc);
    if (rc == MOSQ_ERR_TLS && !libraryError_.empty()) text += " (" + libraryError_ + ")";
    if (libraryError_.find("certificate verify failed") != std::string::npos)
        text += ": the broker's certificate is not signed by the CA in " + settings_.caFile +
                ", or not made for the host name '" + settings_.host + "'";
    return text;
}

void MqttPublisher::Worker::Connected(int reason) {
    if (reason != 0) {
        std::string text = mosquitto_reason_string(reason);
        if (reason == MQTT_RC_BAD_USERNAME_OR_PASSWORD || reason == MQTT_RC_NOT_AUTHORIZED)
            text = "the broker refused the user name or password (" + text + ")";
        else
            text = "the broker refused the connection (" + text + ")";
        Fail(text);
        return;
    }
    connected_ = true;
    failures_ = 0;
    busyRefusals_ = 0;
    holdSending_ = false;
    problem_.clear();
    RewindUnsent();
    sequenceOfMid_.clear();
    PublishStatusMessage(true);
    {
        std::lock_guard lock(mutex_);
        status_.state = MqttState::Connected;
        status_.error.clear();
    }
    Report(true);
}

void MqttPublisher::Worker::Disconnected(int reason) {
    if (reason == 0 && stopping_) return;
    std::string why = libraryError_;
    if (why.empty() && reason > 0 && reason != MOSQ_ERR_CONN_LOST && reason < 0x80)
        why = mosquitto_strerror(reason);
    if (why.empty() && reason >= 0x80) why = mosquitto_reason_string(reason);
    if (!connected_ && why.empty() && !settings_.tls)
        why = "the broker closed the connection before answering (does this port want TLS?)";
    Fail(connected_ ? "the connection to " + status_.broker + " was lost" +
                          (why.empty() ? std::string() : " (" + why + ")")
                    : "cannot connect to " + status_.broker + (why.empty() ? "" : ": " + why));
}

void MqttPublisher::Worker::Acknowledged(int mid, int reason) {
    const auto found = sequenceOfMid_.find(mid);
    if (found == sequenceOfMid_.end()) return; // the status message
    const std::uint64_t sequence = found->second;
    sequenceOfMid_.erase(found);
    std::lock_guard lock(mutex_);
    if (IsTemporaryRefusal(reason)) {
        // Asked to wait: the message stays, and goes again after the back-off.
        const int delay = ReconnectDelaySeconds(busyRefusals_++);
        holdSending_ = true;
        resendAt_ = Clock::now() + seconds(delay);
        problem_ = std::string("the broker asked to wait (") + mosquitto_reason_string(reason) +
                   "); sending again in " + Digits(std::uint64_t(delay)) + " s";
        return;
    }
    if (reason >= 0x80) {
        // Sending it again would be refused again: it is counted and let go, and told.
        const std::string why = mosquitto_reason_string(reason);
        ++status_.refused;
        status_.refusedReason = why + ", reason code " + Digits(std::uint64_t(reason));
        problem_ = "the broker refused a message (" + why + ")";
        if (!settings_.lossTopic.empty())
            notices_.push_back({"refused by the broker", 1, sequence, sequence, 0,
                                status_.refusedReason});
    } else {
        ++status_.published;
        busyRefusals_ = 0;
        if (!holdSending_ && problem_.rfind("the broker asked to wait", 0) == 0) problem_.clear();
    }
    queue_.Acknowledge(sequence);
}

void MqttPublisher::Worker::Fail(std::string text) {
    if (broken_) return;
    broken_ = true;
    std::lock_guard lock(mutex_);
    status_.error = std::move(text);
}

void MqttPublisher::Worker::TearDown() {
    if (mosq_) {
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
    }
    connected_ = false;
    broken_ = false;
    holdSending_ = false;
    RewindUnsent();
    sequenceOfMid_.clear();
    const int delay = ReconnectDelaySeconds(failures_++);
    nextAttempt_ = Clock::now() + seconds(delay);
    {
        std::lock_guard lock(mutex_);
        status_.state = MqttState::Waiting;
        status_.retryInSeconds = delay;
    }
    Report(true);
}

void MqttPublisher::Worker::WaitForWork(Clock::duration limit) {
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
    nfds_t count = 1;
    if (mosq_ && mosquitto_socket(mosq_) >= 0) {
        fds[1].fd = mosquitto_socket(mosq_);
        fds[1].events = short(POLLIN | (mosquitto_want_write(mosq_) ? POLLOUT : 0));
        count = 2;
    }
    const int timeout = int(std::chrono::duration_cast<milliseconds>(limit).count());
    if (::poll(fds, count, std::max(timeout, 0)) > 0 && (fds[0].revents & POLLIN)) {
        std::uint64_t wakes = 0;
        (void)!::read(wakeFd_, &wakes, sizeof wakes);
    }
}

// While everything is sent, a round follows the last one no sooner than kLivePace: what
// arrives meanwhile (messages, acknowledgements) is then handled together, which costs far
// less than waking for each. With nothing to do the thread sleeps in poll.
void MqttPublisher::Worker::Pace(Clock::duration limit) {
    WaitForWork(limit);
    if (!stopping_ && InFlight() <= kPacedInFlight)
        std::this_thread::sleep_until(lastRound_ + kLivePace);
    lastRound_ = Clock::now();
}

void MqttPublisher::Worker::Service() {
    if (!mosq_ || broken_) return;
    const int rc = mosquitto_loop(mosq_, 0, 1);
    if (rc == MOSQ_ERR_SUCCESS || broken_) return;
    if (rc == MOSQ_ERR_NO_CONN && !connected_ && Clock::now() - attemptStarted_ < kConnectTimeout)
        return;
    if (rc == MOSQ_ERR_TLS)
        Fail("the TLS connection to " + status_.broker + " failed: " + LibraryErrorText(rc));
    else if (connected_)
        Fail("the connection to " + status_.broker + " was lost (" + LibraryErrorText(rc) + ")");
    else
        Fail("cannot connect to " + status_.broker + ": " + LibraryErrorText(rc));
}

// Holds the socket's output while several messages are written, so that they leave in
// one segment rather than one each.
class Cork {
public:
    explicit Cork(int socket) : socket_(socket) { Set(1); }
    ~Cork() { Set(0); }
    Cork(const Cork&) = delete;
    Cork& operator=(const Cork&) = delete;

private:
    void Set(int on) {
        if (socket_ >= 0) (void)::setsockopt(socket_, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
    }
    int socket_;
};

void MqttPublisher::Worker::SendWindow() {
    if (!connected_ || broken_ || holdSending_) return;
    const std::uint64_t unsent = Unsent();
    if (unsent == 0) return;
    const Cork cork(unsent > 1 ? mosquitto_socket(mosq_) : -1);
    while (true) {
        std::uint64_t sequence = 0;
        bool retain = false;
        {
            // The message is copied out, so that storing never waits for the socket.
            std::lock_guard lock(mutex_);
            if (queue_.InFlight() >= kSendWindow) break;
            const std::optional<codec::QueuedMessage> message = queue_.NextUnsent();
            if (!message) break;
            topic_.assign(message->topic);
            payload_.assign(message->payload);
            sequence = message->sequence;
            retain = message->retain;
        }
        const std::string digits = Digits(sequence);
        mosquitto_property* properties = nullptr;
        mosquitto_property_add_string_pair(&properties, MQTT_PROP_USER_PROPERTY, "seq",
                                           digits.c_str());
        int mid = 0;
        const int rc = mosquitto_publish_v5(mosq_, &mid, topic_.c_str(), int(payload_.size()),
                                            payload_.data(), kQos, retain, properties);
        mosquitto_property_free_all(&properties);
        if (rc != MOSQ_ERR_SUCCESS) {
            Fail("cannot send to " + status_.broker + ": " + LibraryErrorText(rc));
            return;
        }
        sequenceOfMid_[mid] = sequence;
    }
}

void MqttPublisher::Worker::PublishStatusMessage(bool online) {
    if (settings_.statusTopic.empty() || !mosq_) return;
    std::string payload;
    {
        std::lock_guard lock(mutex_);
        payload = online ? settings_.onlinePayload : settings_.offlinePayload;
    }
    mosquitto_publish_v5(mosq_, nullptr, settings_.statusTopic.c_str(), int(payload.size()),
                         payload.data(), kQos, true, nullptr);
}

void MqttPublisher::Worker::Report(bool now) {
    MqttStatus status;
    {
        std::lock_guard lock(mutex_);
        status_.queued = queue_.Pending() + held_.size();
        if (status_.state == MqttState::Connected) status_.error = problem_;
        if (status_.state == MqttState::Waiting)
            status_.retryInSeconds = int(std::max<std::int64_t>(
                0, std::chrono::duration_cast<seconds>(nextAttempt_ - Clock::now()).count() + 1));
        status = status_;
    }
    const bool changed =
        status.state != reported_.state || status.error != reported_.error ||
        status.dropped != reported_.dropped || status.damaged != reported_.damaged ||
        status.tooLarge != reported_.tooLarge || status.unstored != reported_.unstored ||
        status.refused != reported_.refused || status.queued != reported_.queued ||
        status.retryInSeconds != reported_.retryInSeconds;
    if (!changed && !now) return;
    reported_ = status;
    std::lock_guard lock(mutex_);
    if (!onStatus_ || !context_) return;
    QMetaObject::invokeMethod(
        context_, [handler = onStatus_, status] { handler(status); }, Qt::QueuedConnection);
}

void MqttPublisher::Worker::Finish() {
    if (connected_ && !broken_) {
        // What is stored gets a moment to be sent and acknowledged; the rest waits in the
        // queue for the next start. The status says "offline" last.
        const Clock::time_point until = Clock::now() + kStopGrace;
        while ((Unsent() > 0 || InFlight() > 0) && !broken_ && Clock::now() < until) {
            SendWindow();
            WaitForWork(milliseconds(20));
            Service();
        }
        PublishStatusMessage(false);
        mosquitto_disconnect_v5(mosq_, MQTT_RC_NORMAL_DISCONNECTION, nullptr);
        mosquitto_loop(mosq_, 0, 1);
    }
    if (mosq_) mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    connected_ = false;
    SyncQueue();
    {
        std::lock_guard lock(mutex_);
        queueClosed_ = true;
        StoreHeldLocked();
        queue_.Close();
        status_.state = MqttState::Off;
        finished_ = true;
    }
    finishedCondition_.notify_all();
}

MqttPublisher::MqttPublisher() : context_(std::make_unique<QObject>()) {}

MqttPublisher::~MqttPublisher() {
    Stop();
}

void MqttPublisher::Start(const MqttSettings& settings, StatusHandler onStatus) {
    Stop();
    worker_ = std::make_shared<Worker>(settings, context_.get(), std::move(onStatus));
    worker_->OpenQueue();
    // The thread keeps the worker alive, should it outlive the publisher (see Stop).
    std::thread([worker = worker_] { worker->Run(); }).detach();
}

void MqttPublisher::Stop() {
    if (!worker_) return;
    worker_->RequestStop();
    // A name lookup of the library cannot be cut short; the program does not wait for it
    // beyond this. The thread then ends on its own; the queue is closed here (Detach).
    (void)worker_->WaitFinished(kStopJoinLimit);
    worker_->Detach();
    worker_.reset();
}

bool MqttPublisher::Running() const {
    return worker_ != nullptr;
}

void MqttPublisher::Publish(std::string_view topic, std::string_view payload, Options options) {
    if (worker_) worker_->Store(topic, payload, options);
}

void MqttPublisher::SetStatusPayloads(std::string online, std::string offline) {
    if (worker_) worker_->SetStatusPayloads(std::move(online), std::move(offline));
}

MqttStatus MqttPublisher::Status() const {
    return worker_ ? worker_->Status() : MqttStatus{};
}

} // namespace undarix::link
