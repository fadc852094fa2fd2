#include "files/DataFile.h"

#include "core/Hooks.h"
#include "core/UnitKind.h"
#include "files/CaptureFile.h"
#include "files/FileFixture.h"
#include "files/LineReader.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;
using files::Files;

const std::string kBlockHeader = "004,S32,B0,2014-02-10T16:00:40";

// A packet text of a block kind: the 31-character header and its samples (content unused).
std::string BlockText(char kind, int device, int rate) {
    char header[40];
    std::snprintf(header, sizeof header, "%c%03d,S%02d,B2,2026-12-07T12:00:%02d", kind, device,
                  rate, device);
    return header + std::string("\x01") + std::string(200, '\x7E');
}

std::vector<float> Values(int count, int seed) {
    std::vector<float> values(std::size_t(count), 0.0f);
    for (int k = 0; k < count; ++k)
        values[std::size_t(k)] = float((k + 1) * 7919 * seed % 130000 - 60000) / 10000.0f;
    return values;
}

class DataFileTest : public FileFixture {
protected:
    // Writes one line of the unit's last packet.
    static void Write(std::uint64_t address, const std::string& text,
                      const std::vector<float>& values) {
        files::WriteOutputToFile(Decoded(address, text, values));
    }
    void SetDay(int month, int day) { SetNow(QDateTime(QDate(2026, month, day), QTime(0, 0, 1))); }
    QString LoggedName() const { return QFileInfo(Files.data.SaveOutputDataFileName).fileName(); }
};

TEST_F(DataFileTest, APacketOfUnit4Gives289BytesWithItsHeaderAndFields) {
    StartLogging("site.csv");
    std::vector<float> values(32, 5.0664f);
    values[31] = -1.25f;
    Write(0x0013A20040A1B2C3, "A" + kBlockHeader + "\x01" + std::string(192, '0'), values);
    Write(0x0013A20040A1B2C4, "C001,D1,S08,05092", {5.092f});
    Write(0x0013A20040A1B2C4, "C001,D8,2014-02-10", {});

    std::string expected = "A" + kBlockHeader;
    for (int k = 0; k < 31; ++k)
        expected += ",05.0664";
    expected += ",-1.2500\r\nC001,D1,S08,05.0920\r\nC001,D8,2014-02-10\r\n";
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    EXPECT_EQ(ReadAll(Path("site000.csv")).toStdString(), expected);
    EXPECT_FALSE(QFileInfo::exists(Path("site.csv")));
}

TEST_F(DataFileTest, LinesReadBackGiveTheValuesCountsAndSpansThatWereWritten) {
    struct Case {
        char kind;
        int count;
        int rate;
    };
    const Case cases[] = {{'A', 32, 32}, {'F', 32, 8}, {'I', 64, 16}, {'i', 60, 4}, {'f', 60, 1}};
    StartLogging("site.csv");
    std::vector<std::vector<float>> written;
    for (int n = 0; n < 5; ++n) {
        written.push_back(Values(cases[n].count, n + 1));
        Write(0x1000 + n, BlockText(cases[n].kind, n + 1, cases[n].rate), written.back());
    }
    Write(0x2000, "C009,D1,S08,01234", {-1.234f});
    Write(0x2000, "C009,D1,S08,01235", {7.5f});
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    EXPECT_EQ(ReadAll(Path("site000.csv")).size(), 2 * 289 + 545 + 2 * 513 + 2 * 21);

    struct Plotted {
        int device;
        char kind;
        std::vector<float> values;
        float lastValue;
        int sampleCount;
        int offsetTime;
    };
    std::vector<Plotted> plotted;
    auto record = [&](int slot, int count) {
        const OutputLineRecord& r = OutputLine[slot];
        plotted.push_back({r.deviceNumber, r.packetKind,
                           std::vector<float>(WorkValue, WorkValue + count), r.lastValue,
                           r.sampleCount, r.offsetTime});
    };
    hooks.PlotData = [&](int slot) { record(slot, OutputLine[slot].sampleCount); };
    hooks.PlotContData = [&](int slot) { record(slot, 1); };
    Play(Path("site000.csv"));
    PlayToEnd();

    ASSERT_EQ(plotted.size(), 7u);
    for (int n = 0; n < 5; ++n) {
        const Plotted& p = plotted[std::size_t(n)];
        EXPECT_EQ(p.device, n + 1);
        EXPECT_EQ(p.kind, cases[n].kind);
        EXPECT_EQ(p.values, written[std::size_t(n)]) << cases[n].kind;
        EXPECT_EQ(p.lastValue, written[std::size_t(n)].back());
        EXPECT_EQ(p.sampleCount, cases[n].count);
        EXPECT_EQ(p.offsetTime, cases[n].count * 1000 / cases[n].rate);
    }
    EXPECT_EQ(plotted[5].values, std::vector<float>{-1.234f});
    EXPECT_EQ(plotted[6].lastValue, 7.5f);
    EXPECT_EQ(plotted[6].sampleCount, plotted[5].sampleCount + 1);
    const int slot = GetOutputLineLoc(9);
    EXPECT_EQ(OutputLine[slot].recordType, 1);
    EXPECT_EQ(OutputLine[slot].sampleRate, 8);
}

