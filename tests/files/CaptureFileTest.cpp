// The capture file keeps whole frames only: a full disk or a lost port never leaves a frame
// cut short in it, which would swallow the frame after it when the file is played back.

#include "files/CaptureFile.h"

#include "core/Hooks.h"
#include "core/UnitKind.h"
#include "files/FileFixture.h"
#include "files/NativePath.h"
#include "link/codec/ApiFrame.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;
using files::Files;

// A receive packet of `text` from one unit, escaped as on the wire.
std::string Frame(const std::string& text) {
    std::string data = std::string("\x90\x00\x13\xA2\x00\x40\xA1\xB2\x7E\xFF\xFE\x41", 12) + text;
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), wire);
    return std::string(reinterpret_cast<const char*>(wire), n);
}

class CaptureFileTest : public FileFixture {
protected:
    void StartCapture(const QString& name) {
        Program.UnitType = RavoZerarXB;
        popups->ExpectFile("Save API Frame Data To:",
                           {ui::FileSelection::Status::NewFile, Path(name)});
        ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
        ASSERT_EQ(Program.APIFrameDataFileOpen, 1);
    }
    static void Capture(const std::string& bytes) {
        for (char byte : bytes)
            CallHook(hooks.CaptureByte, std::uint8_t(byte));
    }
    // Stops capturing and reads the file.
    std::string Captured() {
        const QString path = Files.capture.SaveAPIFrameDataFileName;
        ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);
        return ReadAll(path).toStdString();
    }

    const std::string first = "xy" + Frame("C001,D1,S08,01234");
    const std::string second = Frame("C001,D1,S08,01235");
    const std::string noise = std::string("\x00\x11", 2);
    const std::string third = Frame("C001,D1,S08,01236");
    const std::string fourth = Frame("C001,D1,S08,01237");
};

TEST_F(CaptureFileTest, AFullDiskLeavesOnlyWholeFramesAndTheLostFramesAreCounted) {
    const std::string spaceText = std::strerror(ENOSPC);
    struct Case {
        long room; // bytes that fit once the first frame is in
        bool secondKept;
        int framesLost;
    };
    const Case cases[] = {
        {0, false, 2},                       // the second frame's start delimiter fails
        {5, false, 2},                       // inside the second frame
        {long(second.size()) - 1, false, 2}, // its checksum, the byte that completes it
        {long(second.size()), true, 1},      // after it: the noise and the third fail
        {long(second.size() + 1), true, 1},  // inside the noise
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.room);
        StartCapture(QString("room%1.api").arg(c.room));
        Capture(first);
        {
            FillingDisk disk(c.room);
            Capture(second + noise + third);
            EXPECT_EQ(ui::GetTextColor(mainpanel::CaptureIndicator), ui::kRed);
            EXPECT_TRUE(ui::LastStatus().contains(QString::fromStdString(spaceText)))
                << ui::LastStatus().toStdString();
            disk.Free();
            Capture(fourth);
        }
        EXPECT_TRUE(ui::LastStatus().contains(
            QString("works again; %1 frames could not be written").arg(c.framesLost)))
            << ui::LastStatus().toStdString();
        const std::string expected =
            first +
            (c.secondKept ? second + noise.substr(0, std::size_t(c.room) - second.size())
                          : std::string()) +
            fourth;
        EXPECT_EQ(Captured(), expected);
    }
}

// A full disk that still takes a byte or three after each failure (the frame taken back out
// frees them) is not working again: that is said once, after a whole frame went in.
TEST_F(CaptureFileTest, WorksAgainIsSaidOnlyAfterAWholeFrame) {
    StartCapture("flapping.api");
    Capture(first);
    int worksAgain = 0;
    ui::SetStatusSink([&](const QString& text) { worksAgain += text.contains("works again"); });
    long takenSinceFailure = 0;
    bool full = true;
    files::SetWriteCall([&](int descriptor, const void* data, std::size_t count) -> long {
        if (full && takenSinceFailure + long(count) > 3) {
            takenSinceFailure = 0;
            errno = ENOSPC;
            return -1;
        }
        takenSinceFailure += long(count);
        return long(::write(descriptor, data, count));
    });
    for (int n = 0; n < 20; ++n)
        Capture(second + noise + third);
    EXPECT_EQ(worksAgain, 0);
    full = false;
    Capture(fourth);
    EXPECT_EQ(worksAgain, 1);
    files::SetWriteCall({});
    ui::SetStatusSink({});
    EXPECT_EQ(Captured(), first + fourth);
}

