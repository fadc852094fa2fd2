#include "cli/LogNetworkOutput.h"

#include "cli/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace undarix::cli {

const char* const kLogNetworkHelp =
    R"(
Network output:
  --mqtt HOST[:PORT] publish every line, the samples as JSON and the station's status
                     to this MQTT broker (port 1883 if not given); what the broker cannot
                     take yet waits in a queue next to the data files (FILE.mqtt-queue, at
                     most 1 GB) and is sent, in order, when it can, after a restart too
  --mqtt-root ROOT   the topic root (default undarix/<host name>); no + or #, no leading $,
                     no control characters
  --mqtt-user U      the user name at the broker
  --mqtt-password-file F
                     the password: the first line of file F (with --mqtt-user; keep F
                     readable by you alone)
  --mqtt-tls-ca F    connect with TLS, the broker's certificate verified against CA file F
  --mqtt-queue DIR   the queue folder (default: FILE.mqtt-queue beside the data files)
  --mqtt-queue-bound SIZE
                     the most the queue holds, in bytes or with K, M, G (default 1G); past
                     it the oldest messages are dropped, counted and told
)";

namespace {

const QString kCommand = "log";

// "host", "host:port", "[v6]:port".
bool SplitHostPort(const QString& text, QString& host, int& port) {
    host = text;
    port = 1883;
    const int colon = text.lastIndexOf(':');
    if (colon == 0) return false;
    const bool bracketed = text.startsWith('[');
    if (colon > 0 && (bracketed ? text.at(colon - 1) == ']' : text.count(':') == 1)) {
        bool ok = false;
        port = text.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535) return false;
        host = text.left(colon);
    }
    if (bracketed) host = host.mid(1, host.size() - 2);
    return !host.isEmpty();
}

// The queue beside the data files: site.csv has site.mqtt-queue.
QString QueuePathFor(const QString& csv, const QString& capture) {
    const QString beside = !csv.isEmpty() ? csv : capture;
    if (beside.isEmpty()) return QDir::current().filePath("undarix.mqtt-queue");
    const QFileInfo info(beside);
    return info.dir().filePath(info.completeBaseName() + ".mqtt-queue");
}

// "4096", "64K", "500M", "2G" (powers of 1000, as disks are sold; "B" may follow).
std::optional<std::uint64_t> ParseSize(QString text) {
    text = text.trimmed().toUpper();
    if (text.endsWith('B')) text.chop(1);
    std::uint64_t unit = 1;
    if (text.endsWith('K')) unit = 1000;
    if (text.endsWith('M')) unit = 1000 * 1000;
    if (text.endsWith('G')) unit = 1000 * 1000 * 1000;
    if (unit > 1) text.chop(1);
    bool ok = false;
    const qulonglong number = text.toULongLong(&ok);
    if (!ok || number == 0 || number > (std::uint64_t(1) << 50) / unit) return std::nullopt;
    return std::uint64_t(number) * unit;
}

} // namespace

QList<QCommandLineOption> NetworkOutputOptions() {
    return {{"mqtt", "MQTT broker", "HOST[:PORT]"},
            {"mqtt-root", "topic root", "ROOT"},
            {"mqtt-user", "user name", "U"},
            {"mqtt-password-file", "password file", "F"},
            {"mqtt-tls-ca", "CA file", "F"},
            {"mqtt-queue", "queue folder", "DIR"},
            {"mqtt-queue-bound", "queue bound", "SIZE"}};
}

