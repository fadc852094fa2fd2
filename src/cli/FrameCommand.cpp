#include "cli/FrameCommand.h"

#include "cli/CommandLine.h"
#include "cli/codec/FrameText.h"
#include "link/codec/ApiFrame.h"

#include <cstdint>
#include <string>

namespace undarix::cli {

const char* const kFrameHelp =
    R"(Usage: undarix-cli frame tx --dest HEX16 --text TEXT
       undarix-cli frame at --cmd XX [--param HEX]
       undarix-cli frame remote-at --dest HEX16 --cmd XX [--param HEX]

Prints the API frame the program sends, escaped as on the wire, as spaced hexadecimal bytes,
built by the same frame codec the program transmits with.

  tx          transmit request (0x10) carrying TEXT to the unit at HEX16
  at          AT command (0x08) to the local radio adapter
  remote-at   remote AT command (0x17, changes applied) to the radio of the unit at HEX16

Options:
  --dest HEX16   64-bit address, up to 16 hexadecimal digits ("0013A20040A1B2C3";
                 blanks and colons between the digits are allowed; FFFF is broadcast)
  --text TEXT    the unit command; \r, \n, \t, \\ and \xHH stand for carriage return, line
                 feed, tab, backslash and any byte (unit commands end in \r\n)
  --cmd XX       the two-letter AT command, e.g. ID, WR, SH
  --param HEX    the AT command's parameter bytes in hexadecimal, e.g. 3332

Example: undarix-cli frame tx --dest 0013A20040A1B2C3 --text 'RT\r\n'
  7E 00 12 10 01 00 7D 33 A2 00 40 A1 B2 C3 FF FE 00 00 52 54 0D 0A 29

Exit status: 0 success, 2 usage error.
)";

namespace {

namespace api = link::codec;

// The longest text each frame type carries within 255 bytes of frame data.
constexpr std::size_t kMaxTransmitText = api::kMaxFrameData - 14;
constexpr std::size_t kMaxRemoteText = api::kMaxFrameData - 13;
constexpr std::size_t kMaxLocalText = api::kMaxFrameData - 2;

const std::uint8_t* Bytes(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

void PrintFrame(const std::uint8_t* frameData, std::size_t count, const Console& console) {
    std::uint8_t wire[api::kMaxEncodedFrame];
    const std::size_t n = api::EncodeApiFrame(frameData, count, wire);
    console.OutLine(QString::fromStdString(codec::SpacedHex(wire, n)));
}

std::optional<std::uint64_t> Destination(const QCommandLineParser& parser, const QString& command,
                                         const Console& console, int& status) {
    if (!parser.isSet("dest")) {
        status = UsageError(console, command, "--dest HEX16 is required");
        return std::nullopt;
    }
    std::uint64_t address = 0;
    if (!codec::ParseAddress64(parser.value("dest").toStdString(), address)) {
        status = UsageError(console, command,
                            QString("--dest wants up to 16 hexadecimal digits, not '%1'")
                                .arg(parser.value("dest")));
        return std::nullopt;
    }
    return address;
}

// The AT command name and its parameter bytes.
std::optional<std::string> AtText(const QCommandLineParser& parser, const QString& command,
                                  std::size_t limit, const Console& console, int& status) {
    const QString name = parser.value("cmd");
    const bool twoLetters = name.size() == 2 && name[0].isLetterOrNumber() &&
                            name[1].isLetterOrNumber() && name[0].unicode() < 128 &&
                            name[1].unicode() < 128;
    if (!parser.isSet("cmd") || !twoLetters) {
        status = UsageError(console, command,
                            parser.isSet("cmd")
                                ? QString("--cmd wants two letters or digits, not '%1'").arg(name)
                                : QString("--cmd XX is required"));
        return std::nullopt;
    }
    std::string text = name.toUpper().toStdString();
    std::string parameter;
    if (!codec::ParseHexBytes(parser.value("param").toStdString(), parameter)) {
        status = UsageError(
            console, command,
            QString("--param wants hexadecimal digits, not '%1'").arg(parser.value("param")));
        return std::nullopt;
    }
    text += parameter;
    if (text.size() > limit) {
        status = UsageError(console, command, "--param is too long for one frame");
        return std::nullopt;
    }
    return text;
}

} // namespace

int Frame(const QStringList& arguments, const Console& console) {
    QCommandLineParser parser;
    parser.addPositionalArgument("TYPE", "tx, at or remote-at");
    parser.addOptions({{"dest", "destination", "HEX16"},
                       {"text", "unit command", "TEXT"},
                       {"cmd", "AT command", "XX"},
                       {"param", "parameter", "HEX"}});
    if (auto status = ParseCommandLine(parser, arguments, "frame", kFrameHelp, console))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return UsageError(console, "frame", "wants one frame type: tx, at or remote-at");
    const QString type = positional[0];
    const QString command = "frame " + type;
    const auto refuse = [&](const char* option) {
        return parser.isSet(option)
                   ? UsageError(console, command, QString("takes no --%1").arg(option))
                   : kExitOk;
    };

    std::uint8_t frameData[api::kMaxFrameData];
    int status = kExitOk;
    if (type == "tx") {
        for (const char* option : {"cmd", "param"})
            if (const int refused = refuse(option)) return refused;
        const std::optional<std::uint64_t> destination =
            Destination(parser, command, console, status);
        if (!destination) return status;
        if (!parser.isSet("text")) return UsageError(console, command, "--text TEXT is required");
        std::string text, error;
        if (!codec::UnescapeText(parser.value("text").toStdString(), text, error))
            return UsageError(console, command,
                              QString("--text has an unknown escape '%1' (\\r, \\n, \\t, \\\\, "
                                      "\\xHH)")
                                  .arg(QString::fromStdString(error)));
        if (text.size() > kMaxTransmitText)
            return UsageError(console, command,
                              QString("--text has %1 bytes; one frame carries at most %2")
                                  .arg(text.size())
                                  .arg(kMaxTransmitText));
        PrintFrame(frameData,
                   api::BuildTransmitRequest(*destination, Bytes(text), text.size(), frameData),
                   console);
        return kExitOk;
    }
    if (type == "at") {
        for (const char* option : {"dest", "text"})
            if (const int refused = refuse(option)) return refused;
        const std::optional<std::string> text =
            AtText(parser, command, kMaxLocalText, console, status);
        if (!text) return status;
        PrintFrame(frameData, api::BuildATCommand(Bytes(*text), text->size(), frameData), console);
        return kExitOk;
    }
    if (type == "remote-at") {
        if (const int refused = refuse("text")) return refused;
        const std::optional<std::uint64_t> destination =
            Destination(parser, command, console, status);
        if (!destination) return status;
        const std::optional<std::string> text =
            AtText(parser, command, kMaxRemoteText, console, status);
        if (!text) return status;
        PrintFrame(frameData,
                   api::BuildRemoteATCommand(*destination, Bytes(*text), text->size(), frameData),
                   console);
        return kExitOk;
    }
    return UsageError(console, "frame",
                      QString("unknown frame type '%1' (tx, at or remote-at)").arg(type));
}

} // namespace undarix::cli