// The help gives an example line of every kind a data file holds, each laid out as the writer
// lays it out.
TEST_F(DataFileTest, TheHelpShowsAnExampleLineOfEveryKind) {
    popups->ExpectMessage("SAVE OUTPUT DATA TO A FILE");
    files::HelpOnSaveOutput2File();
    ASSERT_EQ(popups->Shown().size(), 1u);
    const QStringList lines = popups->Shown()[0].text.split('\n');
    const char* const prefixes[] = {"A004,S32,B0,2014-02-10T16:00:40,",
                                    "F004,S32,B0,2014-02-10T16:00:40,",
                                    "I004,S16,B0,2014-02-10T16:00:40,",
                                    "i004,S16,B0,2014-02-10T16:00:40,",
                                    "f004,S04,B0,2014-02-10T16:00:40,",
                                    "C001,D1,S08,05.0920 ",
                                    "C001,D8,2014-02-10 ",
                                    "C001,D9,16:00:40 ",
                                    "C001,D7,G ",
                                    "C001,D4,12.50 "};
    for (const char* prefix : prefixes)
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const QString& line) { return line.startsWith(prefix); }),
                  1)
            << prefix;
}

TEST_F(DataFileTest, AnIntervalOfOneStartsTheNextFileAtTheFirstDateChange) {
    SetDay(12, 7);
    StartLogging("site.csv");
    for (int i = 0; i < 3; ++i)
        ui::TickTimer(timer::FileInterval);
    EXPECT_EQ(LoggedName(), "site000.csv");
    EXPECT_TRUE(ui::IsTimerEnabled(timer::FileInterval));

    SetDay(12, 8);
    ui::TickTimer(timer::FileInterval);
    EXPECT_EQ(LoggedName(), "site001.csv");
    Write(0x42, "C042,D9,00:00:02", {});
    EXPECT_EQ(ReadAll(Path("site001.csv")), "C042,D9,00:00:02\r\n");
    EXPECT_EQ(ReadAll(Path("site000.csv")), "");
}

