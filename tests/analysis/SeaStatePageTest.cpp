// The Sea State page of the window: units heard on the port give a row per interval (newest
// first, flags in colour) and points on the plot; while logging, the records go to the
// sea-state file beside the data file and rotate with it; a silent unit's interval closes on
// the clock; the settings group sets the quality control.

#include "analysis/SeaStatePage.h"
#include "analysis/SeaState.h"
#include "analysis/SeaStateFile.h"
#include "analysis/SeaStateRoles.h"
#include "analysis/SeaStateSettings.h"
#include "analysis/codec/CalendarSeconds.h"
#include "analysis/codec/SeaStateFormat.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/DataFile.h"
#include "files/FileState.h"
#include "link/ReceiveState.h"
#include "live/DeviceTable.h"
#include "live/FrameDispatch.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;
namespace seastate = analysis::seastate;

constexpr std::uint64_t kUnitA = 0x0013A20040A1B2C3ull;
constexpr std::uint64_t kUnitB = 0x0013A20040A1B2C0ull;

std::string Address(std::uint64_t address) {
    std::string s;
    for (int i = 7; i >= 0; --i)
        s += char(address >> (8 * i));
    return s;
}

class SeaStatePageTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }

    // A receive packet through the dispatcher, as the receive path hands it on.
    static void Packet(std::uint64_t address, const std::string& text) {
        const std::string frame = "\x90" + Address(address) + std::string("\xFF\xFE\x41", 3) + text;
        std::memcpy(link::RxFrame, frame.data(), frame.size());
        link::UartXbee.frameLength = int(frame.size());
        RxDataService(0);
    }

    // "I" blocks (64 samples at 16 Hz, 4 s) of a sine with `amplitude`, from `second` after
    // 12:00:00 for `seconds`; `lost` says which blocks never arrive.
    static void Blocks(std::uint64_t address, int device, int second, int seconds, double amplitude,
                       const std::function<bool(int)>& lost = {}) {
        for (int s = second; s < second + seconds; s += 4) {
            if (lost && lost(s)) continue;
            char header[48];
            std::snprintf(header, sizeof header, "I%03d,S16,B0,2026-12-07T%02d:%02d:%02d,,", device,
                          12 + s / 3600, s % 3600 / 60, s % 60);
            std::string text = header;
            for (int k = 0; k < 64; ++k) {
                const double t = s + k / 16.0;
                const int mm = int(
                    std::lround(1500.0 + 1000.0 * amplitude * std::sin(std::numbers::pi * t / 4)));
                text += char(mm & 0xFF);
                text += char((mm >> 8) & 0xFF);
            }
            Packet(address, text);
        }
    }

    static QTableWidget* Table() { return ui::Widget<QTableWidget>(seastate::Table); }
    static QString Cell(int row, const char* heading) {
        QTableWidget* table = Table();
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->horizontalHeaderItem(c)->text() == heading)
                return table->item(row, c) ? table->item(row, c)->text() : QString();
        return "no column " + QString(heading);
    }
    static std::uint32_t CellColour(int row, const char* heading) {
        QTableWidget* table = Table();
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->horizontalHeaderItem(c)->text() == heading)
                return table->item(row, c)->background().color().rgb() & 0xFFFFFF;
        return 0;
    }

    QTemporaryDir dir;
};

TEST_F(SeaStatePageTest, AFourthTabAfterTheThreeThatWereThere) {
    auto* tabs = ui::Widget<QTabWidget>(mainpanel::MainTabs);
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "Chart");
    EXPECT_EQ(tabs->tabText(1), "Spectral Analysis");
    EXPECT_EQ(tabs->tabText(2), "Configuration");
    EXPECT_EQ(tabs->tabText(3), "Sea State");
    EXPECT_TRUE(tabs->widget(3)->isAncestorOf(panel->SeaStatePage()));
    for (ui::Role role :
         {seastate::Table, seastate::Plot, seastate::UnitList, seastate::IntervalRing,
          seastate::TideFilterSwitch, seastate::SpikeDeviations, seastate::FlatSeconds,
          seastate::MinPresent, seastate::RangeSwitch, seastate::RangeLow, seastate::RangeHigh,
          seastate::ShiftLimit, seastate::DefaultsButton})
        EXPECT_TRUE(ui::IsRegistered(role)) << role;
}

