// The radio side of the simulator through a pseudo-terminal, with the program's frame codec
// on the test side: the adapter's AT commands and transmit status, the unit command language,
// broadcast power, time sync and the sample packets.

#include "SerialEnd.h"
#include "link/codec/ApiFrame.h"
#include "sim/Simulator.h"
#include "support/CNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace undarix::sim::testing {
namespace {

using link::codec::kATCommandResponse;
using link::codec::kBroadcastAddress;
using link::codec::kReceivePacket;
using link::codec::kRemoteATCommandResponse;
using link::codec::kTransmitStatus;
using undarix::testing::CStrtod;

// The reply line without its CR LF.
std::string Line(const std::optional<std::string>& text) {
    if (!text) return "<no reply>";
    return text->substr(0, text->find_first_of("\r\n"));
}

class RadioSim : public ::testing::Test {
protected:
    void Start(SimOptions options) {
        simulator = std::make_unique<Simulator>(options);
        ASSERT_TRUE(simulator->Start()) << simulator->Error();
        port = std::make_unique<SerialEnd>(simulator->SlavePath());
        ASSERT_TRUE(port->IsOpen());
    }
    // Quiet units: one packet of 32 samples every 32 s keeps the replies easy to find.
    void StartQuiet(int kind = 0, int units = 1, const std::string& firmware = "") {
        SimOptions options;
        options.kind = kind;
        options.units = units;
        options.rate = 1;
        options.firmware = firmware;
        Start(options);
    }
    std::uint64_t Address(int unit = 0) {
        return simulator->Inspect(
            [&](SimState& s) { return s.radio.units[std::size_t(unit)].config.address; });
    }
    std::string Ask(const std::string& command, const std::string& replyPrefix, int unit = 0) {
        port->SendTransmit(Address(unit), command + "\r\n");
        return Line(port->WaitText(replyPrefix));
    }
    template <class Fn> auto Unit(Fn&& fn, int unit = 0) {
        return simulator->Inspect(
            [&](SimState& s) { return fn(s.radio.units[std::size_t(unit)]); });
    }

    std::unique_ptr<Simulator> simulator;
    std::unique_ptr<SerialEnd> port;
};

auto IsFrame(std::uint8_t id) {
    return [id](const Frame& f) { return !f.empty() && f[0] == id; };
}

TEST_F(RadioSim, AdapterPanIdIsReadSetAndWritten) {
    StartQuiet();
    port->SendLocalAT("ID");
    auto reply = port->WaitFrame(IsFrame(kATCommandResponse));
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 13u); // id, frame id, "ID", status, 8 value bytes
    EXPECT_EQ(std::string(reply->begin() + 2, reply->begin() + 4), "ID");
    EXPECT_EQ((*reply)[4], 0);
    EXPECT_EQ(FrameAddress(*reply, 5), 0x3332u);

