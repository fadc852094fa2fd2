#pragma once

// What the tests of the data file, the capture file and playback share: a temporary folder,
// packets placed as the dispatcher leaves them, and the menu steps with their pop-ups.

#include "core/FrameBuffers.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "files/Playback.h"
#include "files/RecordFile.h"
#include "link/ReceiveState.h"
#include "live/DeviceTable.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Popups.h"
#include "ui/Timers.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace undarix::testing {

// A disk with `room` bytes left: a write that does not fit is cut short there, the next one
// fails with "No space left on device"; room < 0 is a disk that has been freed.
class FillingDisk {
public:
    explicit FillingDisk(long room) : room_(room) {
        files::SetWriteCall([this](int descriptor, const void* data, std::size_t count) -> long {
            if (room_ < 0) return long(::write(descriptor, data, count));
            if (room_ == 0) {
                errno = ENOSPC;
                return -1;
            }
            const long taken = std::min(room_, long(count));
            room_ -= taken;
            return long(::write(descriptor, data, std::size_t(taken)));
        });
    }
    ~FillingDisk() { files::SetWriteCall({}); }
    FillingDisk(const FillingDisk&) = delete;
    FillingDisk& operator=(const FillingDisk&) = delete;

    void Free() { room_ = -1; }

private:
    long room_;
};

class FileFixture : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }

    [[nodiscard]] QString Path(const QString& name) const { return dir.filePath(name); }

    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void WriteAll(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // A decoded packet of the unit at `address`, as the dispatcher leaves it: the text in
    // the frame buffer, the kind in the record, the values in WorkValue. Returns the slot.
    static int Decoded(std::uint64_t address, const std::string& text,
                       const std::vector<float>& values) {
        const int slot = live::GetOutputLineLoc(address);
        live::OutputLine[slot].packetKind = text[0];
        link::RxFrame[0] = 0x90;
        std::memcpy(link::RxFrame + link::kPacketTextStart, text.data(), text.size());
        link::UartXbee.frameLength = int(link::kPacketTextStart + text.size());
        std::copy(values.begin(), values.end(), core::WorkValue);
        return slot;
    }

    // The interval prompt and the file selection of the start of logging.
    void ExpectStart(const QString& name, const QString& interval = "1",
                     ui::FileSelection::Status status = ui::FileSelection::Status::NewFile) {
        popups->ExpectPrompt("SAVE FILE INTERVAL", interval);
        popups->ExpectFile("Save Output Data To:", {status, Path(name)});
    }
    void StartLogging(const QString& name, const QString& interval = "1",
                      ui::FileSelection::Status status = ui::FileSelection::Status::NewFile) {
        ExpectStart(name, interval, status);
        ui::Dispatch(core::menu::SaveOutputData, ui::Event::Commit);
    }

    // Opens a file for playback with the chart playing the file.
    static void Play(const QString& path) {
        core::Program.DataSource = core::kSourceFile;
        files::OpenFile2PlotPath(path);
        core::Program.PlottingRunning = 1;
    }
    // Reads on until the end of the file stops plotting; returns the number of ticks.
    static int PlayToEnd() {
        int ticks = 0;
        while (core::Program.PlottingRunning && ticks < 100000) {
            ui::TickTimer(core::timer::ReadFile);
            ++ticks;
        }
        return ticks;
    }

    QTemporaryDir dir;
};

} // namespace undarix::testing