TEST_F(DataFileTest, RotationCountsDateChangesAndNinetyNineNeverRotates) {
    struct Case {
        const char* interval;
        int dateChanges;
        const char* file;
    };
    const Case cases[] = {{"1", 3, "s003.csv"}, {"2", 1, "s000.csv"},   {"2", 2, "s001.csv"},
                          {"2", 5, "s002.csv"}, {"98", 40, "s000.csv"}, {"99", 400, "s000.csv"}};
    for (const Case& c : cases) {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        QDate date(2026, 12, 30); // across the turn of the year and the months
        SetNow(QDateTime(date, QTime(12, 0)));
        StartLogging("s.csv", c.interval);
        for (int change = 0; change < c.dateChanges; ++change) {
            date = date.addDays(1);
            SetNow(QDateTime(date, QTime(0, 0, 5)));
            ui::TickTimer(timer::FileInterval);
            ui::TickTimer(timer::FileInterval);
        }
        EXPECT_EQ(LoggedName(), c.file) << c.interval << " " << c.dateChanges;
        EXPECT_EQ(Program.OutputDataFileOpen, 1);
        ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    }
}

TEST_F(DataFileTest, RotationSkipsFilesThatAlreadyExist) {
    WriteAll(Path("site001.csv"), "keep me");
    SetDay(12, 7);
    StartLogging("site.csv");
    SetDay(12, 8);
    ui::TickTimer(timer::FileInterval);
    EXPECT_EQ(LoggedName(), "site002.csv");
    EXPECT_EQ(ReadAll(Path("site001.csv")), "keep me");
}

TEST_F(DataFileTest, TheLastNumberKeepsTakingDataAndTheUserIsToldOnce) {
    SetDay(12, 7);
    StartLogging("site.csv");
    Files.data.SaveFileNameCounter = 997;
    SetDay(12, 8);
    ui::TickTimer(timer::FileInterval);
    EXPECT_EQ(LoggedName(), "site998.csv");

    popups->ExpectMessage("LAST DATA FILE NUMBER");
    SetDay(12, 9);
    ui::TickTimer(timer::FileInterval);
    SetDay(12, 10);
    ui::TickTimer(timer::FileInterval); // no second message
    EXPECT_FALSE(QFileInfo::exists(Path("site999.csv")));
    Write(0x42, "C042,D9,00:00:02", {});
    EXPECT_EQ(ReadAll(Path("site998.csv")), "C042,D9,00:00:02\r\n");
    EXPECT_EQ(Program.OutputDataFileOpen, 1);
    EXPECT_TRUE(ui::IsVisible(mainpanel::LoggingIndicator));
}

TEST_F(DataFileTest, TheReplaceQuestionIsAboutTheNumberedFile) {
    // The chosen name exists, the numbered one does not: nothing to ask.
    WriteAll(Path("site.csv"), "mine");
    StartLogging("site.csv", "1", ui::FileSelection::Status::ExistingFile);
    EXPECT_EQ(Program.OutputDataFileOpen, 1);
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    EXPECT_EQ(ReadAll(Path("site.csv")), "mine");

    // The numbered one exists: No leaves it alone.
    WriteAll(Path("site000.csv"), "old data");
    ExpectStart("site.csv", "1", ui::FileSelection::Status::ExistingFile);
    popups->ExpectConfirm("Confirm Save File", false);
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    EXPECT_EQ(Program.OutputDataFileOpen, 0);
    EXPECT_EQ(ReadAll(Path("site000.csv")), "old data");
    EXPECT_FALSE(ui::IsDimmed(menu::SaveOutputData));

    ExpectStart("site.csv");
    popups->ExpectConfirm("Confirm Save File", true);
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    EXPECT_EQ(Program.OutputDataFileOpen, 1);
    EXPECT_EQ(ReadAll(Path("site000.csv")), "");
}

TEST_F(DataFileTest, StartAndStopSwitchMenuItemsIndicatorAndFlag) {
    EXPECT_FALSE(ui::IsDimmed(menu::SaveOutputData));
    EXPECT_TRUE(ui::IsDimmed(menu::StopSavingOutputData));
    StartLogging("site.csv");
    EXPECT_TRUE(ui::IsDimmed(menu::SaveOutputData));
    EXPECT_FALSE(ui::IsDimmed(menu::StopSavingOutputData));
    EXPECT_TRUE(ui::IsVisible(mainpanel::LoggingIndicator));
    EXPECT_EQ(ui::GetTextColor(mainpanel::LoggingIndicator), ui::kGreen);
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    EXPECT_EQ(Program.OutputDataFileOpen, 0);
    EXPECT_FALSE(ui::IsDimmed(menu::SaveOutputData));
    EXPECT_TRUE(ui::IsDimmed(menu::StopSavingOutputData));
    EXPECT_FALSE(ui::IsVisible(mainpanel::LoggingIndicator));
    EXPECT_FALSE(ui::IsTimerEnabled(timer::FileInterval));
}

