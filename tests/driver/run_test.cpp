// The whole run in a scratch folder, with a stand-in field model: the console dialogue
// byte for byte, the map file's structure and walk order, and every way the run ends.
#include "cap_basis.hpp"
#include "fixed_point.hpp"
#include "fresh_state.hpp"
#include "full_disk.hpp"
#include "map_file.hpp"
#include "node_model.hpp"
#include "program_stop.hpp"
#include "run.hpp"
#include "scratch.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace ormeda {
namespace {

using testing::readFile;
using testing::sampleTableText;
using testing::sampleValue;
using testing::ScratchFolder;
using testing::writeFile;

const std::string kConsoleBanner = "            ** ORMEDA **\r\n"
                                   "Palaeointensity & Directional Archaeomagnetic\r\n"
                                   "         Prediction for Europe            \r\n"
                                   "         for the last 2000 years\r\n"
                                   " \r\n"
                                   " ** Declination, Inclination and Intensity Maps **\r\n"
                                   "      Time : 0 to 1900 AD (years)\r\n"
                                   " \r\n";
const std::string kPrompt = "Give Time (0 to 1900 AD):\r\n";
const std::string kAnswer = " \r\n"; // the line after each read
const std::string kRange = "Time is between 0 and 1900 AD\r\n";
const std::string kStop = "Stop - Program terminated.\r\n";

const std::string kMapBanner =
    "      ORMEDA Regional Archaeomagnetic Model\r\n"
    "         for Europe for the last 2000 years\r\n"
    " \r\n"
    " \r\n"
    "  Reference model: ORMEDA, regional archaeomagnetic field model\r\n"
    "  Palaeointensity and directional archaeomagnetic prediction\r\n"
    "  for Europe for the last 2000 years\r\n"
    "  Spherical cap harmonics: cap centre 45N 8E, half-angle 40 deg, K=2\r\n"
    "  Coefficients read from ORMEDA_coeff.inp\r\n"
    " \r\n"
    " \r\n";
const std::string kMapHeaderAfterTime =
    " \r\n"
    "                            *Errors at 95% of confidence\r\n"
    " \r\n"
    "   Lat     Lon    Dec(deg.)  Inc(deg.)   Int(mT)    eDec(deg.)  eInc(deg.)  eInt(mT)\r\n";

constexpr int kNodes = 1196;

// Records every call and answers with values that show what it was given: D and I
// echo the position, F and the errors echo columns of the interpolated row.
class StandIn : public NodeModel {
public:
    struct Call {
        bool pole;
        double lat;
        double lon;
    };

    void setCapPole(double poleLat, double poleLon) override {
        calls.push_back({true, poleLat, poleLon});
    }
    void evaluate(const DegreeTable& degrees, double lat, double lon, const EpochRow& row,
                  FieldElements& out) override {
        calls.push_back({false, lat, lon});
        lastDegrees = degrees;
        lastRow = row;
        out = {lat, lon, row(1), row(2), row(11), row(20)};
        if (onNode) {
            onNode(++nodes);
        }
    }

    std::vector<Call> calls;
    DegreeTable lastDegrees{};
    EpochRow lastRow;
    int nodes = 0;
    std::function<void(int)> onNode; // called with the node's number, from 1
};

struct RunResult {
    int status;
    std::string console;
    std::string err;
    std::string map;
};

RunResult runWith(const std::string& input, NodeModel& model, Console* console = nullptr) {
    testing::FreshState state;
    std::istringstream in(input);
    std::ostringstream err;
    const int status = runOrmeda(in, console ? *console : state.console(), err, model);
    return {status, state.transcript(), err.str(),
            std::filesystem::is_regular_file(kMapFile) ? readFile(kMapFile) : ""};
}

std::vector<std::string> crLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at)); // an unended last line shows as an extra line
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

class Run : public ::testing::Test {
protected:
    void SetUp() override { writeFile(kCoefficientFile, sampleTableText()); }

    ScratchFolder folder_;
    StandIn model_;
};

TEST_F(Run, WholeDialogueByteForByte) {
    // A rejected date, a blank line at the prompt, a slash (keeping the rejected date),
    // then an accepted date after another blank line.
    const RunResult r = runWith("2000\n\n/\n\n12.5\n", model_);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.console, kConsoleBanner + kPrompt + kAnswer + kRange + kPrompt + kAnswer + kRange +
                             kPrompt + kAnswer + kStop);
    EXPECT_EQ(r.map.substr(0, kMapBanner.size() + 18), kMapBanner + "Time:     12.5AD\r\n");
}