TEST_F(SeaStatePageTest, UnitsOnThePortGiveRowsNewestFirstWithTheirFlagsInColour) {
    std::vector<std::string> published;
    analysis::ConnectSeaStateRecords([&](const analysis::codec::SeaStateRecord& record) {
        published.push_back(analysis::codec::SeaStateJsonLine(record));
    });
    // Unit A whole; unit B loses a sixth of its blocks; then each sends the next interval's
    // first block, which closes its interval.
    Blocks(kUnitA, 3, 0, 1800, 0.5);
    Blocks(kUnitB, 5, 0, 1800, 0.25, [](int s) { return s % 400 < 60; });
    EXPECT_EQ(Table()->rowCount(), 0);
    Blocks(kUnitA, 3, 1800, 4, 0.5);
    Blocks(kUnitB, 5, 1800, 4, 0.25);

    ASSERT_EQ(Table()->rowCount(), 2);
    EXPECT_EQ(Cell(0, "Device"), "5"); // the newest at the top
    EXPECT_EQ(Cell(0, "Address"), "0013A20040A1B2C0");
    EXPECT_EQ(Cell(0, "Start"), "2026-12-07T12:00:00");
    EXPECT_EQ(Cell(0, "Quality"), "fail");
    EXPECT_EQ(CellColour(0, "Quality"), analysis::kFailColor);
    EXPECT_EQ(CellColour(0, "Missing"), analysis::kFailColor);
    EXPECT_EQ(Cell(0, "Missing"), QString::number(75 * 64)); // 15 of every 100 blocks
    EXPECT_EQ(Cell(1, "Device"), "3");
    EXPECT_EQ(Cell(1, "Quality"), "pass");
    EXPECT_EQ(CellColour(1, "Quality"), analysis::kPassColor);
    EXPECT_NEAR(Cell(1, "Hm0 (m)").toDouble(), 1.4142, 1e-3); // millimetres from the unit
    EXPECT_EQ(Cell(1, "Tp (s)"), "8.000");
    EXPECT_EQ(Cell(1, "Present"), "28800");

    // The plot: Hm0 and Tp of both units, then of unit 3 alone once 5 is unticked.
    auto* units = ui::Widget<QListWidget>(seastate::UnitList);
    ASSERT_EQ(units->count(), 2);
    EXPECT_TRUE(units->item(0)->text().startsWith("Device 3"));
    auto* plot = ui::Widget<QCustomPlot>(seastate::Plot);
    // Hm0 and Tp of each; unit 5's failed interval is a cross of its own, not on its lines.
    EXPECT_EQ(plot->graphCount(), 5);
    EXPECT_TRUE(std::isnan(plot->graph(2)->data()->begin()->value));
    EXPECT_EQ(plot->graph(4)->dataCount(), 1);
    EXPECT_EQ(plot->graph(4)->lineStyle(), QCPGraph::lsNone);
    // Why it failed is in the row, next to the flag.
    EXPECT_TRUE(Cell(0, "Why").contains("of the samples present")) << Cell(0, "Why").toStdString();
    EXPECT_TRUE(Cell(0, "Why").contains("(fail)"));
    EXPECT_EQ(Cell(1, "Why"), "");
    // Room above the highest Hm0; the legend lies outside the graph's area.
    EXPECT_GE(plot->yAxis->range().upper, 1.4142 * 1.2);
    plot->setViewport(QRect(0, 0, 600, 300)); // as if shown at that size
    plot->replot();
    EXPECT_TRUE(plot->legend->visible());
    EXPECT_GT(plot->axisRect()->rect().width(), 400);
    EXPECT_FALSE(plot->axisRect()->rect().intersects(plot->legend->outerRect()));
    units->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(plot->graphCount(), 2);
    EXPECT_EQ(plot->graph(0)->dataCount(), 1);
    EXPECT_NEAR(plot->graph(0)->data()->begin()->value, 1.4142, 1e-3);

    ASSERT_EQ(published.size(), 2u);
    EXPECT_NE(published[0].find("\"device\":3"), std::string::npos);
    EXPECT_NE(published[1].find("\"flag\":\"fail\""), std::string::npos);
}

