// frame: the bytes the program sends, from the same frame codec.

#include "CliFixture.h"
#include "cli/codec/FrameText.h"

namespace undarix::testing {
namespace {

TEST(FrameCommand, PrintsTheFramesTheProgramSends) {
    const struct {
        QStringList arguments;
        const char* frame;
    } cases[] = {
        // The address byte 0x13 travels escaped; the checksum 0x29 is computed on 0x13.
        {{"frame", "tx", "--dest", "0013A20040A1B2C3", "--text", "RT\\r\\n"},
         "7E 00 12 10 01 00 7D 33 A2 00 40 A1 B2 C3 FF FE 00 00 52 54 0D 0A 29"},
        {{"frame", "tx", "--dest", "00 13 A2 00 40 A1 B2 C3", "--text", "RT\\r\\n"},
         "7E 00 12 10 01 00 7D 33 A2 00 40 A1 B2 C3 FF FE 00 00 52 54 0D 0A 29"},
        {{"frame", "at", "--cmd", "ID"}, "7E 00 04 08 01 49 44 69"},
        {{"frame", "at", "--cmd", "id"}, "7E 00 04 08 01 49 44 69"},
        // A checksum of 0x7E goes out as 7D 5E.
        {{"frame", "at", "--cmd", "0H"}, "7E 00 04 08 01 30 48 7D 5E"},
        // An odd number of digits: 7FF is 07 FF.
        {{"frame", "at", "--cmd", "ID", "--param", "7FF"}, "7E 00 06 08 01 49 44 07 FF 63"},
        {{"frame", "remote-at", "--dest", "FFFF", "--cmd", "ID", "--param", "0x3332"},
         "7E 00 7D 31 17 01 00 00 00 00 00 00 FF FF FF FE 02 49 44 33 32 F8"},
        // Text bytes that need escaping, written as \xHH.
        {{"frame", "tx", "--dest", "1", "--text", "\\x7E\\x7D\\x11\\x13\\\\"},
         "7E 00 7D 33 10 01 00 00 00 00 00 00 00 01 FF FE 00 00 7D 5E 7D 5D 7D 31 7D 33 5C 75"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunInProcess(c.arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, std::string(c.frame) + "\n") << c.arguments.join(' ').toStdString();
    }
}

TEST(FrameCommand, RefusesWhatNoFrameCanCarry) {
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"frame"}, "wants one frame type"},
        {{"frame", "rx"}, "unknown frame type 'rx'"},
        {{"frame", "tx", "--text", "RT"}, "--dest HEX16 is required"},
        {{"frame", "tx", "--dest", "0013A20040A1B2C3FF", "--text", "RT"}, "--dest wants"},
        {{"frame", "tx", "--dest", "G1", "--text", "RT"}, "--dest wants"},
        {{"frame", "tx", "--dest", "1"}, "--text TEXT is required"},
        {{"frame", "tx", "--dest", "1", "--text", "RT\\q"}, "unknown escape '\\q'"},
        {{"frame", "tx", "--dest", "1", "--text", "RT\\x4"}, "unknown escape '\\x4'"},
        {{"frame", "tx", "--dest", "1", "--text", QString(242, 'a')}, "at most 241"},
        {{"frame", "tx", "--dest", "1", "--text", "RT", "--cmd", "ID"}, "takes no --cmd"},
        {{"frame", "at"}, "--cmd XX is required"},
        {{"frame", "at", "--cmd", "IDX"}, "--cmd wants two letters"},
        {{"frame", "at", "--cmd", "ID", "--param", "12G"}, "--param wants hexadecimal"},
        {{"frame", "at", "--cmd", "ID", "--dest", "1"}, "takes no --dest"},
        {{"frame", "remote-at", "--cmd", "ID"}, "--dest HEX16 is required"},
        {{"frame", "at", "--bogus"}, "Unknown option 'bogus'"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunInProcess(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(FrameText, AddressesAndParameterBytes) {
    std::uint64_t address = 0;
    EXPECT_TRUE(cli::codec::ParseAddress64("0x0013a200:40a1b2c3", address));
    EXPECT_EQ(address, 0x0013A20040A1B2C3ull);
    EXPECT_FALSE(cli::codec::ParseAddress64("", address));
    EXPECT_FALSE(cli::codec::ParseAddress64("0x", address));
    std::string bytes;
    EXPECT_TRUE(cli::codec::ParseHexBytes("", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(cli::codec::ParseHexBytes("00 ff", bytes));
    EXPECT_EQ(bytes, std::string("\x00\xFF", 2));
}

} // namespace
} // namespace undarix::testing
