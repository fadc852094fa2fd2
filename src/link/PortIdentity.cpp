#include "link/PortIdentity.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace undarix::link {
namespace {

// The device directory of a tty in the system's device tree, without the tty's own node:
// for ttyUSB0 ".../usb1/1-1/1-1.2/1-1.2:1.0", the interface of the socket it is plugged into.
QString UsbLocation(const QString& portName) {
    const QString device = QFileInfo("/sys/class/tty/" + portName + "/device").canonicalFilePath();
    if (device.isEmpty()) return {};
    const QFileInfo info(device);
    return info.fileName().startsWith("tty") ? info.absolutePath() : device;
}

PortIdentity IdentityOf(const QSerialPortInfo& info) {
    PortIdentity identity;
    identity.serialNumber = info.serialNumber();
    if (info.hasVendorIdentifier()) identity.vendor = info.vendorIdentifier();
    if (info.hasProductIdentifier()) identity.product = info.productIdentifier();
    if (identity.IsUsb()) identity.location = UsbLocation(info.portName());
    return identity;
}

bool SameMakeAndProduct(const PortIdentity& a, const PortIdentity& b) {
    return a.vendor == b.vendor && a.product == b.product;
}

} // namespace

PortIdentity IdentityOfPort(const QString& path) {
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty()) return {};
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (info.systemLocation() == device) return IdentityOf(info);
    return {};
}

std::vector<PortCandidate> PresentPorts() {
    std::vector<PortCandidate> present;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        present.push_back({info.systemLocation(), IdentityOf(info)});
    return present;
}

std::optional<QString> FindPortLike(const PortIdentity& wanted,
                                    const std::vector<PortCandidate>& present) {
    if (!wanted.IsUsb()) return std::nullopt;
    const auto first = [&](auto matches) -> std::optional<QString> {
        for (const PortCandidate& candidate : present)
            if (SameMakeAndProduct(candidate.identity, wanted) && matches(candidate.identity))
                return candidate.path;
        return std::nullopt;
    };
    const auto sameSocket = [&](const PortIdentity& c) {
        return !wanted.location.isEmpty() && c.location == wanted.location;
    };
    if (!wanted.serialNumber.isEmpty()) {
        const auto sameSerial = [&](const PortIdentity& c) {
            return c.serialNumber == wanted.serialNumber;
        };
        if (auto path =
                first([&](const PortIdentity& c) { return sameSerial(c) && sameSocket(c); }))
            return path;
        return first(sameSerial);
    }
    return first(sameSocket);
}

} // namespace undarix::link