    port->SendLocalAT(std::string("ID") + std::string("\0\0\0\0\0\0\x12\x34", 8));
    reply = port->WaitFrame(IsFrame(kATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->size(), 5u); // a set answers without a value
    EXPECT_EQ((*reply)[4], 0);

    port->SendLocalAT("ID");
    reply = port->WaitFrame(IsFrame(kATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ(FrameAddress(*reply, 5), 0x1234u);
    EXPECT_EQ(simulator->Inspect([](SimState& s) { return s.radio.adapter.savedPanId; }), 0x3332u);

    port->SendLocalAT("WR");
    reply = port->WaitFrame(IsFrame(kATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ(std::string(reply->begin() + 2, reply->begin() + 4), "WR");
    EXPECT_EQ((*reply)[4], 0);
    EXPECT_EQ(simulator->Inspect([](SimState& s) { return s.radio.adapter.savedPanId; }), 0x1234u);

    port->SendLocalAT("ZZ");
    reply = port->WaitFrame(IsFrame(kATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[4], 2); // invalid command
}

TEST_F(RadioSim, EveryTransmitRequestGetsATransmitStatus) {
    StartQuiet();
    simulator->Inspect([](SimState& s) { s.radio.units.push_back(s.radio.units[0]); });
    simulator->Inspect([](SimState& s) {
        s.radio.units[1].config.address += 1;
        s.radio.units[1].awake = false;
    });
    const struct {
        std::uint64_t destination;
        std::uint8_t delivery;
    } cases[] = {
        {Address(0), 0x00},         // reached
        {Address(0) + 1, 0x21},     // asleep: no acknowledge
        {0x0013A20099999999, 0x24}, // nobody of that address
        {kBroadcastAddress, 0x00},  // broadcast
    };
    for (const auto& c : cases) {
        port->SendTransmit(c.destination, "RS\r\n");
        const auto status = port->WaitFrame(IsFrame(kTransmitStatus));
        ASSERT_TRUE(status) << std::hex << c.destination;
        ASSERT_EQ(status->size(), 7u);
        EXPECT_EQ((*status)[1], 1); // the request's frame id
        EXPECT_EQ((*status)[5], c.delivery) << std::hex << c.destination;
    }
}

TEST_F(RadioSim, ReadCommandsAnswerInTheFormOfEachKind) {
    const struct {
        int kind;
        std::string modelDigits; // reply characters 13..15
        bool trips;
    } kinds[] = {{0, "401", false}, {1, "435", true}, {2, "436", true}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        StartQuiet(k.kind);
        EXPECT_EQ(Ask("RX", "$RX"), "$RX,1");
        const std::string model = Ask("RH", "$RH");
        ASSERT_GE(model.size(), 16u);
        EXPECT_EQ(model.substr(13, 3), k.modelDigits);
        EXPECT_EQ(Ask("RK", "$RK"), "$RK,2.10");
        EXPECT_EQ(Ask("RS", "$RS"), "$RS,1");
        EXPECT_EQ(Ask("RO", "$RO"), "$RO,1");
        EXPECT_EQ(Ask("WZ,2", "$WZ"), "$WZ,2");

        // Clock: yyyy-mm-ddThh:mm:ss, fields at 4, 9, 12, 15, 18, 21.
        const std::string clock = Ask("RT", "$RT");
        ASSERT_EQ(clock.size(), 23u) << clock;
        EXPECT_EQ(clock[8], '-');
        EXPECT_EQ(clock[14], 'T');
        EXPECT_EQ(clock[17], ':');
        EXPECT_EQ(Ask("RZ", "$RZ").substr(0, 14), clock.substr(0, 14).replace(2, 1, "Z"));

        // The 12-point table: field k at 4 + 9k holds the k-th point, 0 beyond the last.
        const std::string table = Ask("GA", "$GA");
        ASSERT_EQ(table.size(), 4u + 12 * 9) << table;
        const CalibrationSet set = Unit([](RadioUnit& u) { return u.config.sets[0]; });
        for (int f = 0; f < 12; ++f) {
            const double value = CStrtod(table.c_str() + 4 + 9 * f);
            EXPECT_NEAR(value, f < set.pointCount ? set.points[std::size_t(f)] : 0.0, 1e-4);
            EXPECT_EQ(table[std::size_t(4 + 9 * f + 8)], ',');
        }

        // Trip points and dead zone: the sonic kinds only.
        port->SendTransmit(Address(), "RG\r\n");
        EXPECT_EQ(port->WaitText("$RG", k.trips ? 2000 : 300).has_value(), k.trips);
        port.reset();
        simulator.reset();
    }
}

TEST_F(RadioSim, CalibrationSetsAreChosenByTheCommandLetter) {
    StartQuiet();
    EXPECT_EQ(Ask("GS", "$GS"), "$GS,3.000");
    EXPECT_EQ(Ask("TS", "$TS"), "$TS,5.000");
    EXPECT_EQ(Ask("FS,2.000", "$FS"), "$FS,2.000");
    EXPECT_EQ(Ask("SS,4.500", "$SS"), "$SS,4.500");
    EXPECT_EQ(Ask("GS", "$GS"), "$GS,2.000");
    EXPECT_EQ(Ask("TS", "$TS"), "$TS,4.500");
    EXPECT_EQ(Ask("ST,1", "$ST"), "$ST,1");
    EXPECT_EQ(Ask("GT", "$GT"), "$GT,1");
    EXPECT_EQ(Ask("TT", "$TT"), "$TT,1");
    // Changing the current mode does not move either set.
    EXPECT_EQ(Ask("WW,2", "$WW"), "$WW,2");
    EXPECT_EQ(Ask("RW", "$RW"), "$RW,2");
    EXPECT_EQ(Ask("GS", "$GS"), "$GS,2.000");

    // Points of set 2 only.
    EXPECT_EQ(Ask("SC,1", "$SC"), "$SC,1");
    EXPECT_EQ(Ask("SP,0.7500", "$SP"), "$SP,0.7500");
    EXPECT_EQ(Ask("SP,0.2500", "$SP"), "$SP,0.2500");
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.sets[1].pointCount; }), 2);
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.sets[1].points[0]; }), 0.25);
    EXPECT_EQ(Ask("SN,0.2500", "$SN"), "$SN,0.2500");
    const std::string table = Ask("TA", "$TA");
    EXPECT_NEAR(CStrtod(table.c_str() + 4), 0.75, 1e-9);
    EXPECT_NEAR(CStrtod(table.c_str() + 13), 0.0, 1e-9);
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.sets[0].pointCount; }), 6);
    // Factory values come back.
    EXPECT_EQ(Ask("SF,1", "$SF"), "$SF,1");
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.sets[1].pointCount; }), 4);
}

