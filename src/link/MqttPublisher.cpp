#include "link/MqttPublisher.h"

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
// Handed over but not yet stored: beyond this (the disk is gone) the newest are counted lost.
constexpr std::size_t kHandoffLimit = 20'000;
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

struct Handoff {
    std::string topic;
    std::string payload;
    bool jsonObject = false;
    bool retain = false;
};

} // namespace

int ReconnectDelaySeconds(int failures) {
    if (failures <= 0) return 1;
    return failures >= 4 ? 10 : std::min(10, 1 << failures);
}

std::string DescribeStatus(const MqttStatus& status) {
    std::string text;
    switch (status.state) {
    case MqttState::Off: return "Network output off";
    case MqttState::Failed: return "Network output stopped: " + status.error;
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
    return text;
}

// The network thread. Owns the queue and the library's connection; the owner's thread only
// appends to the hand-over list and reads the status, both under the mutex.
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

    void Run();

    void Hand(Handoff message) {
        bool wake = false;
        {
            std::lock_guard lock(mutex_);
            if (handoff_.size() >= kHandoffLimit) {
                ++lostInHandoff_;
                return;
            }
            wake = handoff_.empty();
            handoff_.push_back(std::move(message));
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
    // No status goes back to the owner any more (it is going away).
    void Detach() {
        std::lock_guard lock(mutex_);
        context_ = nullptr;
        onStatus_ = {};
    }
    // True once Run has returned, within `limit`.
    bool WaitFinished(Clock::duration limit) {
        std::unique_lock lock(mutex_);
        return finishedCondition_.wait_for(lock, limit, [this] { return finished_; });
    }
    [[nodiscard]] MqttStatus Status() const {
        std::lock_guard lock(mutex_);
        return status_;
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

    void StoreHandedMessages();
    void DiscardHandedMessages();
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

    MqttSettings settings_;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};

    mutable std::mutex mutex_;
    QObject* context_;
    StatusHandler onStatus_;
    std::vector<Handoff> handoff_;
    std::uint64_t lostInHandoff_ = 0;
    bool statusPayloadsChanged_ = false;
    MqttStatus status_;
    bool finished_ = false;
    std::condition_variable finishedCondition_;

    // Only the network thread touches what follows.
    MessageQueue queue_;
    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    bool broken_ = false;
    std::string problem_;
    std::string libraryError_;
    int failures_ = 0;
    Clock::time_point attemptStarted_;
    Clock::time_point nextAttempt_;
    Clock::time_point lastHousekeeping_;
    Clock::time_point lastRound_;
    std::unordered_map<int, std::uint64_t> sequenceOfMid_;
    std::uint64_t refused_ = 0;
    std::uint64_t published_ = 0;
    std::uint64_t lost_ = 0;
    std::string topic_; // the topic as a C string for the library
    MqttStatus reported_;
};

void MqttPublisher::Worker::Run() {
    InitLibraryOnce();
    if (std::string problem = queue_.Open(settings_.queueFolder, settings_.queueBound);
        !problem.empty()) {
        {
            std::lock_guard lock(mutex_);
            status_.state = MqttState::Failed;
            status_.error = problem;
        }
        Report(true);
        while (!stopping_) {
            WaitForWork(seconds(1));
            DiscardHandedMessages();
        }
        Finish();
        return;
    }
    nextAttempt_ = Clock::now();
    while (!stopping_) {
        StoreHandedMessages();
        if (!mosq_ && Clock::now() >= nextAttempt_) StartConnecting();
        SendWindow();
        Clock::duration limit = kHousekeeping;
        if (!mosq_) limit = std::clamp<Clock::duration>(nextAttempt_ - Clock::now(), {}, limit);
        if (connected_ && queue_.Unsent() == 0)
            Pace(limit);
        else
            WaitForWork(limit);
        Service();
        if (mosq_ && !connected_ && Clock::now() - attemptStarted_ > kConnectTimeout)
            Fail("no answer from the broker " + status_.broker);
        if (broken_) TearDown();
        if (Clock::now() - lastHousekeeping_ >= kHousekeeping) {
            lastHousekeeping_ = Clock::now();
            queue_.SaveHead();
            Report(false);
        }
    }
    Finish();
}

void MqttPublisher::Worker::StoreHandedMessages() {
    std::vector<Handoff> batch;
    std::uint64_t lostInHandoff = 0;
    bool statusChanged = false;
    {
        std::lock_guard lock(mutex_);
        batch.swap(handoff_);
        std::swap(lostInHandoff, lostInHandoff_);
        std::swap(statusChanged, statusPayloadsChanged_);
    }
    lost_ += lostInHandoff;
    std::vector<MessageQueue::NewMessage> messages;
    messages.reserve(batch.size());
    for (const Handoff& message : batch)
        messages.push_back({message.topic, message.payload, message.retain, message.jsonObject});
    const std::size_t stored = queue_.Append(messages);
    if (stored < messages.size()) {
        lost_ += messages.size() - stored;
        problem_ = queue_.WriteError();
    }
    if (statusChanged && connected_) PublishStatusMessage(true);
}

// Without a queue nothing can be kept: what comes is counted as lost.
void MqttPublisher::Worker::DiscardHandedMessages() {
    std::lock_guard lock(mutex_);
    lost_ += handoff_.size() + lostInHandoff_;
    lostInHandoff_ = 0;
    handoff_.clear();
    status_.dropped = lost_;
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
    problem_.clear();
    queue_.RewindUnsent();
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
    Fail(connected_ ? "the connection to " + status_.broker + " was lost"
                    : "cannot connect to " + status_.broker +
                          (libraryError_.empty() ? std::string() : ": " + libraryError_));
}

void MqttPublisher::Worker::Acknowledged(int mid, int reason) {
    const auto found = sequenceOfMid_.find(mid);
    if (found == sequenceOfMid_.end()) return; // the status message
    if (reason >= 0x80) {
        // Sending it again would be refused again: it is counted and let go.
        ++refused_;
        problem_ =
            std::string("the broker refused a message (") + mosquitto_reason_string(reason) + ")";
    } else {
        ++published_;
    }
    queue_.Acknowledge(found->second);
    sequenceOfMid_.erase(found);
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
    queue_.RewindUnsent();
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
    if (!stopping_ && queue_.InFlight() <= kPacedInFlight)
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
    if (!connected_ || broken_ || queue_.Unsent() == 0) return;
    const Cork cork(queue_.Unsent() > 1 ? mosquitto_socket(mosq_) : -1);
    while (queue_.InFlight() < kSendWindow) {
        const std::optional<codec::QueuedMessage> message = queue_.NextUnsent();
        if (!message) break;
        topic_.assign(message->topic);
        const std::string sequence = Digits(message->sequence);
        mosquitto_property* properties = nullptr;
        mosquitto_property_add_string_pair(&properties, MQTT_PROP_USER_PROPERTY, "seq",
                                           sequence.c_str());
        int mid = 0;
        const int rc =
            mosquitto_publish_v5(mosq_, &mid, topic_.c_str(), int(message->payload.size()),
                                 message->payload.data(), kQos, message->retain, properties);
        mosquitto_property_free_all(&properties);
        if (rc != MOSQ_ERR_SUCCESS) {
            Fail("cannot send to " + status_.broker + ": " + LibraryErrorText(rc));
            return;
        }
        sequenceOfMid_[mid] = message->sequence;
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
        status_.queued = queue_.Pending();
        status_.dropped = queue_.Dropped() + lost_;
        status_.refused = refused_;
        status_.published = published_;
        if (status_.state == MqttState::Connected) status_.error = problem_;
        if (status_.state == MqttState::Waiting)
            status_.retryInSeconds = int(std::max<std::int64_t>(
                0, std::chrono::duration_cast<seconds>(nextAttempt_ - Clock::now()).count() + 1));
        status = status_;
    }
    const bool changed = status.state != reported_.state || status.error != reported_.error ||
                         status.dropped != reported_.dropped || status.queued != reported_.queued ||
                         status.retryInSeconds != reported_.retryInSeconds;
    if (!changed && !now) return;
    reported_ = status;
    std::lock_guard lock(mutex_);
    if (!onStatus_ || !context_) return;
    QMetaObject::invokeMethod(
        context_, [handler = onStatus_, status] { handler(status); }, Qt::QueuedConnection);
}

void MqttPublisher::Worker::Finish() {
    StoreHandedMessages();
    if (connected_ && !broken_) {
        // What is stored gets a moment to be sent and acknowledged; the rest waits in the
        // queue for the next start. The status says "offline" last.
        const Clock::time_point until = Clock::now() + kStopGrace;
        while ((queue_.Unsent() > 0 || queue_.InFlight() > 0) && !broken_ && Clock::now() < until) {
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
    queue_.Close();
    {
        std::lock_guard lock(mutex_);
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
    // The thread keeps the worker alive, should it outlive the publisher (see Stop).
    std::thread([worker = worker_] { worker->Run(); }).detach();
}

void MqttPublisher::Stop() {
    if (!worker_) return;
    worker_->RequestStop();
    // A name lookup of the library cannot be cut short; the program does not wait for it
    // beyond this. The thread then ends on its own, the queue keeping what it stored.
    (void)worker_->WaitFinished(kStopJoinLimit);
    worker_->Detach();
    worker_.reset();
}

bool MqttPublisher::Running() const {
    return worker_ != nullptr;
}

void MqttPublisher::Publish(std::string topic, std::string payload, bool jsonObject,
                            bool retain) {
    if (worker_) worker_->Hand({std::move(topic), std::move(payload), jsonObject, retain});
}

void MqttPublisher::SetStatusPayloads(std::string online, std::string offline) {
    if (worker_) worker_->SetStatusPayloads(std::move(online), std::move(offline));
}

MqttStatus MqttPublisher::Status() const {
    return worker_ ? worker_->Status() : MqttStatus{};
}

} // namespace undarix::link