TEST_F(SeaStatePageTest, PlayedBackFilesAreLeftToTheCompanion) {
    Program.DataSource = kSourceFile;
    Program.ServingPlayback = 1;
    Blocks(kUnitA, 3, 0, 1804, 0.5);
    Program.ServingPlayback = 0;
    EXPECT_EQ(Table()->rowCount(), 0);
    EXPECT_EQ(analysis::SeaState.accumulator.Units(), 0);
}

TEST_F(SeaStatePageTest, ASilentUnitsIntervalClosesOnTheClock) {
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 30, 1)), 0);
    Blocks(kUnitA, 3, 0, 1800, 0.5); // its last block spans 12:29:56 to 12:30:00
    ui::TickTimer(seastate::Timer);
    EXPECT_EQ(Table()->rowCount(), 0);
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 30, 30)), 0);
    ui::TickTimer(seastate::Timer);
    EXPECT_EQ(Table()->rowCount(), 0); // a packet under way may still come
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 30, 40)), 0);
    ui::TickTimer(seastate::Timer);
    ASSERT_EQ(Table()->rowCount(), 1);
    EXPECT_EQ(Cell(0, "Present"), "28800");
    EXPECT_TRUE(ui::IsTimerEnabled(seastate::Timer));
}

TEST_F(SeaStatePageTest, WhileLoggingRecordsGoBesideTheDataFileAndRotateWithIt) {
    popups->ExpectPrompt("SAVE FILE INTERVAL", "1");
    popups->ExpectFile("Save Output Data To:",
                       {ui::FileSelection::Status::NewFile, dir.filePath("site.csv")});
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    ASSERT_EQ(Program.OutputDataFileOpen, 1);
    Blocks(kUnitA, 3, 0, 1804, 0.5);
    const QString first = dir.filePath("site000-seastate.csv");
    EXPECT_EQ(analysis::SeaStateFileName(), first);

    // Midnight: the data file goes on as site001.csv, and so does the sea state.
    SetNow(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)));
    ui::TickTimer(timer::FileInterval);
    ASSERT_EQ(files::Files.data.SaveOutputDataFileName, dir.filePath("site001.csv"));
    Blocks(kUnitA, 3, 1804, 1800, 0.5);
    EXPECT_EQ(analysis::SeaStateFileName(), dir.filePath("site001-seastate.csv"));

    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    ui::TickTimer(seastate::Timer);
    EXPECT_TRUE(analysis::SeaStateFileName().isEmpty());
    Blocks(kUnitA, 3, 3604, 1800, 0.5); // not logging: no file

    const auto lines = [](const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll().split('\n');
    };
    const QList<QByteArray> a = lines(first), b = lines(dir.filePath("site001-seastate.csv"));
    ASSERT_EQ(a.size(), 3); // header, one record, and after the last line end nothing
    EXPECT_EQ(a[0].trimmed().toStdString(), analysis::codec::SeaStateCsvHeader());
    EXPECT_TRUE(a[1].startsWith("3,0013A20040A1B2C3,2026-12-07T12:00:00,30,16,0,1,pass,"));
    EXPECT_TRUE(a[1].endsWith("\r"));
    ASSERT_EQ(b.size(), 3);
    EXPECT_TRUE(b[1].startsWith("3,0013A20040A1B2C3,2026-12-07T12:30:00,"));
    EXPECT_EQ(QDir(dir.path()).entryList({"*-seastate.csv"}).size(), 2);
}

