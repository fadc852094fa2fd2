#pragma once

// What tells a USB serial adapter apart when its device path changes (pulled and plugged back
// in, it may come back as /dev/ttyUSB1 instead of /dev/ttyUSB0): its serial number, or failing
// that the USB socket it sits in, together with its maker's and product's numbers.

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace undarix::link {

struct PortIdentity {
    QString serialNumber;
    std::uint16_t vendor = 0; // 0: not a USB device, or not known
    std::uint16_t product = 0;
    QString location; // the USB socket: the device's place in the system's device tree

    [[nodiscard]] bool IsUsb() const { return vendor != 0; }
};

struct PortCandidate {
    QString path;
    PortIdentity identity;
};

// The identity of the serial device at `path` (a symbolic link is followed); empty when the
// system does not describe it (a pseudo-terminal, a built-in port).
[[nodiscard]] PortIdentity IdentityOfPort(const QString& path);

// The serial devices present now, with their identities.
[[nodiscard]] std::vector<PortCandidate> PresentPorts();

// The device among `present` that is the adapter `wanted`: the same maker and product and the
// same serial number, or, for adapters without a serial number, the same USB socket. Several
// with the same serial number (cheap adapters share one): the one in the same socket first.
[[nodiscard]] std::optional<QString> FindPortLike(const PortIdentity& wanted,
                                                  const std::vector<PortCandidate>& present);

} // namespace undarix::link
