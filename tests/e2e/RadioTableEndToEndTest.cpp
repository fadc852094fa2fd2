// The program with a radio port on the simulated adapter: the units' frames cross a real
// pseudo-terminal into the receive path, the dispatcher and the device table.

#include "e2e/E2eFixture.h"
#include "sim/Calendar.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

namespace undarix::testing {
namespace {

constexpr std::uint32_t kBatteryGreen = 0x00CC00;

class RadioTableEndToEnd : public E2eTest {};

double Meters(double level) {
    return std::round(level * 1000.0) / 1000.0; // the units send millimetres
}

// The value field of a one-sample record "C001,D1,S04,01234\r\n", in meters.
double SingleValue(const std::string& text) {
    return std::strtol(text.c_str() + 12, nullptr, 10) / 1000.0;
}

sim::CivilTime ParseStamp(const QString& stamp) {
    const QByteArray s = stamp.toLatin1();
    sim::CivilTime t;
    t.year = std::atoi(s.constData());
    t.month = std::atoi(s.constData() + 5);
    t.day = std::atoi(s.constData() + 8);
    t.hour = std::atoi(s.constData() + 11);
    t.minute = std::atoi(s.constData() + 14);
    t.second = std::atoi(s.constData() + 17);
    return t;
}

TEST_F(RadioTableEndToEnd, UnitsOfMixedFormatsAppearSortedByAddressWithTheirRatesAndValues) {
    sim::SimOptions options;
    options.units = 3;
    options.formats = "AIC";
    const int rates[] = {16, 32, 4};
    ASSERT_TRUE(StartSimulator(options, [&](sim::SimState& s) {
        for (std::size_t i = 0; i < 3; ++i)
            s.radio.units[i].config.sampleRate = rates[i];
    }));
    const std::vector<std::uint64_t> units = UnitAddresses();
    auto unitOf = [&](std::uint64_t address) {
        return std::size_t(std::find(units.begin(), units.end(), address) - units.begin());
    };

    // Rows in ascending order of address, each with its unit's rate once it has sent samples.
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::vector<TableRow> rows = ShownRows();
            if (rows.size() != 3) return false;
            for (const TableRow& row : rows)
                if (unitOf(row.address) >= 3 || row.rate != rates[unitOf(row.address)])
                    return false;
            return true;
        },
        6.0));
    ASSERT_EQ(ShownAddresses(), SortedUnitAddresses());

    // What the table shows now (no event is handled until the end of the test) against what
    // the simulated units sent.
    for (const TableRow& row : ShownRows()) {
        SCOPED_TRACE(row.row);
        const std::size_t u = unitOf(row.address);
        const sim::RadioUnit unit = Unit(u, [](sim::RadioUnit& x) { return x; });
        EXPECT_EQ(row.device, unit.config.deviceNumber);
        EXPECT_EQ(row.power, 1);
        EXPECT_EQ(row.ledColor, kBatteryGreen);
        ASSERT_FALSE(unit.history.empty());
        const char format = sim::FormatLetter(unit.config.formatCode);
        if (format == 'C') {
            // The value of one of the latest samples; the time of the latest time record,
            // which comes every 32 samples; the offset counts the samples since then.
            bool recent = false;
            for (std::size_t k = 0; k < std::min<std::size_t>(8, unit.history.size()); ++k)
                recent |= std::abs(SingleValue(unit.history[unit.history.size() - 1 - k].text) -
                                   row.value) < 1e-4;
            EXPECT_TRUE(recent) << row.value;
            const double clock = Sim().Inspect(
                [&](sim::SimState& s) { return s.radio.units[u].ClockAt(Sim().Now(), s.context); });
            const double stamp = sim::FromCivil(ParseStamp(row.dateTime));
            EXPECT_LE(stamp, clock + 1.0) << row.dateTime.toStdString();
            EXPECT_GE(stamp, clock - 32.0 / rates[u] - 2.0) << row.dateTime.toStdString();
            EXPECT_EQ(row.offset % (1000 / rates[u]), 0);
            EXPECT_LE(row.offset, 32 * 1000 / rates[u]);
        } else {
            // The packet whose time stamp the row shows: its last sample is the value.
            auto packet = std::find_if(unit.history.begin(), unit.history.end(), [&](auto& p) {
                return p.text.compare(12, 19, row.dateTime.toStdString()) == 0;
            });
            ASSERT_NE(packet, unit.history.end()) << row.dateTime.toStdString();
            EXPECT_NEAR(row.value, Meters(packet->levels.back()), 1e-4);
            EXPECT_EQ(row.offset, int(packet->levels.size()) * 1000 / rates[u]);
        }
    }
}

