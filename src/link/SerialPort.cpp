#include "link/SerialPort.h"

#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>
#include <map>
#include <memory>

namespace undarix::link {
namespace {

struct OpenPort {
    std::unique_ptr<QSerialPort> serial; // null for a memory port
    std::string memoryInput;
    std::size_t memoryReadPos = 0;
    std::string memoryWritten;
    int baudRate = 0;
    int eventMask = 0;
    ComCallbackFunction callback;
    bool inCallback = false;
    bool callbackPending = false;
};

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

bool IsMemoryPath(const QString& path) { return path.startsWith("mem:"); }

OpenPort* Find(int port) {
    auto it = Ports().open.find(port);
    return it == Ports().open.end() ? nullptr : it->second.get();
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
    std::sort(system.begin(), system.end(), [](const auto& a, const auto& b) {
        return a.systemLocation() < b.systemLocation();
    });
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
                  int inputQueueSize, int /*outputQueueSize*/) {
    const QString path = PortPathFor(port);
    if (path.isEmpty()) {
        Ports().lastError = QString("port %1 is not known").arg(port);
        return -1;
    }
    CloseCom(port);
    auto open = std::make_unique<OpenPort>();
    open->baudRate = baudRate;
    if (!IsMemoryPath(path)) {
        auto serial = std::make_unique<QSerialPort>();
        serial->setPortName(path);
        serial->setBaudRate(baudRate);
        serial->setParity(parity == 0 ? QSerialPort::NoParity : QSerialPort::EvenParity);
        serial->setDataBits(dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
        serial->setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        serial->setFlowControl(QSerialPort::NoFlowControl);
        Q_UNUSED(inputQueueSize); // the driver's queue; Qt's own buffer grows as needed
        if (!serial->open(QIODevice::ReadWrite)) {
            Ports().lastError = QString("%1: %2").arg(path, serial->errorString());
            return -2;
        }
        QObject::connect(serial.get(), &QSerialPort::readyRead, serial.get(),
                         [port] { RunCallback(port); });
        open->serial = std::move(serial);
    }
    Ports().open[port] = std::move(open);
    Ports().lastError.clear();
    return 0;
}

QString LastComError() { return Ports().lastError; }

int CloseCom(int port) {
    auto it = Ports().open.find(port);
    if (it == Ports().open.end()) return -1;
    std::unique_ptr<OpenPort> open = std::move(it->second);
    Ports().open.erase(it);
    if (open->serial) {
        open->serial->disconnect();
        open->serial->close();
    }
    return 0;
}

bool IsComOpen(int port) { return Find(port) != nullptr; }

int ComBaudRate(int port) {
    const OpenPort* open = Find(port);
    return open ? open->baudRate : 0;
}

int ComWrt(int port, const void* data, int count) {
    OpenPort* open = Find(port);
    if (!open || count < 0) return -1;
    if (!open->serial) {
        open->memoryWritten.append(static_cast<const char*>(data), std::size_t(count));
        return count;
    }
    const qint64 written = open->serial->write(static_cast<const char*>(data), count);
    // Hand the bytes to the driver now: the protocols often block in a wait right after a
    // write, and Qt would otherwise send them only when the event loop runs again.
    open->serial->flush();
    if (open->serial->bytesToWrite() > 0) open->serial->waitForBytesWritten(100);
    return int(written);
}

int ComWrtByte(int port, int byte) {
    const char c = char(byte & 0xFF);
    return ComWrt(port, &c, 1);
}

int ComRdByte(int port) {
    OpenPort* open = Find(port);
    if (!open) return -1;
    if (!open->serial) {
        if (open->memoryReadPos >= open->memoryInput.size()) return -1;
        return static_cast<unsigned char>(open->memoryInput[open->memoryReadPos++]);
    }
    char c = 0;
    return open->serial->getChar(&c) ? static_cast<unsigned char>(c) : -1;
}

int GetInQLen(int port) {
    OpenPort* open = Find(port);
    if (!open) return 0;
    if (!open->serial) return int(open->memoryInput.size() - open->memoryReadPos);
    return int(open->serial->bytesAvailable());
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

void MemoryPortReceive(int port, const std::string& bytes) {
    OpenPort* open = Find(port);
    if (!open || open->serial) return;
    if (open->memoryReadPos == open->memoryInput.size()) {
        open->memoryInput.clear();
        open->memoryReadPos = 0;
    }
    open->memoryInput += bytes;
    RunCallback(port);
}

std::string MemoryPortTakeWritten(int port) {
    OpenPort* open = Find(port);
    if (!open) return {};
    return std::exchange(open->memoryWritten, std::string());
}

void ResetSerialPorts() {
    auto& registry = Ports();
    while (!registry.open.empty()) CloseCom(registry.open.begin()->first);
    registry = PortRegistry{};
}

} // namespace undarix::link
