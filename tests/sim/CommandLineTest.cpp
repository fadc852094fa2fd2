// The options of undarix-sim.

#include "sim/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace undarix::sim::testing {
namespace {

ParseStatus Parse(std::vector<const char*> arguments, SimOptions& options, std::string& message) {
    arguments.insert(arguments.begin(), "undarix-sim");
    return ParseCommandLine(int(arguments.size()), arguments.data(), options, message);
}

TEST(SimCommandLine, NoOptionsIsOneRadioUnitOfKindZero) {
    SimOptions options;
    std::string message;
    ASSERT_EQ(Parse({}, options, message), ParseStatus::Run);
    EXPECT_EQ(options.kind, 0);
    EXPECT_EQ(options.units, 1);
    EXPECT_EQ(options.formats, "A");
}

TEST(SimCommandLine, OptionsAreRead) {
    SimOptions options;
    std::string message;
    ASSERT_EQ(Parse({"--kind",     "2",
                     "--units=9",  "--format",
                     "A,I,C",      "--rate",
                     "16",         "--hm0",
                     "0.75",       "--tp=6",
                     "--tide",     "--seed",
                     "42",         "--link",
                     "/tmp/x",     "--drop",
                     "0.1",        "--corrupt",
                     "0.2",        "--delay",
                     "0.3",        "--delay-ms",
                     "250",        "--mute-command",
                     "WS",         "--mute-command",
                     "r",          "--silent",
                     "--bad-stop", "--clamp-calibration",
                     "--firmware", "1.90",
                     "--staffs",   "6",
                     "--asleep",   "--air-temperature",
                     "--mean",     "2.5",
                     "--gamma",    "2"},
                    options, message),
              ParseStatus::Run)
        << message;
    EXPECT_EQ(options.kind, 2);
    EXPECT_EQ(options.units, 9);
    EXPECT_EQ(options.formats, "AIC");
    EXPECT_EQ(options.rate, 16);
    EXPECT_EQ(options.wave.hm0, 0.75);
    EXPECT_EQ(options.wave.tp, 6.0);
    EXPECT_TRUE(options.wave.tide);
    EXPECT_EQ(options.wave.meanLevel, 2.5);
    EXPECT_EQ(options.wave.gamma, 2.0);
    EXPECT_EQ(options.seed, 42u);
    EXPECT_EQ(options.linkPath, "/tmp/x");
    EXPECT_EQ(options.faults.dropFraction, 0.1);
    EXPECT_EQ(options.faults.corruptFraction, 0.2);
    EXPECT_EQ(options.faults.delayFraction, 0.3);
    EXPECT_EQ(options.faults.delayMs, 250);
    EXPECT_EQ(options.faults.mutedCommands, (std::vector<std::string>{"WS", "r"}));
    EXPECT_TRUE(options.faults.silent);
    EXPECT_TRUE(options.faults.badStop);
    EXPECT_TRUE(options.faults.clampCalibration);
    EXPECT_EQ(options.firmware, "1.90");
    EXPECT_EQ(options.staffs, 6);
    EXPECT_TRUE(options.asleep);
    EXPECT_TRUE(options.airTemperature);
}

TEST(SimCommandLine, TheSeasStormAndInjectedFaultsAreRead) {
    SimOptions options;
    std::string message;
    ASSERT_EQ(
        Parse({"--storm", "3.5,11,7200", "--spike-every", "20", "--spike-height=-2.5",
               "--flat-every", "300", "--flat-for", "4", "--gap-every=600", "--gap-for", "16"},
              options, message),
        ParseStatus::Run)
        << message;
    EXPECT_EQ(options.wave.stormHm0, 3.5);
    EXPECT_EQ(options.wave.stormTp, 11.0);
    EXPECT_EQ(options.wave.stormSeconds, 7200.0);
    EXPECT_EQ(options.wave.spikeEvery, 20.0);
    EXPECT_EQ(options.wave.spikeHeight, -2.5);
    EXPECT_EQ(options.wave.flatEvery, 300.0);
    EXPECT_EQ(options.wave.flatFor, 4.0);
    EXPECT_EQ(options.wave.gapEvery, 600.0);
    EXPECT_EQ(options.wave.gapFor, 16.0);
}

TEST(SimCommandLine, BadOptionsAreRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--kind", "8"},           {"--kind"},
        {"--units", "0"},          {"--format", "X"},
        {"--rate", "abc"},         {"--drop", "1.5"},
        {"--staffs", "7"},         {"--hm0", "-1"},
        {"--frobnicate"},          {"--tide=1"},
        {"--mute-command", "ABC"}, {"--storm", "3,10"},
        {"--storm", "3,10,0"},     {"--storm", "3,10,60,1"},
        {"--storm", "40,10,60"},   {"--spike-every", "0"},
        {"--gap-for", "-1"},
    };
    for (const auto& arguments : bad) {
        SimOptions options;
        std::string message;
        EXPECT_EQ(Parse(arguments, options, message), ParseStatus::Error) << arguments[0];
        EXPECT_FALSE(message.empty());
    }
}

TEST(SimCommandLine, HelpDocumentsEveryOption) {
    SimOptions options;
    std::string message;
    EXPECT_EQ(Parse({"--help"}, options, message), ParseStatus::Help);
    const std::string help = HelpText();
    for (const char* option : {"--kind",
                               "--units",
                               "--format",
                               "--rate",
                               "--hm0",
                               "--tp",
                               "--tide",
                               "--seed",
                               "--link",
                               "--drop",
                               "--corrupt",
                               "--delay",
                               "--delay-ms",
                               "--silent",
                               "--mute-command",
                               "--bad-stop",
                               "--clamp-calibration",
                               "--firmware",
                               "--staffs",
                               "--asleep",
                               "--air-temperature",
                               "--power-down-delay",
                               "--mean",
                               "--gamma",
                               "--storm",
                               "--spike-every",
                               "--spike-height",
                               "--flat-every",
                               "--flat-for",
                               "--gap-every",
                               "--gap-for"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

} // namespace
} // namespace undarix::sim::testing