TEST_F(Run, MapStructureAndWalkOrder) {
    const RunResult r = runWith("12.5\n", model_);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = crLfLines(r.map);
    ASSERT_EQ(lines.size(), 16u + kNodes);
    EXPECT_EQ(r.map.substr(0, kMapBanner.size()), kMapBanner);
    EXPECT_EQ(lines[11], "Time:     12.5AD");
    EXPECT_EQ(r.map.substr(kMapBanner.size() + 18, kMapHeaderAfterTime.size()),
              kMapHeaderAfterTime);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    }

    // Longitude outside, latitude inside; the pole is set before each node's nudges.
    ASSERT_EQ(model_.calls.size(), 2u * kNodes);
    std::size_t k = 0;
    for (int lon = -15; lon <= 30; ++lon) {
        for (int lat = 35; lat <= 60; ++lat, ++k) {
            const auto& pole = model_.calls[2 * k];
            const auto& node = model_.calls[2 * k + 1];
            EXPECT_TRUE(pole.pole);
            EXPECT_EQ(pole.lat, 45.0);
            EXPECT_EQ(pole.lon, 8.0);
            EXPECT_FALSE(node.pole);
            EXPECT_EQ(node.lat, lat == 45 ? 45.001 : lat);
            EXPECT_EQ(node.lon, lon == 8 ? 8.001 : lon);
            // The record prints the nudged position, which shows as 45.00 and 8.00.
            const std::string& record = lines[16 + k];
            ASSERT_EQ(record.size(), kGridRecordLength);
            EXPECT_EQ(record.substr(0, 15), fixedField(lat, 7, 2) + fixedField(lon, 8, 2));
            EXPECT_EQ(record.substr(15, 21),
                      fixedField(node.lat, 10, 2) + fixedField(node.lon, 11, 2));
        }
    }
    EXPECT_EQ(lines[16].substr(0, 15), "  35.00  -15.00");
    EXPECT_EQ(lines[17].substr(0, 15), "  36.00  -15.00");
    EXPECT_EQ(lines.back().substr(0, 15), "  60.00   30.00");

    // The degree table of the start-up and the row interpolated to 12.5 AD reach the model.
    DegreeTable degrees{};
    CAPTAB(degrees);
    EXPECT_EQ(model_.lastDegrees, degrees);
    for (int j = 1; j <= kTableColumns; ++j) {
        EXPECT_EQ(model_.lastRow(j), (sampleValue(3, j) + sampleValue(4, j)) / 2.0);
    }
    EXPECT_EQ(lines.back().substr(36),
              fixedField(model_.lastRow(1), 11, 2) + fixedField(model_.lastRow(2), 12, 2) +
                  fixedField(model_.lastRow(11), 12, 2) + fixedField(model_.lastRow(20), 12, 2));
}

TEST_F(Run, SameDateGivesTheSameMap) {
    const RunResult first = runWith("1000\n", model_);
    StandIn again;
    const RunResult second = runWith("1000\n", again);
    EXPECT_EQ(first.map, second.map);
}

// Dates at the prompt: how many range messages, then the time line or the end of input.
struct DateCase {
    const char* name;
    const char* input;
    int rejected;
    const char* timeLine; // null: the input ends at a prompt
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.name;
}

class Dates : public Run, public ::testing::WithParamInterface<DateCase> {};