TEST_F(RadioSim, WritesAreAcknowledgedWithTheValueTakenAndStored) {
    StartQuiet();
    const struct {
        std::string command;
        std::string ack;
        std::string read;
        std::string readReply;
    } cases[] = {
        {"WS,16", "$WS,16", "RS", "$RS,16"},
        {"WS,40", "$WS,16", "RS", "$RS,16"}, // out of range: the unit keeps its rate
        {"WX,7", "$WX,7", "RX", "$RX,7"},
        {"WL,5", "$WL,5", "RL", "$RL,5"},
        {"WI,10", "$WI,10", "RI", "$RI,10"},
        {"WF,1", "$WF,1", "RF", "$RF,1"},
        {"WO,3", "$WO,3", "RO", "$RO,3"},
        {"WO,9", "$WO,3", "RO", "$RO,3"},
        {"WR,1", "$WR,1", "RR", "$RR,1"},
        {"WC,-12", "$WC,-12", "RC", "$RC,-12"},
        {"WQ,20-06-01T10:00", "$WQ,1", "RQ", "$RQ,2020-06-01T10:00"},
        {"WQ,20-13-01T10:00", "$WQ,0", "RQ", "$RQ,2020-06-01T10:00"},
        {"WT,14-02-28T23:59:30", "$WT,1", "RT", "$RT,2014-02-28T23:59:"},
        {"WT,14-02-29T00:00:00", "$WT,0", "RT", "$RT,2014-02-28T23:59:"},
        {std::string("W\xAA,SN-0042"), std::string("$W\xAA"), "RD", "$RD,SN-0042"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(Ask(c.command, c.ack.substr(0, 3)), c.ack);
        EXPECT_EQ(Ask(c.read, c.readReply.substr(0, 3)).substr(0, c.readReply.size()), c.readReply);
    }
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.sampleRate; }), 16);
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.deviceNumber; }), 7);
    // Unknown commands are not answered; the next command is.
    port->SendTransmit(Address(), "QQ,1\r\n");
    EXPECT_FALSE(port->WaitText("$Q", 300));
    EXPECT_EQ(Ask("RX", "$RX"), "$RX,7");
}

