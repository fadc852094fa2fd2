#pragma once

// The serial-port calls the instrument protocols are written against, over QSerialPort.
// Ports are numbered 1..N by device path, the number staying the same for the whole run.
// A port whose path begins "mem:" is a memory port: tests and benchmarks feed its input and
// read what was written, through exactly the same calls.

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace undarix::link {

inline constexpr int kRxCharEvent = 0x0001; // the "character received" event

// The receive callback: (port, event mask). It is never re-entered: bytes that arrive while
// it runs are handled by a further call once it returns.
using ComCallbackFunction = std::function<void(int port, int eventMask)>;
// Called when an open port is lost: the device hung up, could no longer be read, or vanished.
using ComLossFunction = std::function<void(int port)>;

[[nodiscard]] int PortNumberForPath(const QString& path);
[[nodiscard]] QString PortPathFor(int port);

// Device paths the system does not list (pseudo-terminals), from --port.
void AddExtraPortPath(const QString& path, const QString& label = QString());
struct PortDescription {
    int number;
    QString label;
    QString path;
};
// The system's serial ports, then the extra paths, each with its number.
[[nodiscard]] std::vector<PortDescription> ListSerialPorts();

// No parity, 8 data bits and 1 stop bit are all the units use; the queue sizes are the input
// buffer (bytes) and 0 for an unbuffered output. Returns 0, or a negative number when the
// port cannot be opened (LastComError says why). The device itself is locked while open (not
// its name: a second program that reaches it through a link is refused as well).
int OpenComConfig(int port, int baudRate, int parity = 0, int dataBits = 8, int stopBits = 1,
                  int inputQueueSize = 4096, int outputQueueSize = 0);
[[nodiscard]] QString LastComError();
int CloseCom(int port);
[[nodiscard]] bool IsComOpen(int port);
[[nodiscard]] int ComBaudRate(int port);
// Returns the number of bytes written, negative on failure.
int ComWrt(int port, const void* data, int count);
int ComWrtByte(int port, int byte);
// Returns the next received byte, or -1 when none is waiting.
int ComRdByte(int port);
// Takes up to `room` received bytes at once into `out`; returns how many, or -1 when the port
// is not open.
int ComRdBytes(int port, std::uint8_t* out, int room);
// Counts the ports closed so far, and tells one opening of a port from another (0: closed): a
// reader holding bytes it took can tell cheaply that the port they came from was closed under
// it (from a pop-up) and drop them, as the port dropped its own.
[[nodiscard]] unsigned ComClosings();
[[nodiscard]] unsigned ComSession(int port);
[[nodiscard]] int GetInQLen(int port);
int FlushOutQ(int port);
int InstallComCallback(int port, int eventMask, ComCallbackFunction callback);

// A port that goes away while open (the adapter pulled, the cable's far end gone) is lost:
// it is let go at once, so nothing keeps polling it; its settings, callbacks and number stay,
// reads find nothing and writes fail until ReopenCom brings it back.
int InstallLossCallback(int port, ComLossFunction callback);
[[nodiscard]] bool IsComLost(int port);
// Why the port was lost, in words for the user.
[[nodiscard]] QString ComLossReason(int port);
// The device path the port is open on: its own path, or the one a USB adapter came back on.
[[nodiscard]] QString ComDevicePath(int port);
// A device that vanished without a word (its path gone, or naming another device now) is
// found lost here. Returns false when the port is lost.
bool CheckComPresent(int port);
// Opens a lost port again with the settings it had: at its own path, or, for a USB adapter
// whose path changed, wherever the same adapter is now. Returns 0, or a negative number
// (LastComError says why).
int ReopenCom(int port);

// Memory ports.
// Puts bytes into a memory port's input and runs its receive callback, as arriving bytes do.
void MemoryPortReceive(int port, const std::string& bytes);
// Everything written to a memory port since the last call.
[[nodiscard]] std::string MemoryPortTakeWritten(int port);
// A memory port's far end goes away (it is lost at once) and comes back (it can be reopened).
void MemoryPortUnplug(int port);
void MemoryPortPlugIn(int port);

// Forgets every port, open or known (tests).
void ResetSerialPorts();

} // namespace undarix::link