// Before the first record: the plot says why it is empty, and beside it each unit heard shows
// its interval under way. A new interval length says what it does with the intervals under
// way: dropped, and the new first record part-way.
TEST_F(SeaStatePageTest, BeforeTheFirstRecordThePageSaysWhatIsGathered) {
    auto* gathering = ui::Widget<QLabel>(seastate::Gathering);
    ASSERT_NE(gathering, nullptr);
    EXPECT_TRUE(gathering->text().startsWith("No unit heard")) << gathering->text().toStdString();
    auto* plot = ui::Widget<QCustomPlot>(seastate::Plot);
    auto* note = plot->findChild<QCPItemText*>("noRecordYet");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->visible());
    EXPECT_FALSE(plot->xAxis->tickLabels()); // no "01.01. 00:00" six times
    EXPECT_FALSE(plot->legend->visible());
    plot->setViewport(QRect(0, 0, 600, 300)); // as if shown at that size
    plot->replot();
    EXPECT_GT(plot->axisRect()->rect().width(), 400); // the note has the graph's room

    Blocks(kUnitA, 3, 0, 400, 0.5);
    Blocks(kUnitB, 5, 0, 8, 0.5);
    const QString text = analysis::SeaStateGatheringText();
    EXPECT_TRUE(text.contains("Gathering 30-min intervals")) << text.toStdString();
    EXPECT_TRUE(text.contains("Device 3: 6400 of 28800 samples since 12:00; record due 12:30"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Device 5: 128 of 28800 samples")) << text.toStdString();
    analysis::SeaStateTick(); // the label follows within a second
    EXPECT_EQ(gathering->text().toStdString(), text.toStdString());

    ui::SetInt(seastate::IntervalRing, 10);
    ui::Dispatch(seastate::IntervalRing, ui::Event::Commit);
    const QString said = ui::LastStatus();
    EXPECT_TRUE(said.contains("dropped without a record")) << said.toStdString();
    EXPECT_TRUE(said.contains("part-way")) << said.toStdString();
    EXPECT_FALSE(said.contains("next whole interval"));
    // And so it goes: the next samples open the 10-minute interval they fall in.
    Blocks(kUnitA, 3, 400, 4, 0.5);
    EXPECT_TRUE(analysis::SeaStateGatheringText().contains(
        "Device 3: 64 of 9600 samples since 12:00; record due 12:10"))
        << analysis::SeaStateGatheringText().toStdString();
    EXPECT_TRUE(note->visible());
}

TEST_F(SeaStatePageTest, TheSettingsGroupSetsTheQualityControl) {
    EXPECT_EQ(ui::GetInt(seastate::IntervalRing), 30);
    EXPECT_EQ(ui::GetListCount(seastate::IntervalRing), 4);
    EXPECT_DOUBLE_EQ(ui::GetReal(seastate::SpikeDeviations), 6.0);
    EXPECT_DOUBLE_EQ(ui::GetReal(seastate::FlatSeconds), 2.0);
    EXPECT_DOUBLE_EQ(ui::GetReal(seastate::MinPresent), 90.0);
    EXPECT_DOUBLE_EQ(ui::GetReal(seastate::ShiftLimit), 0.5);
    EXPECT_EQ(ui::GetInt(seastate::RangeSwitch), 0);
    EXPECT_TRUE(ui::IsDimmed(seastate::RangeLow));

    const auto& settings = [] { return analysis::SeaState.accumulator.Settings(); };
    Blocks(kUnitA, 3, 0, 60, 0.5);
    ui::SetInt(seastate::IntervalRing, 10);
    ui::Dispatch(seastate::IntervalRing, ui::Event::Commit);
    EXPECT_EQ(settings().intervalMinutes, 10);
    EXPECT_FALSE(analysis::SeaState.accumulator.HasOpenInterval(kUnitA));

    EXPECT_EQ(ui::GetInt(seastate::LevelSwitch), 1);
    EXPECT_DOUBLE_EQ(ui::GetReal(seastate::BandLow), 0.04);
    EXPECT_DOUBLE_EQ(ui::GetReal(seastate::BandHigh), 0.0); // auto
    ui::SetInt(seastate::LevelSwitch, 0);
    ui::Dispatch(seastate::LevelSwitch, ui::Event::Commit);
    ui::SetReal(seastate::BandLow, 0.05);
    ui::Dispatch(seastate::BandLow, ui::Event::Commit);
    ui::SetReal(seastate::BandHigh, 0.8);
    ui::Dispatch(seastate::BandHigh, ui::Event::Commit);
    EXPECT_FALSE(settings().removeSlowLevel);
    EXPECT_DOUBLE_EQ(settings().bandLowHz, 0.05);
    EXPECT_DOUBLE_EQ(settings().bandHighHz, 0.8);
    ui::SetReal(seastate::SpikeDeviations, 5.5);
    ui::Dispatch(seastate::SpikeDeviations, ui::Event::Commit);
    ui::SetInt(seastate::TideFilterSwitch, 1);
    ui::Dispatch(seastate::TideFilterSwitch, ui::Event::Commit);
    ui::SetInt(seastate::RangeSwitch, 1);
    ui::Dispatch(seastate::RangeSwitch, ui::Event::Commit);
    EXPECT_FALSE(ui::IsDimmed(seastate::RangeLow));
    EXPECT_DOUBLE_EQ(settings().qc.spikeDeviations, 5.5);
    EXPECT_TRUE(settings().tideFilter);
    EXPECT_DOUBLE_EQ(settings().qc.rangeLow, 0.0);
    EXPECT_DOUBLE_EQ(settings().qc.rangeHigh, 30.0);

    ui::Dispatch(seastate::DefaultsButton, ui::Event::Commit);
    EXPECT_EQ(settings().intervalMinutes, 30);
    EXPECT_DOUBLE_EQ(settings().qc.spikeDeviations, 6.0);
    EXPECT_FALSE(settings().tideFilter);
    EXPECT_TRUE(settings().removeSlowLevel);
    EXPECT_DOUBLE_EQ(settings().bandHighHz, 0.0);
    EXPECT_TRUE(std::isinf(settings().qc.rangeHigh));
    EXPECT_EQ(ui::GetInt(seastate::IntervalRing), 30);
}

TEST_F(SeaStatePageTest, AWiredUnitsStaffIsItsRangeUnlessTheUserSetsLimits) {
    struct Case {
        int unitType;
        float staffMm;
        int zeroMode;
        bool userLimits;
        double low, high;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {WiredRavoZerar402E, 2000.0f, 0, false, 0.0, 2.0},
        {DeveZuravi410, 3000.0f, 1, false, -0.5, 2.5},
        {DeveZuravi410, 0.0f, 0, false, -inf, inf},        // not read yet
        {RavoZerarXB, 2000.0f, 0, false, -inf, inf},       // radio units: the user's limits
        {WiredRavoZerar402E, 2000.0f, 0, true, -1.0, 4.0}, // the user's limits win
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unitType);
        Program.UnitType = c.unitType;
        Program.WSAll.StaffLength = c.staffMm;
        OutputLine[0].address = 0x105;
        OutputLine[0].zeroMode = c.zeroMode;
        OutputLine[0].zeroOffset = 0.5f;
        analysis::codec::SeaStateSettings settings;
        if (c.userLimits) {
            settings.qc.rangeLow = -1.0;
            settings.qc.rangeHigh = 4.0;
        }
        const analysis::codec::SeaStateSettings limited = analysis::WithStaffLimits(settings);
        EXPECT_DOUBLE_EQ(limited.qc.rangeLow, c.low);
        EXPECT_DOUBLE_EQ(limited.qc.rangeHigh, c.high);
    }
}