std::optional<LogNetworkRequest> ParseNetworkOutput(const QCommandLineParser& parser,
                                                    const QString& csv, const QString& capture,
                                                    const Console& console,
                                                    std::optional<int>& status) {
    status.reset();
    if (!parser.isSet("mqtt")) {
        for (const char* option : {"mqtt-root", "mqtt-user", "mqtt-password-file", "mqtt-tls-ca",
                                   "mqtt-queue", "mqtt-queue-bound"})
            if (parser.isSet(option)) {
                status =
                    UsageError(console, kCommand, QString("--%1 goes with --mqtt").arg(option));
                break;
            }
        return std::nullopt;
    }
    LogNetworkRequest request;
    files::NetworkOutputSettings& settings = request.settings;
    settings.enabled = true;
    if (!SplitHostPort(parser.value("mqtt"), settings.host, settings.port)) {
        status = UsageError(
            console, kCommand,
            QString("--mqtt wants HOST or HOST:PORT, not '%1'").arg(parser.value("mqtt")));
        return std::nullopt;
    }
    settings.topicRoot = parser.value("mqtt-root");
    if (const QString problem = files::TopicRootProblem(settings.topicRoot); !problem.isEmpty()) {
        status = UsageError(console, kCommand, "--mqtt-root '" + settings.topicRoot + "': " + problem);
        return std::nullopt;
    }
    settings.user = parser.value("mqtt-user");
    if (parser.isSet("mqtt-password-file")) {
        // A broker asks for a password with a user name only: alone it would be ignored.
        if (settings.user.isEmpty()) {
            status = UsageError(console, kCommand, "--mqtt-password-file goes with --mqtt-user");
            return std::nullopt;
        }
        QFile file(parser.value("mqtt-password-file"));
        if (!file.open(QIODevice::ReadOnly)) {
            status = BadInput(console, file.fileName(), "cannot be read: " + file.errorString());
            return std::nullopt;
        }
        settings.password = QString::fromUtf8(file.readLine()).remove('\r').remove('\n');
        struct stat info {};
        if (::fstat(file.handle(), &info) == 0 && (info.st_mode & (S_IRGRP | S_IROTH)) != 0)
            console.ErrLine(QString("undarix-cli log: warning: the password file %1 is readable "
                                    "by other users (chmod 600 %1)")
                                .arg(file.fileName()));
    }
    if (parser.isSet("mqtt-queue-bound")) {
        const std::optional<std::uint64_t> bound = ParseSize(parser.value("mqtt-queue-bound"));
        if (!bound || *bound < 64 * 1000) {
            status = UsageError(console, kCommand,
                                QString("--mqtt-queue-bound wants a size of at least 64K, such "
                                        "as 500M or 2G, not '%1'")
                                    .arg(parser.value("mqtt-queue-bound")));
            return std::nullopt;
        }
        settings.queueBound = *bound;
    }
    if (parser.isSet("mqtt-tls-ca")) {
        settings.tls = true;
        settings.caFile = parser.value("mqtt-tls-ca");
    }
    request.queuePath = parser.isSet("mqtt-queue") ? parser.value("mqtt-queue")
                                                   : QueuePathFor(csv, capture);
    return request;
}

LogNetworkOutput::LogNetworkOutput(const std::optional<LogNetworkRequest>& given,
                                   const Console& console) {
    if (!given) return;
    const LogNetworkRequest& request = *given;
    auto last = std::make_shared<std::string>();
    files::SetNetworkStatusSink([console, last](const link::MqttStatus& status) {
        // Changes of state or problem are told at once; counts wait for the status line.
        // A new kind of loss is told at once too.
        const std::string key = std::to_string(int(status.state)) + status.error +
                                std::to_string(status.dropped) + char('0' + (status.damaged > 0)) +
                                char('0' + (status.tooLarge > 0)) + char('0' + (status.unstored > 0)) +
                                char('0' + (status.refused > 0));
        if (key == *last) return;
        *last = key;
        console.ErrLine("undarix-cli log: network output: " +
                        QString::fromStdString(link::DescribeStatus(status)));
    });
    files::StartNetworkOutput(request.settings, request.queuePath);
    console.ErrLine(QString("undarix-cli log: publishing to %1:%2 under %3, queue %4")
                        .arg(request.settings.host)
                        .arg(request.settings.port)
                        .arg(files::NetworkOutputRoot(), request.queuePath));
}

LogNetworkOutput::~LogNetworkOutput() {
    files::StopNetworkOutput();
    files::SetNetworkStatusSink({});
}

QString NetworkStatusPart() {
    if (!files::NetworkOutputRunning()) return {};
    return "; network: " +
           QString::fromStdString(link::DescribeStatus(files::NetworkOutputStatus()));
}

} // namespace undarix::cli
