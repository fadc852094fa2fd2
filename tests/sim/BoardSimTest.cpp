// The Vazavevezeze board in the simulator: wake-up and report lines with exactly the
// characters the program examines, clock line, data lines and the setting commands.

#include "SerialEnd.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

namespace undarix::sim::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// What the program reads from a report, by the characters it looks at.
struct ReportSeen {
    std::string serial;
    std::string version;
    int rate = -1;
    char mode = 0;
    char tag = 0;
    bool ended = false;
};

ReportSeen Examine(const std::vector<std::string>& lines) {
    ReportSeen seen;
    for (const std::string& l : lines) {
        auto at = [&](std::size_t i) { return i < l.size() ? l[i] : '\0'; };
        if (at(0) == 'S' && at(7) == 'N') seen.serial = l.substr(15, 18);
        if (at(0) == 'C' && at(5) == 'R') seen.version = l.substr(10, 5);
        if (at(0) == 'F' && at(8) == 'F') seen.rate = (at(19) - '0') * 10 + (at(20) - '0');
        if (at(0) == 'S' && at(7) == 'M') seen.mode = at(13);
        if (at(0) == 'T' && at(5) == 'T') seen.tag = at(10);
        if (at(0) == 'S' && at(8) == 't') seen.ended = true;
    }
    return seen;
}

class BoardSim : public ::testing::Test {
protected:
    void Start(int staffs = 8) {
        SimOptions options;
        options.kind = 7;
        options.staffs = staffs;
        options.rate = 8;
        simulator = std::make_unique<Simulator>(options);
        ASSERT_TRUE(simulator->Start()) << simulator->Error();
        port = std::make_unique<SerialEnd>(simulator->SlavePath());
        ASSERT_TRUE(port->IsOpen());
    }
    // The wake-up sequence; returns the report.
    ReportSeen WakeUp() {
        port->Write("\r");
        port->Write("\n");
        port->Write("g");
        port->Write("st");
        return Examine(Lines(port->ReadUntil("System status: ready\r\n")));
    }
    // The next line that starts with one of `first`.
    std::string NextLine(const std::string& first, int timeoutMs = 2000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            std::string line = port->ReadUntil("\r\n", timeoutMs);
            if (!line.empty() && first.find(line[0]) != std::string::npos)
                return line.substr(0, line.size() - 2);
        }
        return {};
    }

    std::unique_ptr<Simulator> simulator;
    std::unique_ptr<SerialEnd> port;
};

TEST_F(BoardSim, ReportCarriesWhatTheProgramExamines) {
    Start();
    const ReportSeen report = WakeUp();
    EXPECT_EQ(report.serial, "VZ3124120000000001");
    EXPECT_EQ(report.version, "3.05a");
    EXPECT_EQ(report.rate, 8);
    EXPECT_EQ(report.mode, 'f');
    EXPECT_EQ(report.tag, 'n');
    EXPECT_TRUE(report.ended);
    // Stopped: only the keep-alive.
    EXPECT_EQ(NextLine("*0123456789", 2500), "*");
}

TEST_F(BoardSim, ClockAndDataLines) {
    for (int staffs : {8, 6}) {
        SCOPED_TRACE(staffs);
        Start(staffs);
        WakeUp();
        port->Write("r");
        const std::string clock = NextLine("01");
        ASSERT_EQ(clock.size(), 17u) << clock;
        for (std::size_t at : {0u, 3u, 6u, 9u, 12u, 15u}) {
            EXPECT_TRUE(std::isdigit(clock[at]) && std::isdigit(clock[at + 1])) << clock;
        }
        const int month = std::atoi(clock.c_str());
        EXPECT_GE(month, 1);
        EXPECT_LE(month, 12);

        port->Write("g");
        const std::string line = NextLine("0123456789");
        EXPECT_EQ(line.size() > 32, staffs == 8) << line;
        const SentLine sent = simulator->Inspect([&](SimState& s) {
            for (const SentLine& l : s.board.history)
                if (l.text == line + "\r\n") return l;
            return SentLine{};
        });
        ASSERT_EQ(sent.levels.size(), std::size_t(staffs)) << line;
        for (int s = 0; s < staffs; ++s) {
            const int count = std::atoi(line.substr(std::size_t(5 * s), 4).c_str());
            EXPECT_NEAR(count / 4095.0 * 4.0, sent.levels[std::size_t(s)], 4.0 / 4095.0) << s;
        }
        port.reset();
        simulator.reset();
    }
}

TEST_F(BoardSim, SettingCommandsAndClockText) {
    Start();
    WakeUp();
    port->Write("f");
    port->Write("16\n\r");
    port->Write("m");
    port->Write("command\n\r");
    port->Write("t");
    port->Write("hour\n\r");
    port->Write("s");
    port->Write("01-02-30 03:04:05\n\r");
    ASSERT_TRUE(simulator->WaitUntil([](const SimState& s) { return s.board.clockSets == 1; }));
    const ReportSeen report = WakeUp();
    EXPECT_EQ(report.rate, 16);
    EXPECT_EQ(report.mode, 'c');
    EXPECT_EQ(report.tag, 'h');
    port->Write("r");
    const std::string clock = NextLine("01");
    EXPECT_EQ(clock.substr(0, 15), "01/02/30 03:04:") << clock;

    port->Write("t");
    port->Write("weekly\n\r"); // not a time tag: ignored
    port->Write("m");
    port->Write("freerun\n\r");
    EXPECT_EQ(WakeUp().tag, 'h');
    EXPECT_EQ(simulator->Inspect([](SimState& s) { return s.board.runMode; }), 0);
}

TEST_F(BoardSim, SurvivesGarbage) {
    Start();
    std::string garbage;
    for (int i = 0; i < 4000; ++i)
        garbage.push_back(char((i * 7919) & 0xFF));
    port->Write(garbage + "\n\r");
    const ReportSeen report = WakeUp();
    EXPECT_TRUE(report.ended);
}

} // namespace
} // namespace undarix::sim::testing
