#pragma once

// A pseudo-terminal pair standing in for a serial cable: the program opens the slave path as
// its serial port; the test (or the simulator) works the master end.

#include <QString>

#include <string>

namespace undarix::testing {

class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    [[nodiscard]] QString SlavePath() const { return slavePath_; }
    // Writes bytes to the program's side.
    void Write(const std::string& bytes);
    // Reads what the program wrote, waiting up to timeoutMs for the first byte and then
    // for as long as bytes keep coming.
    [[nodiscard]] std::string Read(int timeoutMs = 200);

private:
    int master_ = -1;
    int slave_ = -1; // kept open so the master never sees a hang-up between opens
    QString slavePath_;
};

} // namespace undarix::testing
