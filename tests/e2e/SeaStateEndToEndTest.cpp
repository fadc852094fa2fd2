// The sea state end to end: simulated radio units whose clocks are about to pass midnight,
// their sea carrying injected spikes, flat stretches and gaps; the program logs and captures
// them while its Sea State page closes the day's last interval; then the companion, given the
// capture file and the data file of the same run, gives the very same records.

#include "analysis/SeaState.h"
#include "analysis/SeaStateRoles.h"
#include "analysis/codec/CalendarSeconds.h"
#include "analysis/codec/SeaStateFormat.h"
#include "cli/Cli.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "e2e/E2eFixture.h"
#include "sim/Calendar.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QTableWidget>
#include <QTemporaryDir>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace undarix::testing {
namespace {

using Key = std::pair<std::string, std::string>; // address, start

// Records of CSV lines by unit and interval start; `addressless` leaves the address out of
// the line (a data file knows its units by device number only).
std::map<Key, std::string> ByUnitAndStart(const std::vector<std::string>& lines, bool addressless) {
    std::map<Key, std::string> records;
    for (const std::string& line : lines) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');)
            fields.push_back(field);
        if (fields.size() < 3 || fields[0] == "device") continue;
        std::string rest = line;
        if (addressless) rest.erase(rest.find(fields[1]), fields[1].size());
        records[{addressless ? fields[0] : fields[1], fields[2]}] = rest;
    }
    return records;
}

std::vector<std::string> CompanionRecords(const QStringList& arguments) {
    std::string out, err;
    cli::Console console;
    console.out = [&out](std::string_view bytes) { out.append(bytes); };
    console.err = [&err](std::string_view bytes) { err.append(bytes); };
    const int status = cli::RunCli(QStringList{"seastate"} + arguments, console);
    EXPECT_EQ(status, 0) << err;
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class SeaStateEndToEnd : public E2eTest {};

TEST_F(SeaStateEndToEnd, TheLiveTabAndTheCompanionFindTheSameRecordsAndWhatWasInjected) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<analysis::codec::SeaStateRecord> live;
    analysis::ConnectSeaStateRecords(
        [&live](const analysis::codec::SeaStateRecord& r) { live.push_back(r); });

    // The units keep their own clocks: no time sync.
    ui::SetInt(core::mainpanel::AutoTimeSyncSwitch, 0);
    ui::Dispatch(core::mainpanel::AutoTimeSyncSwitch, ui::Event::Commit);
    // Logging and capturing from before the first byte.
    popups->ExpectPrompt("SAVE FILE INTERVAL", "99");
    popups->ExpectFile("Save Output Data To:",
                       {ui::FileSelection::Status::NewFile, dir.filePath("site.csv")});
    ui::Dispatch(core::menu::SaveOutputData, ui::Event::Commit);
    popups->ExpectFile("Save API Frame Data To:",
                       {ui::FileSelection::Status::NewFile, dir.filePath("site.api")});
    ui::Dispatch(core::menu::SaveApiFrameData, ui::Event::Commit);
    ASSERT_EQ(core::Program.OutputDataFileOpen, 1);
    ASSERT_EQ(core::Program.APIFrameDataFileOpen, 1);

    sim::SimOptions options;
    options.units = 2;
    options.formats = "I";
    options.rate = 32;
    options.wave.hm0 = 1.5;
    options.wave.spikeEvery = 5.0;
    options.wave.spikeHeight = 4.0;
    options.wave.flatEvery = 12.0;
    options.wave.flatFor = 3.0;
    options.wave.gapEvery = 10.0;
    options.wave.gapFor = 2.0;
    ASSERT_TRUE(StartSimulator(options, [](sim::SimState& s) {
        // Both clocks 16 s before midnight.
        const double target = sim::FromCivil({2026, 12, 7, 23, 59, 44});
        for (sim::RadioUnit& unit : s.radio.units)
            unit.config.clockOffset = target - s.context.calendarBase;
    }));
    auto* table = ui::Widget<QTableWidget>(analysis::seastate::Table);
    ASSERT_TRUE(WaitFor([&] { return live.size() >= 2; }, 60.0)) << live.size();
    EXPECT_EQ(table->rowCount(), int(live.size()));

    ui::Dispatch(core::menu::StopSavingOutputData, ui::Event::Commit);
    ui::Dispatch(core::menu::StopSavingApiFrameData, ui::Event::Commit);
    const std::vector<analysis::codec::SeaStateRecord> closed = live; // closed while logging

    // What the page found of the injected faults in the day's last interval.
    for (const analysis::codec::SeaStateRecord& r : closed) {
        SCOPED_TRACE(r.deviceNumber);
        char start[20];
        analysis::codec::FormatIsoTime(r.start, start);
        EXPECT_STREQ(start, "2026-12-07T23:30:00");
        // Spikes at 23:59:45 and :55 (the one at :50 falls in a gap), a flat stretch from :48
        // cut by the gap at :50, and a lost block every 10 s.
        EXPECT_GE(r.qc.spikes, 2);
        EXPECT_GE(r.qc.flatSamples, 64);
        EXPECT_GE(r.qc.missing, 1800 * 32 - 16 * 32);
        EXPECT_GE(r.qc.longestGap, 1800 * 32 - 16 * 32 - 32); // the interval began long ago
        EXPECT_EQ(r.qc.flag, analysis::codec::kQcFail);
    }

    std::vector<std::string> liveLines;
    for (const analysis::codec::SeaStateRecord& r : closed)
        liveLines.push_back(analysis::codec::SeaStateCsvLine(r));
    const auto fromCapture = ByUnitAndStart(CompanionRecords({dir.filePath("site.api")}), false);
    const auto fromData = ByUnitAndStart(CompanionRecords({dir.filePath("site000.csv")}), true);
    const auto liveByKey = ByUnitAndStart(liveLines, false);
    const auto liveByDevice = ByUnitAndStart(liveLines, true);
    ASSERT_EQ(liveByKey.size(), 2u);
    for (const auto& [key, line] : liveByKey) {
        SCOPED_TRACE(key.first + " " + key.second);
        ASSERT_EQ(fromCapture.count(key), 1u);
        EXPECT_EQ(fromCapture.at(key), line);
    }
    for (const auto& [key, line] : liveByDevice) {
        SCOPED_TRACE(key.first + " " + key.second);
        ASSERT_EQ(fromData.count(key), 1u);
        EXPECT_EQ(fromData.at(key), line);
    }
}

} // namespace
} // namespace undarix::testing
