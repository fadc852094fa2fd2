#include "support/Broker.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <QDir>
#include <QFile>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace undarix::testing {
namespace {

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

std::string Quoted(const QString& path) {
    return "'" + path.toStdString() + "'";
}

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

Broker::Broker(Options options) : options_(std::move(options)), port_(FreePort()) {}

Broker::~Broker() {
    Stop();
}

int Broker::FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

std::string Broker::Executable() {
    for (const char* candidate : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto",
                                  "/usr/local/sbin/mosquitto", "/usr/local/bin/mosquitto"})
        if (::access(candidate, X_OK) == 0) return candidate;
    return {};
}

std::string Broker::Folder() const {
    return dir_.path().toStdString();
}

std::string Broker::CaFile() const {
    return dir_.filePath("ca.crt").toStdString();
}

std::string Broker::OtherCaFile() const {
    return dir_.filePath("other-ca.crt").toStdString();
}

std::string Broker::MakeCertificates() {
    const QDir dir(dir_.path());
    const std::string key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    QFile san(dir.filePath("san.ext"));
    if (!san.open(QIODevice::WriteOnly) || san.write("subjectAltName=IP:127.0.0.1\n") < 0)
        return "cannot write the certificate extension";
    san.close();
    const bool made =
        Run("openssl req -x509 " + key + " -keyout " + Quoted(dir.filePath("ca.key")) + " -out " +
            Quoted(dir.filePath("ca.crt")) + " -days 2 -subj '/CN=Undarix test CA'") &&
        Run("openssl req -x509 " + key + " -keyout " + Quoted(dir.filePath("other-ca.key")) +
            " -out " + Quoted(dir.filePath("other-ca.crt")) +
            " -days 2 -subj '/CN=Undarix other CA'") &&
        Run("openssl req " + key + " -keyout " + Quoted(dir.filePath("server.key")) + " -out " +
            Quoted(dir.filePath("server.csr")) + " -subj '/CN=127.0.0.1'") &&
        Run("openssl x509 -req -in " + Quoted(dir.filePath("server.csr")) + " -CA " +
            Quoted(dir.filePath("ca.crt")) + " -CAkey " + Quoted(dir.filePath("ca.key")) +
            " -CAcreateserial -days 2 -extfile " + Quoted(dir.filePath("san.ext")) + " -out " +
            Quoted(dir.filePath("server.crt")));
    return made ? std::string() : "openssl could not make the test certificates";
}

std::string Broker::WriteConfiguration() {
    const QDir dir(dir_.path());
    std::string text = "listener " + std::to_string(port_) + " 127.0.0.1\n";
    text += "log_dest file " + dir.filePath("broker.log").toStdString() + "\n";
    text += "max_queued_messages 0\n";
    // Started by root, the broker would change to its own user, who cannot read this folder.
    if (::geteuid() == 0) text += "user root\n";
    if (options_.persistence)
        text += "persistence true\npersistence_location " + dir.path().toStdString() + "/\n";
    if (options_.user.empty()) {
        text += "allow_anonymous true\n";
    } else {
        const QString passwords = dir.filePath("passwords");
        if (!QFile::exists(passwords) && !Run("mosquitto_passwd -c -b " + Quoted(passwords) + " '" +
                                              options_.user + "' '" + options_.password + "'"))
            return "mosquitto_passwd could not write the password file";
        text += "allow_anonymous false\npassword_file " + passwords.toStdString() + "\n";
    }
    if (options_.tls) {
        if (!QFile::exists(dir.filePath("server.crt")))
            if (std::string problem = MakeCertificates(); !problem.empty()) return problem;
        text += "cafile " + dir.filePath("ca.crt").toStdString() + "\n";
        text += "certfile " + dir.filePath("server.crt").toStdString() + "\n";
        text += "keyfile " + dir.filePath("server.key").toStdString() + "\n";
    }
    QFile file(dir.filePath("mosquitto.conf"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), qint64(text.size())) < 0)
        return "cannot write the broker's configuration";
    return {};
}