// Cancel cancels silently; Enter on an empty or wrong entry saves nothing and says why.
TEST_F(DataFileTest, AnIntervalThatIsNoPositiveNumberSavesNothing) {
    for (std::optional<QString> reply :
         {std::optional<QString>(), std::optional<QString>(""), std::optional<QString>("x"),
          std::optional<QString>("0"), std::optional<QString>("-5")}) {
        ui::ShowStatus("before");
        popups->ExpectPrompt("SAVE FILE INTERVAL", reply);
        ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
        EXPECT_EQ(Program.OutputDataFileOpen, 0);
        if (!reply) {
            EXPECT_EQ(ui::LastStatus(), "before");
        } else {
            EXPECT_TRUE(ui::LastStatus().startsWith("Nothing is being saved"))
                << reply->toStdString();
        }
    }
    popups->ExpectPrompt("SAVE FILE INTERVAL", "7");
    popups->ExpectFile("Save Output Data To:", {});
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    EXPECT_EQ(Program.OutputDataFileOpen, 0);
    EXPECT_EQ(Files.data.SaveFileInterval, 7);
}

TEST_F(DataFileTest, AFileThatCannotBeOpenedSaysSoAndLeavesLoggingOff) {
    ExpectStart("no such folder/site.csv");
    popups->ExpectMessage("FILE OPEN ERROR");
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    EXPECT_EQ(Program.OutputDataFileOpen, 0);
    EXPECT_FALSE(ui::IsDimmed(menu::SaveOutputData));
    EXPECT_TRUE(ui::IsDimmed(menu::StopSavingOutputData));
    EXPECT_FALSE(ui::IsVisible(mainpanel::LoggingIndicator));

    // A rotation whose folder has gone makes it again and goes on: an unattended log must
    // not end at midnight.
    SetDay(12, 7);
    StartLogging("site.csv");
    ASSERT_TRUE(QDir(dir.path()).removeRecursively());
    SetDay(12, 8);
    ui::TickTimer(timer::FileInterval);
    EXPECT_EQ(Program.OutputDataFileOpen, 1);
    EXPECT_EQ(LoggedName(), "site001.csv");
    Write(0x42, "C042,D9,00:00:02", {});
    EXPECT_EQ(ReadAll(Path("site001.csv")), "C042,D9,00:00:02\r\n");
}