TEST_F(RadioSim, OldFirmwareKeepsGainOffsetAndAutomaticCalibration) {
    StartQuiet(0, 1, "1.90");
    EXPECT_EQ(Ask("RK", "$RK"), "$RK,1.90");
    EXPECT_EQ(Ask("FG,1.234", "$FG"), "$FG,1.234");
    EXPECT_EQ(Ask("GG", "$GG"), "$GG,1.234");
    EXPECT_EQ(Ask("SO,-0.125", "$SO"), "$SO,-0.125");
    EXPECT_EQ(Ask("TO", "$TO"), "$TO,-0.125");
    EXPECT_EQ(Ask("FX,0.500", "$FX"), "$FX,1");
    EXPECT_EQ(Ask("FY,2.500", "$FY"), "$FY,1");
    const double low = CStrtod(Ask("GL", "$GL").c_str() + 4);
    EXPECT_GT(low, 0.0); // the reading the unit took
    // No 12-point table on this firmware.
    port->SendTransmit(Address(), "GA\r\n");
    EXPECT_FALSE(port->WaitText("$GA", 300));
}

TEST_F(RadioSim, PowerDownAndBroadcastPowerOn) {
    SimOptions options;
    options.units = 3;
    options.rate = 32; // a packet a second
    options.asleep = true;
    options.powerDownDelay = 0.2;
    Start(options);
    EXPECT_FALSE(port->WaitText("A", 1500)); // asleep: nothing

    port->SendTransmit(kBroadcastAddress, "BP,1\r\n");
    ASSERT_TRUE(simulator->WaitUntil(
        [](const SimState& s) {
            for (const RadioUnit& u : s.radio.units)
                if (u.packetsSent == 0) return false;
            return true;
        },
        3000));
    EXPECT_TRUE(port->WaitText("A"));

    // One unit powered down by its own command; the others go on.
    EXPECT_EQ(Ask("WP,0", "$WP", 1), "$WP,0");
    ASSERT_TRUE(simulator->WaitUntil([](const SimState& s) { return !s.radio.units[1].awake; }));
    EXPECT_TRUE(simulator->Inspect([](SimState& s) { return s.radio.units[0].awake; }));

    port->SendTransmit(kBroadcastAddress, "BP,2\r\n");
    ASSERT_TRUE(simulator->WaitUntil(
        [](const SimState& s) { return !s.radio.units[0].awake && !s.radio.units[2].awake; }));
}

TEST_F(RadioSim, TimeSyncSetsTheClock) {
    StartQuiet();
    // "::" separators, and the letters that carry the seconds of the last packet.
    for (const std::string message : {"ZS,31-03-15T12:00:00.128", "ZS,31-03-15T12A00B00.128"}) {
        const int count = Unit([](RadioUnit& u) { return u.syncCount; });
        port->SendTransmit(Address(), message + "\r\n");
        ASSERT_TRUE(simulator->WaitUntil(
            [&](const SimState& s) { return s.radio.units[0].syncCount > count; }));
        // The named second begins 128/128 s after the message: the clock now reads 11:59:59.
        const std::string clock = Ask("RT", "$RT");
        EXPECT_TRUE(clock == "$RT,2031-03-15T11:59:59" || clock == "$RT,2031-03-15T12:00:00")
            << clock;
    }
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.syncCount; }), 2);
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.lastSyncTicks; }), 128);
    // A malformed message changes nothing.
    port->SendTransmit(Address(), "ZS,31-13-15T12:00:00.128\r\n");
    EXPECT_EQ(Ask("RX", "$RX"), "$RX,1");
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.syncCount; }), 2);
}