std::string Broker::Start() {
    if (pid_ > 0) return {};
    const std::string executable = Executable();
    if (executable.empty()) return "the mosquitto broker is not installed";
    if (!dir_.isValid()) return "no temporary folder";
    if (std::string problem = WriteConfiguration(); !problem.empty()) return problem;
    const std::string config = dir_.filePath("mosquitto.conf").toStdString();
    std::vector<char*> argv{const_cast<char*>(executable.c_str()), const_cast<char*>("-c"),
                            const_cast<char*>(config.c_str()), nullptr};
    // Its own complaints (running as root) go to its log, not into the test's output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return "cannot start " + executable;
    pid_ = pid;
    for (int i = 0; i < 200; ++i) {
        if (Accepts(port_)) return {};
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            pid_ = -1;
            QFile log(dir_.filePath("broker.log"));
            (void)log.open(QIODevice::ReadOnly);
            return "the broker ended at once: " + log.readAll().toStdString();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    Stop();
    return "the broker does not take connections";
}

void Broker::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_t(pid_), SIGTERM);
    int status = 0;
    ::waitpid(pid_t(pid_), &status, 0);
    pid_ = -1;
}

// Subscriber.

namespace {

void OnMessage(mosquitto*, void* self, const mosquitto_message* message,
               const mosquitto_property* properties) {
    ReceivedMessage received;
    received.topic = message->topic;
    received.payload.assign(static_cast<const char*>(message->payload),
                            std::size_t(message->payloadlen));
    received.retained = message->retain;
    for (const mosquitto_property* p = properties; p; p = mosquitto_property_next(p)) {
        if (mosquitto_property_identifier(p) != MQTT_PROP_USER_PROPERTY) continue;
        char* name = nullptr;
        char* value = nullptr;
        if (mosquitto_property_read_string_pair(p, MQTT_PROP_USER_PROPERTY, &name, &value, false) &&
            std::string(name) == "seq")
            received.sequence = std::stoull(value);
        std::free(name);
        std::free(value);
    }
    static_cast<Subscriber*>(self)->Keep(std::move(received));
}

void OnConnect(mosquitto* mosq, void* filter, int reason, int, const mosquitto_property*) {
    if (reason == 0)
        mosquitto_subscribe_v5(mosq, nullptr, static_cast<std::string*>(filter)->c_str(), 1, 0,
                               nullptr);
}

} // namespace

Subscriber::Subscriber(int port, const std::string& filter, const std::string& clientId)
    : filter_(filter) {
    mosquitto_lib_init();
    mosq_ = mosquitto_new(clientId.c_str(), false, this);
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_user_data_set(mosq_, this);
    mosquitto_message_v5_callback_set(mosq_, OnMessage);
    mosquitto_connect_v5_callback_set(mosq_, [](mosquitto* mosq, void* self, int reason, int flags,
                                                const mosquitto_property* props) {
        auto* subscriber = static_cast<Subscriber*>(self);
        OnConnect(mosq, &subscriber->filter_, reason, flags, props);
    });
    mosquitto_subscribe_v5_callback_set(
        mosq_, [](mosquitto*, void* self, int, int, const int*, const mosquitto_property*) {
            static_cast<Subscriber*>(self)->MarkSubscribed();
        });
    mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
    mosquitto_property* properties = nullptr;
    // The session (and the messages for it) outlives a disconnection, for an hour.
    mosquitto_property_add_int32(&properties, MQTT_PROP_SESSION_EXPIRY_INTERVAL, 3600);
    mosquitto_connect_bind_v5(mosq_, "127.0.0.1", port, 30, nullptr, properties);
    mosquitto_property_free_all(&properties);
    mosquitto_loop_start(mosq_);
}

Subscriber::~Subscriber() {
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, true);
    mosquitto_destroy(mosq_);
}

void Subscriber::Keep(ReceivedMessage message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(message));
}

void Subscriber::MarkSubscribed() {
    std::lock_guard lock(mutex_);
    subscribed_ = true;
}

bool Subscriber::WaitSubscribed(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        {
            std::lock_guard lock(mutex_);
            if (subscribed_) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::vector<ReceivedMessage> Subscriber::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::size_t Subscriber::Count(const std::string& topicSuffix) const {
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const ReceivedMessage& message : messages_)
        if (message.topic.ends_with(topicSuffix)) ++count;
    return count;
}

} // namespace undarix::testing