// Model: the lines counted as written are the lines on the disk, whatever happens to the
// file under the log; a removed file or folder is noticed at the next check (seconds), said,
// and made again, and the lines of a removed file are counted as lost.
TEST_F(DataFileTest, AFileOrFolderRemovedUnderTheLogIsMadeAgainAndOnlyLinesOnDiskCount) {
    struct Case {
        const char* what;
        std::function<void(const QString& folder)> damage;
        const char* said;
        bool linesLost;
        bool framesLost; // the capture beside it went too
    };
    const Case cases[] = {
        {"the file removed", [](const QString& f) { QFile::remove(f + "/site000.csv"); },
         "was removed", true, false},
        {"the folder removed", [](const QString& f) { QDir(f).removeRecursively(); },
         "was removed", true, true},
        {"the file moved away",
         [](const QString& f) { QFile::rename(f + "/site000.csv", f + "/kept.txt"); },
         "was moved away", false, false},
    };
    Program.UnitType = RavoZerarXB;
    const std::string frame("\x7E\x00\x05\x88\x01ID\x00\xE9", 9); // an AT response
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = Path(QString("logs %1").arg(c.what));
        ASSERT_TRUE(QDir().mkpath(folder));
        popups->ExpectPrompt("SAVE FILE INTERVAL", "99");
        popups->ExpectFile("Save Output Data To:",
                           {ui::FileSelection::Status::NewFile, folder + "/site.csv"});
        ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
        ASSERT_TRUE(files::StartCaptureFile(folder + "/site.api", files::RecordFile::Mode::Append));
        const std::uint64_t before = Files.data.linesWritten;
        const std::uint64_t lostBefore = Files.data.health.lostTotal;
        const std::uint64_t framesLostBefore = Files.capture.health.lostTotal;
        const auto capture = [&] {
            for (char byte : frame)
                CallHook(hooks.CaptureByte, std::uint8_t(byte));
        };
        for (int n = 0; n < 3; ++n) {
            Write(0x42, "C042,D9,00:00:0" + std::to_string(n), {});
            capture();
        }
        c.damage(folder);
        Write(0x42, "C042,D9,00:00:05", {}); // into the file that went
        capture();
        std::vector<QString> said;
        ui::SetStatusSink([&](const QString& text) { said.push_back(text); });
        ui::TickTimer(timer::FileSync);
        ui::SetStatusSink({});
        ASSERT_GE(said.size(), 2u);
        EXPECT_TRUE(said[0].contains(c.said)) << said[0].toStdString();
        EXPECT_TRUE(said[1].contains("Logging goes on in")) << said[1].toStdString();
        EXPECT_TRUE(QFileInfo::exists(folder + "/site000.csv"));
        EXPECT_TRUE(QFileInfo::exists(folder + "/site.api"));
        for (int n = 0; n < 4; ++n) {
            Write(0x42, "C042,D9,00:00:1" + std::to_string(n), {});
            capture();
        }
        ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
        ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);

        int onDisk = 0;
        for (const QString& name : QDir(folder).entryList({"*.csv", "*.txt"}, QDir::Files))
            onDisk += int(ReadAll(folder + "/" + name).count('\n'));
        EXPECT_EQ(Files.data.linesWritten - before, std::uint64_t(onDisk));
        EXPECT_EQ(Files.data.health.lostTotal - lostBefore, c.linesLost ? 4u : 0u);
        EXPECT_EQ(Files.capture.health.lostTotal - framesLostBefore, c.framesLost ? 4u : 0u);
        std::string frames;
        for (int n = c.framesLost ? 4 : 0; n < 8; ++n)
            frames += frame;
        EXPECT_EQ(ReadAll(folder + "/site.api").toStdString(), frames);
    }
}

