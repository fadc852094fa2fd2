#pragma once

// The master end of a pseudo-terminal, in raw mode, that stands in for the instrument's end
// of a serial cable. The slave end is held open too, so the master never sees a hang-up while
// the program closes and reopens its port.

#include <string>

namespace undarix::sim {

class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Opens the pair; with a link path, also makes a symbolic link to the slave there
    // (replacing an older symbolic link, never a file). Returns false with Error() set.
    bool Open(const std::string& linkPath = std::string());
    void Close();

    [[nodiscard]] int Master() const { return master_; }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }
    [[nodiscard]] const std::string& Error() const { return error_; }

    // Bytes written to the program that it has not read yet.
    [[nodiscard]] int Unread() const;
    // Discards them (a real port's input queue overflows the same way).
    void DiscardUnread();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    std::string error_;
};

} // namespace undarix::sim