TEST_F(SeaStatePageTest, AWeekOfRecordsIsKeptInMemoryAndOnThePage) {
    // 8 days of a unit at 1 Hz, fed straight to the accumulator.
    std::vector<float> block(64, 1.5f);
    const std::int64_t start = analysis::codec::CalendarSeconds({2026, 12, 1, 0, 0, 0});
    for (std::int64_t s = 0; s < 8 * 86400; s += 64) {
        block[0] = float(1.5 + 0.001 * (s % 7)); // not a flat line
        analysis::SeaState.accumulator.AddBlock(kUnitA, 3, start + s, 1, block.data(), 64);
    }
    const auto& history = analysis::SeaState.history;
    ASSERT_GT(history.size(), 7u * 48u);
    EXPECT_LT(history.size(), 8u * 48u);
    EXPECT_GE(history.front().start, history.back().start - analysis::kHistorySeconds);
    EXPECT_EQ(Table()->rowCount(), int(history.size()));
}

TEST(SeaStateFileName, BesideTheDataFile) {
    EXPECT_EQ(analysis::SeaStateFileNameFor("/data/site000.csv"), "/data/site000-seastate.csv");
    EXPECT_EQ(analysis::SeaStateFileNameFor("/data/run.2/site012.csv"),
              "/data/run.2/site012-seastate.csv");
    EXPECT_EQ(analysis::SeaStateFileNameFor("site"), "site-seastate.csv");
}

} // namespace
} // namespace undarix::testing