TEST_F(DataFileTest, APathLongerThanTheNameBufferIsRefused) {
    const QString name = QString(250, 'n') + ".csv"; // numbered, it outgrows 259 characters
    ExpectStart(name);
    popups->ExpectMessage("FILE NAME TOO LONG");
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    EXPECT_EQ(Program.OutputDataFileOpen, 0);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(DataFileTest, AFullDiskLeavesOnlyWholeLinesAndTheLostLinesAreCounted) {
    const std::string spaceText = std::strerror(ENOSPC);
    // Where the disk fills: inside the second line, exactly after it, at its first byte.
    for (const long room : {5L, 21L, 0L}) {
        SCOPED_TRACE(room);
        StartLogging(QString("site%1.csv").arg(room));
        const QString path = Files.data.SaveOutputDataFileName;
        Write(0x42, "C042,D1,S08,01234", {1.234f});
        FillingDisk disk(room);
        Write(0x42, "C042,D1,S08,01235", {1.235f});
        Write(0x42, "C042,D1,S08,01236", {1.236f});
        Write(0x42, "C042,D9,00:00:02", {});
        const std::string expectedBefore = room >= 21
                                               ? "C042,D1,S08,01.2340\r\nC042,D1,S08,01.2350\r\n"
                                               : "C042,D1,S08,01.2340\r\n";
        EXPECT_EQ(ReadAll(path).toStdString(), expectedBefore);
        EXPECT_EQ(ui::GetTextColor(mainpanel::LoggingIndicator), ui::kRed);
        EXPECT_TRUE(ui::LastStatus().contains(QString::fromStdString(spaceText)))
            << ui::LastStatus().toStdString();
        EXPECT_EQ(Program.OutputDataFileOpen, 1);

        disk.Free();
        Write(0x42, "C042,D1,S08,01237", {1.237f});
        const int lost = room >= 21 ? 2 : 3;
        EXPECT_EQ(ReadAll(path).toStdString(), expectedBefore + "C042,D1,S08,01.2370\r\n");
        EXPECT_EQ(ui::GetTextColor(mainpanel::LoggingIndicator), ui::kGreen);
        EXPECT_TRUE(
            ui::LastStatus().contains(QString("works again; %1 lines could not be written (%2)")
                                          .arg(lost)
                                          .arg(QString::fromStdString(spaceText))))
            << ui::LastStatus().toStdString();
        EXPECT_EQ(Files.data.health.lostTotal, std::uint64_t(lost));
        ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    }
}

TEST_F(DataFileTest, TheFilesAreForcedToTheDiskWithinTenSecondsAndAtRotationAndClose) {
    EXPECT_LE(ui::GetTimerInterval(timer::FileSync), 10.0);
    EXPECT_TRUE(ui::IsTimerEnabled(timer::FileSync));
    StartLogging("site.csv");
    Program.UnitType = RavoZerarXB;
    ASSERT_TRUE(files::StartCaptureFile(Path("site.api"), files::RecordFile::Mode::Replace));
    files::RecordFile& file = Files.data.SaveOutputDataHandle;
    files::RecordFile& capture = Files.capture.SaveAPIFrameDataHandle;
    Write(0x42, "C042,D9,00:00:02", {});
    CallHook(hooks.CaptureByte, std::uint8_t(0x7E));
    EXPECT_TRUE(file.HasUnsyncedRecords());
    EXPECT_TRUE(capture.HasUnsyncedRecords());
    ui::TickTimer(timer::FileSync);
    EXPECT_FALSE(file.HasUnsyncedRecords());
    EXPECT_FALSE(capture.HasUnsyncedRecords()) << "each file is forced to the disk itself";
    Write(0x42, "C042,D9,00:00:03", {});
    // Rotation closes the full file, which forces it to the disk.
    SetDay(12, 8);
    ui::TickTimer(timer::FileInterval);
    ASSERT_EQ(LoggedName(), "site001.csv");
    EXPECT_FALSE(file.HasUnsyncedRecords());
}

TEST_F(DataFileTest, AFileAnotherProgramWritesIsRefusedAndLeftAsItIs) {
    WriteAll(Path("site000.csv"), "theirs\r\n");
    files::RecordFile theirs;
    ASSERT_TRUE(theirs.Open(Path("site000.csv"), files::RecordFile::Mode::Append));
    ExpectStart("site.csv", "1", ui::FileSelection::Status::ExistingFile);
    popups->ExpectConfirm("Confirm Save File", true);
    popups->ExpectMessage("FILE OPEN ERROR");
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    ASSERT_FALSE(popups->Shown().empty());
    EXPECT_TRUE(popups->Shown().back().text.contains("being written by another program"))
        << popups->Shown().back().text.toStdString();
    EXPECT_EQ(Program.OutputDataFileOpen, 0);
    EXPECT_EQ(ReadAll(Path("site000.csv")), "theirs\r\n");
}

TEST_F(DataFileTest, NothingIsWrittenWhileNeitherFileNorPortIsOpen) {
    Write(0x42, "C042,D9,00:00:02", {});
    EXPECT_FALSE(Files.data.SaveOutputDataHandle.IsOpen());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
} // namespace undarix::testing