TEST_F(RadioTableEndToEnd, ACorruptedFrameIsDroppedAndTheNextReceived) {
    sim::SimOptions options;
    options.units = 3;
    options.formats = "AFC";
    ASSERT_TRUE(StartSimulator(options, [](sim::SimState& s) {
        s.radio.units[0].config.sampleRate = 32;
        s.radio.units[1].config.sampleRate = 32;
    }));
    ASSERT_TRUE(WaitFor([&] { return ShownAddresses() == SortedUnitAddresses(); }, 5.0));

    // The next frame the adapter sends is damaged (one bit flipped).
    const long long damaged = Sim().Inspect([](sim::SimState& s) {
        s.context.faults.corruptNext = 1;
        return s.radio.framesSent;
    });
    constexpr long long kAround = 3;
    ASSERT_TRUE(WaitFor(
        [&] {
            return Sim().Inspect([](sim::SimState& s) { return s.radio.framesSent; }) >=
                   damaged + kAround + 1;
        },
        3.0));
    // The frames sent around it, as the adapter built them before the damage.
    const std::vector<std::vector<std::uint8_t>> around = Sim().Inspect([&](sim::SimState& s) {
        const long long first = s.radio.framesSent - (long long)s.radio.sent.size();
        std::vector<std::vector<std::uint8_t>> frames;
        for (long long k = damaged - kAround; k <= damaged + kAround; ++k)
            frames.push_back(s.radio.sent.at(std::size_t(k - first)));
        return frames;
    });
    auto served = [&](const std::vector<std::uint8_t>& data) {
        return std::any_of(Served().begin(), Served().end(),
                           [&](const ServedFrame& f) { return f.data == data; });
    };
    ASSERT_TRUE(WaitFor([&] { return served(around.back()); }, 3.0));

    // The dispatcher got the frames before the damaged one, then at once the ones after it.
    std::vector<std::vector<std::uint8_t>> expected = around;
    expected.erase(expected.begin() + kAround);
    bool consecutive = false;
    for (std::size_t p = 0; p + expected.size() <= Served().size() && !consecutive; ++p) {
        consecutive = true;
        for (std::size_t k = 0; k < expected.size() && consecutive; ++k)
            consecutive = Served()[p + k].data == expected[k];
    }
    EXPECT_TRUE(consecutive);
    const sim::SimStats stats = Sim().Stats();
    EXPECT_EQ(stats.corrupted, 1);
    EXPECT_EQ(stats.discarded, 0);

    // The unit whose frame was lost goes on being heard and shown.
    const ServedFrame lost{around[kAround]};
    if (lost.IsReceivePacket()) {
        const int before = FramesFrom(lost.Source());
        EXPECT_TRUE(WaitFor([&] { return FramesFrom(lost.Source()) > before; }, 3.0));
        const std::vector<std::uint64_t> shown = ShownAddresses();
        EXPECT_NE(std::find(shown.begin(), shown.end(), lost.Source()), shown.end());
    }
}

TEST_F(RadioTableEndToEnd, ANinthUnitIsRefusedWhileEightArePresent) {
    sim::SimOptions options;
    options.units = 9;
    options.formats = "C";
    options.rate = 8;
    ASSERT_TRUE(StartSimulator(options));
    const std::vector<std::uint64_t> units = UnitAddresses();
    ASSERT_TRUE(WaitFor([&] { return ShownAddresses().size() == 8; }, 5.0));
    std::vector<std::uint64_t> shown = ShownAddresses();
    ASSERT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    std::vector<std::uint64_t> outside;
    for (std::uint64_t address : units)
        if (std::find(shown.begin(), shown.end(), address) == shown.end())
            outside.push_back(address);
    ASSERT_EQ(outside.size(), 1u);
    const std::uint64_t ninth = outside[0];

    // The ninth unit keeps sending; none of its frames gets it a row.
    int refusedWrongly = 0;
    afterFrame = [&](const ServedFrame& frame) {
        if (frame.Source() != ninth) return;
        const std::vector<std::uint64_t> now = ShownAddresses();
        if (now != shown) ++refusedWrongly;
    };
    const int heard = FramesFrom(ninth);
    ASSERT_TRUE(WaitFor([&] { return FramesFrom(ninth) >= heard + 16; }, 5.0));
    EXPECT_EQ(refusedWrongly, 0);
    afterFrame = nullptr;

    // One of the eight falls silent: the presence timer frees its slot and the ninth takes it.
    const std::uint64_t silenced = shown[3];
    const std::size_t silencedUnit =
        std::size_t(std::find(units.begin(), units.end(), silenced) - units.begin());
    Unit(silencedUnit, [](sim::RadioUnit& unit) { unit.awake = false; });
    auto isShown = [](std::uint64_t address) {
        const std::vector<std::uint64_t> now = ShownAddresses();
        return std::find(now.begin(), now.end(), address) != now.end();
    };
    ASSERT_TRUE(DriveDisplayTimer([&] { return isShown(ninth); }, 10.0, silenced));

    std::vector<std::uint64_t> expected = shown;
    std::replace(expected.begin(), expected.end(), silenced, ninth);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ShownAddresses(), expected);
    // Its row shows its own device number and rate once its samples come in.
    const int device = int(std::find(units.begin(), units.end(), ninth) - units.begin()) + 1;
    EXPECT_TRUE(WaitFor(
        [&] {
            for (const TableRow& row : ShownRows())
                if (row.address == ninth) return row.device == device && row.rate == 8;
            return false;
        },
        2.0));
}

} // namespace
} // namespace undarix::testing