TEST_F(RadioSim, RemotePanIdIsReadSetAndWritten) {
    StartQuiet();
    const std::uint64_t unit = Address();
    port->SendRemoteAT(unit, "ID");
    auto reply = port->WaitFrame(IsFrame(kRemoteATCommandResponse));
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 23u);
    EXPECT_EQ(FrameAddress(*reply, 2), unit);
    EXPECT_EQ(std::string(reply->begin() + 12, reply->begin() + 14), "ID");
    EXPECT_EQ((*reply)[14], 0);
    EXPECT_EQ(FrameAddress(*reply, 15), 0x3332u);

    port->SendRemoteAT(unit, std::string("ID") + std::string("\0\0\0\0\0\0\x77\x77", 8));
    reply = port->WaitFrame(IsFrame(kRemoteATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->size(), 15u);
    EXPECT_EQ((*reply)[14], 0);

    // Now on another PAN ID than the adapter's, the unit is out of reach.
    port->SendTransmit(unit, "RX\r\n");
    const auto status = port->WaitFrame(IsFrame(kTransmitStatus));
    ASSERT_TRUE(status);
    EXPECT_EQ((*status)[5], 0x21);
    port->SendRemoteAT(unit, "WR");
    reply = port->WaitFrame(IsFrame(kRemoteATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[14], 4);
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.savedPanId; }), 0x3332u);

    // With the adapter on the new PAN ID it is reached again and saves it.
    port->SendLocalAT(std::string("ID") + std::string("\0\0\0\0\0\0\x77\x77", 8));
    ASSERT_TRUE(port->WaitFrame(IsFrame(kATCommandResponse)));
    port->SendRemoteAT(unit, "WR");
    reply = port->WaitFrame(IsFrame(kRemoteATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[14], 0);
    EXPECT_EQ(Unit([](RadioUnit& u) { return u.config.savedPanId; }), 0x7777u);
    EXPECT_EQ(Ask("RX", "$RX"), "$RX,1");
}

// Decodes a sample packet as the program does and compares it with what the unit measured.
void CheckPacket(const std::string& text, const SentPacket& sent, int device, int rate) {
    const char kind = text[0];
    SCOPED_TRACE(std::string(1, kind));
    EXPECT_EQ(std::atoi(text.c_str() + 1), device);
    EXPECT_EQ(std::atoi(text.c_str() + 6), rate);
    EXPECT_EQ(text[10], '0');
    const std::string stamp = text.substr(12, 19);
    EXPECT_EQ(stamp[4], '-');
    EXPECT_EQ(stamp[10], 'T');
    EXPECT_EQ(stamp[16], ':');
    const std::size_t count = kind == 'I' ? 64 : kind == 'i' ? 60 : 32;
    const std::size_t width = kind == 'A' ? 6 : kind == 'F' ? 4 : 2;
    ASSERT_EQ(text.size(), 33 + count * width);
    ASSERT_EQ(sent.levels.size(), count);
    for (std::size_t k = 0; k < count; ++k) {
        const char* at = text.data() + 33 + k * width;
        double meters = 0.0;
        if (kind == 'A') {
            meters = std::strtol(std::string(at, 6).c_str(), nullptr, 10) / 1000.0;
        } else if (kind == 'F') {
            float f = 0.0f;
            std::memcpy(&f, at, 4); // least significant byte first, as on this machine
            meters = f;
        } else {
            meters = std::int16_t(std::uint8_t(at[0]) | std::uint8_t(at[1]) << 8) / 1000.0;
        }
        EXPECT_NEAR(meters, sent.levels[k], kind == 'F' ? 1e-6 : 0.0005) << k;
    }
}

