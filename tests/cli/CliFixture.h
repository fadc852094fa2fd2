#pragma once

// What the companion's tests share: units' frames and data-file lines, a run of a command in
// this process with its output captured, a run of the real executable, and a temporary folder.

#include "cli/Cli.h"
#include "files/codec/DataLine.h"
#include "link/codec/ApiFrame.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace undarix::testing {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Escapes frame data (from the API id on) as on the wire.
inline std::string Escaped(const std::string& data) {
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), wire);
    return std::string(reinterpret_cast<const char*>(wire), n);
}

// A receive packet (0x90) from the unit at `address`, escaped as on the wire.
inline std::string ReceivedFrame(std::uint64_t address, const std::string& text) {
    std::string data = "\x90";
    for (int i = 7; i >= 0; --i)
        data += char(address >> (8 * i));
    data += std::string("\xFF\xFE\x41", 3) + text;
    return Escaped(data);
}

// "YYYY-MM-DDThh:mm:ss" of `seconds` after 2026-12-07T12:00:00.
inline std::string Stamp(int seconds) {
    const int total = 12 * 3600 + seconds;
    char text[64];
    std::snprintf(text, sizeof text, "2026-12-%02d%c%02d:%02d:%02d", 7 + total / 86400, 'T',
                  total % 86400 / 3600, total % 3600 / 60, total % 60);
    return text;
}

// The text of an "I" block: 64 samples in millimetres, 16-bit little-endian.
inline std::string IBlockText(int device, int rate, int seconds, const std::vector<int>& mm) {
    char header[40];
    std::snprintf(header, sizeof header, "I%03d,S%02d,B0,%s,,", device, rate,
                  Stamp(seconds).c_str());
    std::string text = header;
    for (int k = 0; k < 64; ++k) {
        const int v = mm[std::size_t(k) % mm.size()];
        text += char(v & 0xFF);
        text += char((v >> 8) & 0xFF);
    }
    return text;
}

// The text of an "A" block: 32 samples of six ASCII digits (millimetres).
inline std::string ABlockText(int device, int rate, int seconds, const std::vector<int>& mm) {
    char header[40];
    std::snprintf(header, sizeof header, "A%03d,S%02d,B2,%s,,", device, rate,
                  Stamp(seconds).c_str());
    std::string text = header;
    for (int k = 0; k < 32; ++k) {
        char field[8];
        std::snprintf(field, sizeof field, "%06d", mm[std::size_t(k) % mm.size()]);
        text += field;
    }
    return text;
}

// A data-file line of a block kind with these values, as the program's writer prints it.
inline std::string DataLine(char kind, int device, int rate, int seconds,
                            const std::vector<float>& values) {
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "%c%03d,S%02d,B0,%s", kind, device, rate,
                  Stamp(seconds).c_str());
    char line[files::codec::kMaxDataLine];
    const std::size_t n =
        files::codec::BuildDataLine(kind, prefix, std::strlen(prefix), values.data(), line);
    return std::string(line, n);
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), qint64(bytes.size()));
}

// Runs a command in this process, capturing what it prints.
inline CliRun RunInProcess(const QStringList& arguments) {
    CliRun run;
    cli::Console console;
    console.out = [&run](std::string_view bytes) { run.out.append(bytes); };
    console.err = [&run](std::string_view bytes) { run.err.append(bytes); };
    run.status = cli::RunCli(arguments, console);
    return run;
}

// Runs the real executable and waits for it (at most `timeoutMs`).
inline CliRun RunExecutable(const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.start(UNDARIX_CLI_EXECUTABLE, arguments);
    CliRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

// The CSV fields of a line by the header's names.
inline std::map<std::string, std::string> Fields(const std::string& header,
                                                 const std::string& line) {
    std::map<std::string, std::string> fields;
    std::istringstream names(header), values(line);
    for (std::string name, value; std::getline(names, name, ',');) {
        std::getline(values, value, ',');
        fields[name] = value;
    }
    return fields;
}

// The companion's commands in this process: no window, pop-ups scripted (none expected).
class CliTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    [[nodiscard]] QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

} // namespace undarix::testing
