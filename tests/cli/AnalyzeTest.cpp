// analyze: a unit's samples placed as the chart places them and analysed as the analysis
// page analyses them.

#include "CliFixture.h"
#include "sim/WaveSignal.h"
#include "support/CNumbers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace undarix::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The simulator's sea (a JONSWAP random-phase sum) around a 5 m level, sampled at `rate`.
std::vector<double> JonswapSea(double hm0, double tp, double rate, int count, unsigned seed) {
    sim::WaveOptions wave;
    wave.hm0 = hm0;
    wave.tp = tp;
    const sim::WaveSignal sea(wave, 5.0, seed);
    std::vector<double> level(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        level[std::size_t(i)] = sea.LevelAt(i / rate);
    return level;
}

// The sea as a data file of "A" lines, 32 samples each; the lines listed in `missing` are left
// out (a gap in the record).
std::string SeaDataFile(const std::vector<double>& sea, int device, int rate,
                        const std::vector<int>& missing = {}) {
    std::string file;
    for (std::size_t first = 0, line = 0; first + 32 <= sea.size(); first += 32, ++line) {
        if (std::find(missing.begin(), missing.end(), int(line)) != missing.end()) continue;
        std::vector<float> values(sea.begin() + long(first), sea.begin() + long(first) + 32);
        file += DataLine('A', device, rate, int(first) / rate, values);
    }
    return file;
}

double Field(const std::string& out, const std::string& name) {
    const std::size_t at = out.find("\n" + name + " ");
    if (at == std::string::npos) return std::nan("");
    return CStrtod(out.c_str() + at + name.size() + 2);
}

class AnalyzeTest : public CliTest {};

TEST_F(AnalyzeTest, ASeaOfHm0OneAndAHalfMetresAndTp8SecondsIsFoundWithin5Percent) {
    const std::vector<double> sea = JonswapSea(1.5, 8.0, 4.0, 8192, 2026);
    WriteFile(Path("sea.csv"), "Date,Time\r\n" + SeaDataFile(sea, 5, 4));

    const CliRun run = RunInProcess({"analyze", Path("sea.csv"), "--device", "5"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string out = "\n" + run.out;
    EXPECT_NEAR(Field(out, "Hm0"), 1.5, 0.075) << run.out;
    EXPECT_NEAR(Field(out, "Tp"), 8.0, 0.4) << run.out;
    EXPECT_NEAR(Field(out, "mean"), 5.0, 0.01) << run.out;
    EXPECT_EQ(Field(out, "n"), 8192) << run.out;
    EXPECT_NEAR(Field(out, "df"), 4.0 / 8192, 1e-9) << run.out;
    EXPECT_EQ(Field(out, "rate"), 4);
    // Zero down-crossing waves of such a sea: about one per mean period, H1/3 near Hm0.
    EXPECT_GT(Field(out, "Tm01"), 5.0);
    EXPECT_LT(Field(out, "Tm02"), Field(out, "Tm01"));
    EXPECT_NEAR(Field(out, "waves"), 2048 / Field(out, "Tm02"), 40);
    EXPECT_NEAR(Field(out, "H1/3"), 1.5, 0.2);
    EXPECT_GT(Field(out, "Hmax"), Field(out, "H1/3"));
}

TEST_F(AnalyzeTest, JsonOutputParsesWithTheResultsAndTheSpectrum) {
    const std::vector<double> sea = JonswapSea(1.5, 8.0, 4.0, 4096, 1);
    WriteFile(Path("sea.csv"), SeaDataFile(sea, 5, 4));
    const CliRun text = RunInProcess({"analyze", Path("sea.csv"), "--device", "5", "--tide",
                                      "--window", "Flat Top", "--units", "asd", "--db"});
    const CliRun run = RunInProcess({"analyze", Path("sea.csv"), "--device", "5", "--json",
                                     "--tide", "--window", "flat-top", "--units", "asd", "--db"});
    ASSERT_EQ(run.status, 0) << run.err;
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(document.isObject());
    const QJsonObject json = document.object();
    for (const char* key : {"device", "sampleRate", "n", "df", "mean", "hm0", "tp", "tm01", "tm02",
                            "waves", "h13", "hmax", "unit", "frequency", "spectrum"})
        EXPECT_TRUE(json.contains(key)) << key;
    EXPECT_EQ(json["n"].toInt(), 4096);
    EXPECT_EQ(json["unit"].toString(), "dB M rms/sqrt(Hz)");
    const QJsonArray frequency = json["frequency"].toArray();
    const QJsonArray spectrum = json["spectrum"].toArray();
    ASSERT_EQ(frequency.size(), 2048);
    ASSERT_EQ(spectrum.size(), 2048);
    EXPECT_DOUBLE_EQ(frequency[1].toDouble(), json["df"].toDouble());
    EXPECT_DOUBLE_EQ(frequency[2047].toDouble(), 2047 * 4.0 / 4096);
    // The JSON and the text tell the same.
    const std::string out = "\n" + text.out;
    EXPECT_NEAR(json["hm0"].toDouble(), Field(out, "Hm0"), 1e-4);
    EXPECT_NEAR(json["tp"].toDouble(), Field(out, "Tp"), 1e-3);
    EXPECT_EQ(json["waves"].toInt(), int(Field(out, "waves")));
}

TEST_F(AnalyzeTest, TheStretchAndTheMissingPointsAreTakenAsThePanelTakesThem) {
    // 4 Hz, 32 samples a line: line 10 (seconds 80 to 88, points 320 to 351) is missing.
    const std::vector<double> sea = JonswapSea(1.0, 6.0, 4.0, 4096, 3);
    WriteFile(Path("gap.csv"), SeaDataFile(sea, 9, 4, {10}));
    const struct {
        QStringList options;
        int n;
    } cases[] = {
        {{}, 4096 - 32},
        {{"--from", "100", "--to", "612.7"}, 2048}, // points 400 to 2448, whole seconds
        {{"--to", "100"}, 400 - 32},                // the gap lies inside
        {{"--from", "80.9", "--to", "88"}, 0},      // only the gap
        {{"--from", "1000"}, 4096 - 4000},          // to the end of the record
        {{"--from", "-5", "--to", "1"}, 4},         // held at the start
        {{"--from", "2000", "--to", "3000"}, 0},    // after the record
    };
    for (const auto& c : cases) {
        const CliRun run =
            RunInProcess(QStringList{"analyze", Path("gap.csv"), "--device", "9"} + c.options);
        if (c.n == 0) {
            EXPECT_EQ(run.status, 1) << c.options.join(' ').toStdString();
            EXPECT_NE(run.err.find("gap.csv: device 9 has no samples in the chosen stretch"),
                      std::string::npos)
                << run.err;
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Field("\n" + run.out, "n"), c.n) << c.options.join(' ').toStdString();
        // Under 2 minutes: said beside the figures.
        EXPECT_EQ(run.out.find("\nnote   Too short for a wave height: ") != std::string::npos,
                  c.n < 4 * 120)
            << run.out;
    }
    const CliRun json =
        RunInProcess({"analyze", Path("gap.csv"), "--device", "9", "--to", "30", "--json"});
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_DOUBLE_EQ(object["seconds"].toDouble(), 30.0);
    EXPECT_TRUE(object["warning"].toString().startsWith("Too short for a wave height: 30.0 s"));
}

TEST_F(AnalyzeTest, AtMost55296PointsFromTheUnitsFirstRecordAreTaken) {
    // 32 Hz: 55,296 points are 1,728 seconds; the record is longer and begins with a unit
    // that is not analysed.
    std::vector<double> level(32 * 1800);
    for (std::size_t i = 0; i < level.size(); ++i)
        level[i] = 2.0 + 0.5 * std::sin(2 * kPi * double(i) / 288.0); // 9 s
    const std::string other = DataLine('A', 1, 32, 0, std::vector<float>(32, 9.0f));
    WriteFile(Path("long.csv"), other + SeaDataFile(level, 2, 32));
    const CliRun run = RunInProcess({"analyze", Path("long.csv"), "--device", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field("\n" + run.out, "n"), 55296);
    EXPECT_NEAR(Field("\n" + run.out, "Tp"), 9.0, 1e-3);
    EXPECT_NEAR(Field("\n" + run.out, "mean"), 2.0, 0.001);
}

TEST_F(AnalyzeTest, ACaptureGivesWhatItsConvertedDataFileGives) {
    std::string wire;
    const std::vector<double> sea = JonswapSea(0.8, 5.0, 16.0, 64 * 64, 11);
    for (int block = 0; block < 64; ++block) {
        std::vector<int> mm;
        for (int k = 0; k < 64; ++k)
            mm.push_back(int(std::lround(sea[std::size_t(block * 64 + k)] * 1000)));
        wire += ReceivedFrame(0x0013A20040A1B2C3ull, IBlockText(3, 16, 4 * block, mm));
        wire += ReceivedFrame(0x0013A20040A1B2C4ull, IBlockText(4, 16, 4 * block, mm));
    }
    WriteFile(Path("sea.api"), wire);
    ASSERT_EQ(RunInProcess({"convert", Path("sea.api"), Path("sea.csv")}).status, 0);
    const CliRun fromCapture =
        RunInProcess({"analyze", Path("sea.api"), "--device", "3", "--json"});
    const CliRun fromData = RunInProcess({"analyze", Path("sea.csv"), "--device", "3", "--json"});
    ASSERT_EQ(fromCapture.status, 0) << fromCapture.err;
    EXPECT_EQ(fromCapture.out, fromData.out);
    EXPECT_NE(fromCapture.out.find("\"n\":4096"), std::string::npos);
}

TEST_F(AnalyzeTest, AUnitThatIsNotInTheFileIsBadInput) {
    WriteFile(Path("one.csv"), DataLine('A', 1, 32, 0, std::vector<float>(32, 1.0f)));
    const CliRun run = RunInProcess({"analyze", Path("one.csv"), "--device", "7"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("one.csv: no samples of device 7"), std::string::npos) << run.err;
}

} // namespace
} // namespace undarix::testing
