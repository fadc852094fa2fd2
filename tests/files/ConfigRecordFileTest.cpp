// The settings record beside the data file: whole lines, and each file of the series begun
// with every unit's latest settings.

#include "FileFixture.h"
#include "files/ConfigRecordFile.h"
#include "files/DataFile.h"

namespace undarix::testing {
namespace {

using namespace core;

class ConfigRecordFileTest : public FileFixture {};

TEST_F(ConfigRecordFileTest, EachDataFileOfTheSeriesStartsWithEveryUnitsLatestSettings) {
    const std::uint64_t a = 0x0013A20000000001, b = 0x0013A20000000002;
    // Read before any data file: kept, and the first file starts with it.
    files::RecordUnitSettings(a, R"({"unit":"a","n":0})");
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 1)));
    StartLogging("site.csv");
    EXPECT_EQ(ReadAll(Path("site000-config.jsonl")), "{\"unit\":\"a\",\"n\":0}\n");

    files::RecordUnitSettings(b, R"({"unit":"b","n":1})");
    files::RecordUnitSettings(a, R"({"unit":"a","n":2})");
    EXPECT_EQ(ReadAll(Path("site000-config.jsonl")),
              "{\"unit\":\"a\",\"n\":0}\n{\"unit\":\"b\",\"n\":1}\n{\"unit\":\"a\",\"n\":2}\n");

    // The data file rotates: its record with it, beginning with each unit's latest line.
    SetNow(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)));
    ui::TickTimer(timer::FileInterval);
    ASSERT_EQ(QFileInfo(files::Files.data.SaveOutputDataFileName).fileName(), "site001.csv");
    EXPECT_EQ(ReadAll(Path("site001-config.jsonl")),
              "{\"unit\":\"a\",\"n\":2}\n{\"unit\":\"b\",\"n\":1}\n");
    files::RecordUnitSettings(b, R"({"unit":"b","n":3})");
    EXPECT_EQ(ReadAll(Path("site001-config.jsonl")),
              "{\"unit\":\"a\",\"n\":2}\n{\"unit\":\"b\",\"n\":1}\n{\"unit\":\"b\",\"n\":3}\n");

    // No data file, no record.
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    EXPECT_EQ(files::ConfigRecordFileName(), "");
    files::RecordUnitSettings(a, R"({"unit":"a","n":4})");
    EXPECT_EQ(ReadAll(Path("site001-config.jsonl")).count('\n'), 3);
    EXPECT_FALSE(QFileInfo::exists(Path("site002-config.jsonl")));
}

// A unit's settings are read once: a line the full disk refused is written as soon as the disk
// takes data lines again, whole and once, so the data file does not go on without them.
TEST_F(ConfigRecordFileTest, SettingsTheFullDiskRefusedAreWrittenOnceTheDiskTakesLinesAgain) {
    const std::uint64_t a = 0x0013A20000000001, b = 0x0013A20000000002;
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 1)));
    StartLogging("site.csv");
    const QString record = Path("site000-config.jsonl");
    FillingDisk disk(10);
    files::RecordUnitSettings(a, R"({"unit":"a","n":0})");
    files::RecordUnitSettings(b, R"({"unit":"b","n":1})");
    files::WriteOutputToFile(Decoded(0x42, "C042,D1,S08,01234", {1.234f}));
    EXPECT_EQ(ReadAll(record), "");

    disk.Free();
    files::WriteOutputToFile(Decoded(0x42, "C042,D1,S08,01235", {1.235f}));
    const QByteArray whole = "{\"unit\":\"a\",\"n\":0}\n{\"unit\":\"b\",\"n\":1}\n";
    EXPECT_EQ(ReadAll(record), whole);
    files::WriteOutputToFile(Decoded(0x42, "C042,D1,S08,01236", {1.236f}));
    EXPECT_EQ(ReadAll(record), whole);
}

// The record, or the folder with the data file, removed under the log: the record is made
// again beside the data file, begun with every unit's latest line.
TEST_F(ConfigRecordFileTest, ARecordRemovedUnderTheLogIsMadeAgainWithEveryUnitsSettings) {
    const std::uint64_t a = 0x0013A20000000001, b = 0x0013A20000000002;
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 1)));
    const QString folder = Path("logs");
    ASSERT_TRUE(QDir().mkpath(folder));
    StartLogging("logs/site.csv");
    files::RecordUnitSettings(a, R"({"unit":"a"})");
    files::RecordUnitSettings(b, R"({"unit":"b"})");
    const QByteArray whole = "{\"unit\":\"a\"}\n{\"unit\":\"b\"}\n";
    const std::function<void()> damages[] = {
        [&] { QFile::remove(folder + "/site000-config.jsonl"); },
        [&] { QDir(folder).removeRecursively(); },
    };
    for (const auto& damage : damages) {
        damage();
        ui::TickTimer(timer::FileSync);
        const QString record = files::ConfigRecordFileName();
        ASSERT_EQ(QFileInfo(record).absolutePath(), QFileInfo(folder).absoluteFilePath());
        EXPECT_EQ(ReadAll(record), whole);
    }
}

} // namespace
} // namespace undarix::testing