TEST_P(Dates, Dialogue) {
    const DateCase& c = GetParam();
    const RunResult r = runWith(c.input, model_);
    std::string console = kConsoleBanner;
    for (int i = 0; i < c.rejected; ++i) {
        console += kPrompt + kAnswer + kRange;
    }
    console += kPrompt;
    if (c.timeLine) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.console, console + kAnswer + kStop);
        EXPECT_EQ(crLfLines(r.map)[11], c.timeLine);
    } else {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.console, console);
        EXPECT_EQ(r.err, "run-time error: standard input: end of input before a date was given\n");
        EXPECT_EQ(r.map, kMapBanner);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Dates,
    ::testing::Values(
        DateCase{"Zero", "0\n", 0, "Time:       .0AD"},
        DateCase{"LastYear", "1900\n", 0, "Time:   1900.0AD"},
        DateCase{"Fraction", "12.5\n", 0, "Time:     12.5AD"},
        DateCase{"TenthBelowZero", "-0.1\n0\n", 1, "Time:       .0AD"},
        DateCase{"TenthAboveLastYear", "1900.1\n1900\n", 1, "Time:   1900.0AD"},
        DateCase{"SlashAtFirstPromptKeepsZero", "/\n", 0, "Time:       .0AD"},
        DateCase{"SlashKeepsRejectedDate", "2000\n/\n", 2, nullptr},
        DateCase{"NotANumberAndInfinities", "NaN\nInf\n-Infinity\n1000\n", 3, "Time:   1000.0AD"},
        DateCase{"ExponentAndTrailingText", "1.2D3 ignored words\n", 0, "Time:   1200.0AD"},
        DateCase{"CrLfAndNoLastLineEnd", "\r\n5e2", 0, "Time:    500.0AD"},
        DateCase{"EndOfInputAtFirstPrompt", "", 0, nullptr},
        DateCase{"BlankLinesThenEnd", "\n \n\t\n", 0, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// Each failure: its exit status, its report, and what the map file and console hold.
TEST_F(Run, UnreadableDate) {
    for (const auto& [input, report] :
         {std::pair{"1x\n", "standard input, line 1: \"1x\" is not a number"},
          std::pair{"\n\n1e400\n", "standard input, line 3: \"1e400\" is beyond the range of "
                                   "double precision"},
          std::pair{"2000\n12;5\n", "standard input, line 2: \"12;5\" is not a number"}}) {
        const RunResult r = runWith(input, model_);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string("run-time error: ") + report +
                             " (a date from 0 to 1900 AD was expected)\n");
        EXPECT_EQ(r.map, kMapBanner);
        EXPECT_EQ(r.console.substr(r.console.size() - kPrompt.size()), kPrompt);
    }
}

TEST_F(Run, MissingTable) {
    std::filesystem::remove(kCoefficientFile);
    const RunResult r = runWith("1000\n", model_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("run-time error: cannot open ORMEDA_coeff.inp for reading: ") +
                         std::strerror(ENOENT) + "\n");
    EXPECT_EQ(r.console, kConsoleBanner + kPrompt + kAnswer);
    EXPECT_EQ(r.map, kMapBanner);
    EXPECT_FALSE(std::filesystem::exists(kCoefficientFile)); // nothing created
    EXPECT_TRUE(model_.calls.empty());
}

TEST_F(Run, ShortTable) {
    const std::string full = sampleTableText();
    writeFile(kCoefficientFile, full.substr(0, full.rfind(' ')) + "\n");
    const RunResult r = runWith("1000\n", model_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "run-time error: ORMEDA_coeff.inp: end of file after 7619 of the 7620 "
                     "values (381 lines)\n");
    EXPECT_EQ(r.map, kMapBanner);
}

TEST_F(Run, MapCannotBeCreated) {
    std::filesystem::create_directory(kMapFile);
    const RunResult r = runWith("1000\n", model_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("run-time error: cannot create grid_ormeda.dat: ") +
                         std::strerror(EISDIR) + "\n");
    EXPECT_EQ(r.console, ""); // the map is opened before anything reaches the console
}

// The disk fills up during the grid walk: the map keeps every byte written before.
TEST_F(Run, MapWriteFailsDuringTheWalk) {
    const RunResult complete = runWith("1000\n", model_);
    ASSERT_EQ(complete.status, 0);
    std::filesystem::remove(kMapFile);

    constexpr rlim_t kLimit = 50000; // banner and header fit, the records do not
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = kLimit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    StandIn model;
    const RunResult r = runWith("1000\n", model);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("run-time error: cannot write grid_ormeda.dat: ") +
                         std::strerror(EFBIG) + "\n");
    EXPECT_EQ(r.map, complete.map.substr(0, kLimit));
    EXPECT_EQ(r.console, kConsoleBanner + kPrompt + kAnswer); // no stop line
    EXPECT_LT(model.nodes, kNodes);
}

TEST_F(Run, MapOnFullDevice) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no full device on this system";
    }
    std::filesystem::create_symlink("/dev/full", kMapFile);
    const RunResult r = runWith("1000\n", model_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("run-time error: cannot write grid_ormeda.dat: ") +
                         std::strerror(ENOSPC) + "\n");
    EXPECT_EQ(r.console, "");
}

using ormeda::testing::FullDisk;

TEST_F(Run, StandardOutputFails) {
    FullDisk disk;
    std::ostream out(&disk);
    Console console(out);
    const RunResult r = runWith("1000\n", model_, &console);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("run-time error: cannot write to standard output: ") +
                         std::strerror(ENOSPC) + "\n");
    EXPECT_EQ(r.map, kMapBanner);
}

// Stops from inside the field model close the map with the records written so far.
TEST_F(Run, ErrorPackageStopDuringTheWalk) {
    model_.onNode = [](int node) {
        if (node == 100) {
            stopAfterError();
        }
    };
    const RunResult r = runWith("1000\n", model_);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.console, kConsoleBanner + kPrompt + kAnswer + kStop);
    EXPECT_EQ(crLfLines(r.map).size(), 16u + 99u);
    EXPECT_EQ(r.map.substr(r.map.size() - 2), "\r\n");
}

TEST_F(Run, ReturnCodeStop) {
    model_.onNode = [](int) { stopWithReturnCode(kBasisReturnCode); };
    const RunResult r = runWith("1000\n", model_);
    EXPECT_EQ(r.status, 150);
    EXPECT_EQ(r.console, kConsoleBanner + kPrompt + kAnswer + "Return code 150\r\n");
    EXPECT_EQ(crLfLines(r.map).size(), 16u);
}

} // namespace
} // namespace ormeda