// Continuing a file that is no capture (a data file given by mistake) would cut its end off
// and add frames to it: it is refused and left as it is. An empty file is continued.
TEST_F(CaptureFileTest, OnlyACaptureIsContinued) {
    Program.UnitType = RavoZerarXB;
    const QByteArray data = "A004,S32,B0,2014-02-10T16:00:40,05.0664~\r\n";
    const struct {
        const char* name;
        QByteArray content;
        bool continued;
    } cases[] = {
        {"data.csv", data, false},
        {"text.api", "hello ~ world\r\n", false},
        {"empty.api", "", true},
        {"noise then frames.api", QByteArray("\x00\x11", 2) + QByteArray::fromStdString(first), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(Path(c.name), c.content);
        const bool started = files::StartCaptureFile(Path(c.name), files::RecordFile::Mode::Append);
        EXPECT_EQ(started, c.continued);
        if (!started) {
            EXPECT_TRUE(Files.capture.SaveAPIFrameDataHandle.ErrorText().contains("not a capture"));
            EXPECT_EQ(ReadAll(Path(c.name)), c.content);
        } else {
            ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);
        }
    }
}

// A pipe given as the capture (`log --capture FIFO`, or the window's file dialog) must not hold
// the program in open() until something reads it: that is refused at once, in both modes; a
// pipe that is read takes the frames.
TEST_F(CaptureFileTest, APipeNothingReadsIsRefusedAtOnceAndAReadPipeTakesTheFrames) {
    Program.UnitType = RavoZerarXB;
    const QString pipe = Path("pipe.api");
    ASSERT_EQ(::mkfifo(files::NativePath(pipe).c_str(), 0600), 0);
    for (const auto mode : {files::RecordFile::Mode::Append, files::RecordFile::Mode::Replace}) {
        auto started = std::async(std::launch::async,
                                  [&] { return files::StartCaptureFile(pipe, mode); });
        if (started.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
            // Lets the blocked open (and the look at the file's start) go, so that the test ends.
            const int unblock = ::open(files::NativePath(pipe).c_str(), O_RDWR);
            (void)!::write(unblock, "\x7E", 1);
            started.wait();
            ::close(unblock);
            ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);
            ADD_FAILURE() << "opening a pipe nothing reads waited for a reader";
            continue;
        }
        EXPECT_FALSE(started.get());
        EXPECT_TRUE(Files.capture.SaveAPIFrameDataHandle.ErrorText().contains("pipe"))
            << Files.capture.SaveAPIFrameDataHandle.ErrorText().toStdString();
    }
    if (HasFailure()) return; // the look at the start would wait for a writer as well
    const int reader = ::open(files::NativePath(pipe).c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(files::StartCaptureFile(pipe, files::RecordFile::Mode::Append));
    Capture(first);
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);
    std::string read(first.size() + 16, '\0');
    const ssize_t n = ::read(reader, read.data(), read.size());
    ::close(reader);
    EXPECT_EQ(read.substr(0, std::size_t(std::max<ssize_t>(n, 0))), first);
}

TEST_F(CaptureFileTest, AFrameTheLostPortCutShortIsTakenBackOut) {
    StartCapture("site.api");
    Capture(first + second.substr(0, 9));
    CallHook(hooks.CaptureStreamBroken);
    Capture(third);
    // A frame cut short by the end of the capture goes as well.
    Capture(fourth.substr(0, 4));
    EXPECT_EQ(Captured(), first + third);
}

TEST_F(CaptureFileTest, AContinuedFileThatEndsInAFrameCutShortLosesThatFrameOnly) {
    const struct {
        const char* what;
        std::string before;
        std::string kept;
    } cases[] = {
        {"a whole frame last", first + second, first + second},
        {"noise after the last frame", first + "zz", first + "zz"},
        {"a frame cut short", first + second.substr(0, 7), first},
        {"nothing but a frame cut short", second.substr(0, 3), ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = Path(QString("continued-%1.api").arg(c.before.size()));
        WriteAll(path, QByteArray::fromStdString(c.before));
        Program.UnitType = RavoZerarXB;
        ASSERT_TRUE(files::StartCaptureFile(path, files::RecordFile::Mode::Append));
        Capture(third);
        EXPECT_EQ(Captured(), c.kept + third);
    }
}

} // namespace
} // namespace undarix::testing