TEST_F(RadioSim, SamplePacketsDecodeToTheGeneratedLevels) {
    SimOptions options;
    options.units = 5;
    options.formats = "AFIiC";
    options.rate = 32;
    Start(options);
    std::string seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (seen.size() < 5 && std::chrono::steady_clock::now() < deadline) {
        const auto frame = port->WaitFrame(IsFrame(kReceivePacket), 3000);
        ASSERT_TRUE(frame);
        const std::string text = FrameText(*frame);
        const std::uint64_t address = FrameAddress(*frame, 1);
        if (seen.find(text[0]) != std::string::npos) continue;
        const auto unit = simulator->Inspect([&](SimState& s) {
            RadioUnit copy = *s.radio.FindUnit(address);
            return copy;
        });
        const auto sent = std::find_if(unit.history.begin(), unit.history.end(),
                                       [&](const SentPacket& p) { return p.text == text; });
        if (text[0] == 'C') {
            // The one-sample format: date, time, battery and air temperature, then samples.
            if (text.rfind("C005,D1,S32,", 0) != 0) continue;
            ASSERT_NE(sent, unit.history.end());
            EXPECT_NEAR(std::atoi(text.c_str() + 12) / 1000.0, sent->levels[0], 0.0005);
            seen += 'C';
            continue;
        }
        ASSERT_NE(sent, unit.history.end()) << text.substr(0, 33);
        CheckPacket(text, *sent, unit.config.deviceNumber, 32);
        seen += text[0];
    }
    EXPECT_EQ(seen.size(), 5u) << seen;
}

TEST_F(RadioSim, OneSampleFormatSendsDateTimeBatteryAndTemperature) {
    SimOptions options;
    options.formats = "C";
    options.rate = 8;
    Start(options);
    simulator->Inspect([](SimState& s) { s.radio.units[0].config.battery = Battery::Low; });
    const std::string date = Line(port->WaitText("C001,D8,", 6000));
    ASSERT_EQ(date.size(), 18u) << date;
    EXPECT_EQ(date[12], '-');
    const std::string time = Line(port->WaitText("C001,D9,"));
    ASSERT_EQ(time.size(), 16u) << time;
    EXPECT_EQ(time[10], ':');
    EXPECT_EQ(Line(port->WaitText("C001,D7,")), "C001,D7,L");
    EXPECT_EQ(Line(port->WaitText("C001,D4,")), "C001,D4,18.5");
    EXPECT_EQ(Line(port->WaitText("C001,D1,")).substr(0, 12), "C001,D1,S08,");
}

TEST_F(RadioSim, MoreUnitsThanTheTableHolds) {
    SimOptions options;
    options.units = 10;
    options.rate = 32;
    Start(options);
    std::set<std::uint64_t> heard;
    for (int i = 0; i < 60 && heard.size() < 10; ++i) {
        const auto frame = port->WaitFrame(IsFrame(kReceivePacket), 3000);
        ASSERT_TRUE(frame);
        heard.insert(FrameAddress(*frame, 1));
    }
    EXPECT_EQ(heard.size(), 10u);
}

TEST_F(RadioSim, FaultsDropCorruptDelayAndMute) {
    SimOptions options;
    options.rate = 1;
    Start(options);

    Faults faults;
    faults.corruptFraction = 1.0;
    simulator->SetFaults(faults);
    for (int i = 0; i < 5; ++i)
        port->SendLocalAT("ID");
    // Every frame fails its checksum: none arrives, all five are dropped (however long a
    // loaded machine takes to send them).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (port->DroppedFrames() < 5 && std::chrono::steady_clock::now() < deadline)
        EXPECT_FALSE(port->WaitFrame(IsFrame(kATCommandResponse), 100));
    EXPECT_EQ(port->DroppedFrames(), 5);

    faults = Faults{};
    faults.dropFraction = 1.0;
    simulator->SetFaults(faults);
    port->SendLocalAT("ID");
    EXPECT_FALSE(port->WaitFrame(IsFrame(kATCommandResponse), 300));

    faults = Faults{};
    faults.silent = true;
    simulator->SetFaults(faults);
    port->SendTransmit(Address(), "RX\r\n");
    EXPECT_FALSE(port->WaitFrame([](const Frame&) { return true; }, 300));

    faults = Faults{};
    faults.mutedCommands = {"WS", "ID"};
    simulator->SetFaults(faults);
    port->SendTransmit(Address(), "WS,4\r\n");
    EXPECT_TRUE(port->WaitFrame(IsFrame(kTransmitStatus))); // delivered, not answered
    EXPECT_FALSE(port->WaitText("$WS", 300));
    EXPECT_EQ(Ask("RS", "$RS"), "$RS,1");
    port->SendLocalAT("ID");
    EXPECT_FALSE(port->WaitFrame(IsFrame(kATCommandResponse), 300));

    faults = Faults{};
    faults.delayFraction = 1.0;
    faults.delayMs = 400;
    simulator->SetFaults(faults);
    const auto sent = std::chrono::steady_clock::now();
    port->SendLocalAT("ID");
    EXPECT_TRUE(port->WaitFrame(IsFrame(kATCommandResponse), 2000));
    EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(350));

    const SimStats stats = simulator->Stats();
    EXPECT_GE(stats.corrupted, 5);
    EXPECT_GE(stats.dropped, 2);
    EXPECT_GE(stats.delayed, 1);
}

