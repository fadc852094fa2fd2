#include "link/SerialPort.h"

#include "link/PortIdentity.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace undarix::link {
namespace {

struct LineSettings {
    int baudRate = 0;
    int parity = 0;
    int dataBits = 8;
    int stopBits = 1;
};

struct OpenPort {
    bool memory = false;
    std::unique_ptr<QSerialPort> serial;  // null for a memory port, and while lost
    std::unique_ptr<QSerialPort> retired; // a lost port's, until it can be closed safely
    QString devicePath;                   // where the device was found when last opened
    dev_t device = 0;                     // the device itself, to notice its path reused
    PortIdentity identity;
    LineSettings settings;
    // Input served byte by byte: a memory port's, and what a lost port had received.
    std::string input;
    std::size_t readPos = 0;
    std::string memoryWritten;
    bool memoryUnplugged = false;
    bool lost = false;
    QString lossReason;
    int eventMask = 0;
    ComCallbackFunction callback;
    ComLossFunction lossCallback;
    bool inCallback = false;
    bool callbackPending = false;
    unsigned session = 0; // tells this opening from earlier ones of the same port
};

unsigned closings = 0; // ports closed so far
unsigned sessions = 0; // ports opened so far

struct PortRegistry {
    std::vector<QString> paths; // index + 1 is the port number
    std::map<QString, QString> extraLabels;
    std::vector<QString> extraOrder;
    std::map<int, std::unique_ptr<OpenPort>> open;
    QString lastError;
};

PortRegistry& Ports() {
    static PortRegistry registry;
    return registry;
}

bool IsMemoryPath(const QString& path) {
    return path.startsWith("mem:");
}

OpenPort* Find(int port) {
    auto it = Ports().open.find(port);
    return it == Ports().open.end() ? nullptr : it->second.get();
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

[[nodiscard]] std::size_t Buffered(const OpenPort& open) {
    return open.input.size() - open.readPos;
}

// Runs the port's callback, deferring a call that would re-enter it (a pop-up raised from the
// receive path runs a nested event loop in which more bytes can arrive).
void RunCallback(int port) {
    OpenPort* open = Find(port);
    if (!open || !open->callback || !(open->eventMask & kRxCharEvent)) return;
    if (open->inCallback) {
        open->callbackPending = true;
        return;
    }
    open->inCallback = true;
    do {
        open->callbackPending = false;
        ComCallbackFunction callback = open->callback;
        callback(port, kRxCharEvent);
        open = Find(port); // the callback may have closed the port
    } while (open && open->callbackPending && GetInQLen(port) > 0);
    if (open) open->inCallback = false;
}

// Why opening failed, in the system's words where Qt has none ("Unknown error" for a device
// another program holds, for instance).
QString WhyNotOpened(const QString& path, const QSerialPort& serial) {
    const QByteArray native = QFile::encodeName(path);
    const int probe = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) return SystemError(errno);
    const bool held = ::flock(probe, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(probe);
    if (held || serial.error() == QSerialPort::PermissionError)
        return "it is in use by another program (the device is locked)";
    return serial.errorString();
}

void ConnectSignals(int port, QSerialPort& serial);

// Opens the device at `path` with the settings and takes its lock.
std::unique_ptr<QSerialPort> OpenDevice(int port, const QString& path, const LineSettings& line,
                                        dev_t& device) {
    auto serial = std::make_unique<QSerialPort>();
    serial->setPortName(path);
    serial->setBaudRate(line.baudRate);
    serial->setParity(line.parity == 0 ? QSerialPort::NoParity : QSerialPort::EvenParity);
    serial->setDataBits(line.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    serial->setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!serial->open(QIODevice::ReadWrite)) {
        Ports().lastError = QString("%1: %2").arg(path, WhyNotOpened(path, *serial));
        return nullptr;
    }
    // The lock is on the device, whatever name it was reached by.
    if (::flock(int(serial->handle()), LOCK_EX | LOCK_NB) != 0) {
        Ports().lastError =
            QString("%1: it is in use by another program (the device is locked)").arg(path);
        serial->close();
        return nullptr;
    }
    struct stat status {};
    device = ::fstat(int(serial->handle()), &status) == 0 ? status.st_rdev : 0;
    ConnectSignals(port, *serial);
    return serial;
}

// The port is let go: its notifier stops (a hung-up device is always "readable", which would
// keep the event loop spinning), and what it had received still reaches the callback.
void MarkLost(int port, const QString& reason) {
    OpenPort* open = Find(port);
    if (!open || open->lost) return;
    open->lost = true;
    open->lossReason = reason;
    if (open->serial) {
        const QByteArray rest = open->serial->readAll();
        open->input.erase(0, open->readPos);
        open->readPos = 0;
        open->input.append(rest.constData(), std::size_t(rest.size()));
        // This may run inside one of the port's own signals: it is closed (and its lock let
        // go) once the event loop runs again, or at the latest when the port is reopened or
        // closed; until then nothing listens to it.
        open->serial->disconnect();
        open->retired = std::move(open->serial);
        QTimer::singleShot(0, [port] {
            if (OpenPort* lost = Find(port)) lost->retired.reset();
        });
    }
    if (Buffered(*open) > 0) RunCallback(port);
    open = Find(port);
    if (open && open->lossCallback) {
        const ComLossFunction callback = open->lossCallback;
        callback(port);
    }
}

void ConnectSignals(int port, QSerialPort& serial) {
    QObject::connect(&serial, &QSerialPort::readyRead, &serial, [port] { RunCallback(port); });
    QObject::connect(&serial, &QSerialPort::errorOccurred, &serial,
                     [port](QSerialPort::SerialPortError error) {
                         // A read that finds the line hung up (0 bytes from a readable
                         // device) or the device gone.
                         if (error == QSerialPort::ResourceError)
                             MarkLost(port, "the device is no longer there");
                         else if (error == QSerialPort::ReadError)
                             MarkLost(port, "the device hung up (cable or adapter gone)");
                     });
}

// Where a lost port's device is now. A USB adapter is wherever the same adapter is (another
// one plugged into its old path is not it); a path the system does not describe (a built-in
// port, a pseudo-terminal behind a link) is the device once it exists again.
QString WhereNow(int port, const OpenPort& open) {
    const QString path = PortPathFor(port);
    const bool there = QFileInfo::exists(path);
    if (!open.identity.IsUsb()) return there ? path : QString();
    if (std::optional<QString> found = FindPortLike(open.identity, PresentPorts())) return *found;
    return there && !IdentityOfPort(path).IsUsb() ? path : QString();
}

} // namespace

int PortNumberForPath(const QString& path) {
    auto& paths = Ports().paths;
    auto it = std::find(paths.begin(), paths.end(), path);
    if (it != paths.end()) return int(it - paths.begin()) + 1;
    paths.push_back(path);
    return int(paths.size());
}

QString PortPathFor(int port) {
    const auto& paths = Ports().paths;
    return port >= 1 && port <= int(paths.size()) ? paths[port - 1] : QString();
}

void AddExtraPortPath(const QString& path, const QString& label) {
    auto& registry = Ports();
    if (!registry.extraLabels.count(path)) registry.extraOrder.push_back(path);
    registry.extraLabels[path] = label.isEmpty() ? path : label;
    (void)PortNumberForPath(path);
}

std::vector<PortDescription> ListSerialPorts() {
    std::vector<PortDescription> list;
    QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
    std::sort(system.begin(), system.end(),
              [](const auto& a, const auto& b) { return a.systemLocation() < b.systemLocation(); });
    for (const QSerialPortInfo& info : system) {
        const QString path = info.systemLocation();
        if (Ports().extraLabels.count(path)) continue;
        const QString label = info.description().isEmpty()
                                  ? info.portName()
                                  : QString("%1 (%2)").arg(info.portName(), info.description());
        list.push_back({PortNumberForPath(path), label, path});
    }
    for (const QString& path : Ports().extraOrder)
        list.push_back({PortNumberForPath(path), Ports().extraLabels[path], path});
    return list;
}

int OpenComConfig(int port, int baudRate, int parity, int dataBits, int stopBits,
                  int /*inputQueueSize: the driver's; Qt's own buffer grows as needed*/,
                  int /*outputQueueSize*/) {
    const QString path = PortPathFor(port);
    if (path.isEmpty()) {
        Ports().lastError = QString("port %1 is not known").arg(port);
        return -1;
    }
    CloseCom(port);
    auto open = std::make_unique<OpenPort>();
    open->session = ++sessions;
    open->settings = {baudRate, parity, dataBits, stopBits};
    open->devicePath = path;
    open->memory = IsMemoryPath(path);
    if (!open->memory) {
        open->serial = OpenDevice(port, path, open->settings, open->device);
        if (!open->serial) return -2;
        open->identity = IdentityOfPort(path);
    }
    Ports().open[port] = std::move(open);
    Ports().lastError.clear();
    return 0;
}

QString LastComError() {
    return Ports().lastError;
}

unsigned ComClosings() {
    return closings;
}

unsigned ComSession(int port) {
    const OpenPort* open = Find(port);
    return open ? open->session : 0;
}

int CloseCom(int port) {
    auto it = Ports().open.find(port);
    if (it == Ports().open.end()) return -1;
    ++closings;
    std::unique_ptr<OpenPort> open = std::move(it->second);
    Ports().open.erase(it);
    if (open->serial) {
        open->serial->disconnect();
        open->serial->close();
    }
    return 0;
}

bool IsComOpen(int port) {
    return Find(port) != nullptr;
}

int ComBaudRate(int port) {
    const OpenPort* open = Find(port);
    return open ? open->settings.baudRate : 0;
}

int ComWrt(int port, const void* data, int count) {
    OpenPort* open = Find(port);
    if (!open || count < 0 || open->lost) return -1;
    if (open->memory) {
        open->memoryWritten.append(static_cast<const char*>(data), std::size_t(count));
        return count;
    }
    QSerialPort* serial = open->serial.get();
    const qint64 written = serial->write(static_cast<const char*>(data), count);
    // Hand the bytes to the driver now: the protocols often block in a wait right after a
    // write, and Qt would otherwise send them only when the event loop runs again.
    serial->flush();
    open = Find(port); // a write error may have found the port lost
    if (open && open->serial && open->serial->bytesToWrite() > 0)
        open->serial->waitForBytesWritten(100);
    return int(written);
}

int ComWrtByte(int port, int byte) {
    const char c = char(byte & 0xFF);
    return ComWrt(port, &c, 1);
}

int ComRdByte(int port) {
    OpenPort* open = Find(port);
    if (!open) return -1;
    if (Buffered(*open) > 0) return static_cast<unsigned char>(open->input[open->readPos++]);
    if (!open->serial) return -1;
    char c = 0;
    return open->serial->getChar(&c) ? static_cast<unsigned char>(c) : -1;
}

int ComRdBytes(int port, std::uint8_t* out, int room) {
    OpenPort* open = Find(port);
    if (!open) return -1;
    if (room <= 0) return 0;
    if (const std::size_t buffered = Buffered(*open); buffered > 0) {
        const std::size_t count = std::min(buffered, std::size_t(room));
        std::memcpy(out, open->input.data() + open->readPos, count);
        open->readPos += count;
        return int(count);
    }
    if (!open->serial) return 0;
    const qint64 count = open->serial->read(reinterpret_cast<char*>(out), room);
    return count > 0 ? int(count) : 0;
}

int GetInQLen(int port) {
    OpenPort* open = Find(port);
    if (!open) return 0;
    const int buffered = int(Buffered(*open));
    return open->serial ? buffered + int(open->serial->bytesAvailable()) : buffered;
}

int FlushOutQ(int port) {
    OpenPort* open = Find(port);
    if (!open) return -1;
    if (open->serial) open->serial->clear(QSerialPort::Output);
    return 0;
}

int InstallComCallback(int port, int eventMask, ComCallbackFunction callback) {
    OpenPort* open = Find(port);
    if (!open) return -1;
    open->eventMask = eventMask;
    open->callback = std::move(callback);
    return 0;
}

int InstallLossCallback(int port, ComLossFunction callback) {
    OpenPort* open = Find(port);
    if (!open) return -1;
    open->lossCallback = std::move(callback);
    return 0;
}

bool IsComLost(int port) {
    const OpenPort* open = Find(port);
    return open && open->lost;
}

QString ComLossReason(int port) {
    const OpenPort* open = Find(port);
    return open ? open->lossReason : QString();
}

QString ComDevicePath(int port) {
    const OpenPort* open = Find(port);
    return open ? open->devicePath : QString();
}

bool CheckComPresent(int port) {
    OpenPort* open = Find(port);
    if (!open) return false;
    if (open->lost) return false;
    if (open->memory) return true;
    struct stat status {};
    if (::stat(QFile::encodeName(open->devicePath).constData(), &status) != 0)
        MarkLost(port, "the device has disappeared");
    else if (status.st_rdev != open->device)
        MarkLost(port, "its path now names another device");
    return !IsComLost(port);
}

int ReopenCom(int port) {
    OpenPort* open = Find(port);
    if (!open || !open->lost) {
        Ports().lastError = QString("port %1 is not lost").arg(port);
        return -1;
    }
    if (open->memory) {
        if (open->memoryUnplugged) {
            Ports().lastError = QString("%1: not there").arg(PortPathFor(port));
            return -2;
        }
    } else {
        const QString path = WhereNow(port, *open);
        if (path.isEmpty()) {
            Ports().lastError = QString("%1: not there").arg(PortPathFor(port));
            return -2;
        }
        open->retired.reset(); // its lock is let go before the device is locked again
        dev_t device = 0;
        std::unique_ptr<QSerialPort> serial = OpenDevice(port, path, open->settings, device);
        if (!serial) return -2;
        open->serial = std::move(serial);
        open->device = device;
        open->devicePath = path;
    }
    open->lost = false;
    open->lossReason.clear();
    Ports().lastError.clear();
    return 0;
}

void MemoryPortReceive(int port, const std::string& bytes) {
    OpenPort* open = Find(port);
    if (!open || !open->memory || open->lost) return;
    if (open->readPos == open->input.size()) {
        open->input.clear();
        open->readPos = 0;
    }
    open->input += bytes;
    RunCallback(port);
}

std::string MemoryPortTakeWritten(int port) {
    OpenPort* open = Find(port);
    if (!open) return {};
    return std::exchange(open->memoryWritten, std::string());
}

void MemoryPortUnplug(int port) {
    OpenPort* open = Find(port);
    if (!open || !open->memory) return;
    open->memoryUnplugged = true;
    MarkLost(port, "the device hung up (cable or adapter gone)");
}

void MemoryPortPlugIn(int port) {
    if (OpenPort* open = Find(port)) open->memoryUnplugged = false;
}

void ResetSerialPorts() {
    auto& registry = Ports();
    while (!registry.open.empty())
        CloseCom(registry.open.begin()->first);
    registry = PortRegistry{};
}

} // namespace undarix::link