TEST_F(RadioSim, LinkPathAndOneKnownFault) {
    const std::string link = "/tmp/undarix-sim-test-" + std::to_string(getpid());
    SimOptions options;
    options.rate = 1;
    options.linkPath = link;
    Start(options);
    char target[256] = {};
    const ssize_t n = readlink(link.c_str(), target, sizeof target);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(target, std::size_t(n)), simulator->SlavePath());

    simulator->CorruptNext(1);
    port->SendLocalAT("ID");
    port->SendLocalAT("WR");
    const auto reply = port->WaitFrame(IsFrame(kATCommandResponse));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[2], 'W'); // the first answer was damaged, the next one is whole
    EXPECT_EQ(port->DroppedFrames(), 1);
    EXPECT_EQ(simulator->GetFaults().corruptNext, 0);
    // Both answers as the adapter made them.
    const auto sent = simulator->Inspect([](SimState& s) { return s.radio.sent; });
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][2], 'I');
    EXPECT_EQ(sent[1][2], 'W');

    simulator->DropNext(1);
    port->SendLocalAT("ID");
    port->SendLocalAT("WR");
    const auto next = port->WaitFrame(IsFrame(kATCommandResponse));
    ASSERT_TRUE(next);
    EXPECT_EQ((*next)[2], 'W'); // the answer to "ID" never came
    EXPECT_EQ(simulator->Stats().dropped, 1);

    simulator->Stop();
    struct stat status {};
    EXPECT_NE(lstat(link.c_str(), &status), 0); // the link goes with the simulator
}

TEST_F(RadioSim, SurvivesGarbage) {
    StartQuiet();
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 20000; ++i)
        garbage.push_back(char(random()));
    // Frames of every length the length field allows, with wrong checksums, and some right.
    for (int length = 0; length < 300; length += 7) {
        garbage += std::string("\x7E", 1) + char(length >> 8) + char(length & 0xFF);
        for (int k = 0; k < length; ++k)
            garbage.push_back(char(random()));
    }
    port->Write(garbage);
    port->SendTransmit(Address(), "RZ,\xAA\xAA\r\n");
    port->SendTransmit(Address(), std::string("\0\0\0\r\n", 5));
    port->SendTransmit(Address(), "W\r\n");
    port->SendTransmit(Address(), "FP,nan\r\n");
    port->SendRemoteAT(Address(), std::string("ID") + std::string(20, '\x55'));
    // A lone start delimiter may have swallowed the next bytes; a frame later is answered.
    port->Write(std::string(300, '\0'));
    port->Drain();
    EXPECT_EQ(Ask("RX", "$RX"), "$RX,1");
    port->SendLocalAT("ID");
    EXPECT_TRUE(port->WaitFrame(IsFrame(kATCommandResponse)));
}

} // namespace
} // namespace undarix::sim::testing
