// Map regression: the built program, run on a small committed table of our own
// making (tests/data/regression_coeff.inp, from tools/fixtures/regression_coeff.py),
// must write the committed golden map files byte for byte, CR LF included, at a
// fractional date and at the last epoch, and the same bytes when run again.
#include "scratch.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace ormeda {
namespace {

using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

const std::string kDataDir = ORMEDA_TEST_DATA_DIR;
constexpr const char* kMapFile = "grid_ormeda.dat";

struct RegressionCase {
    const char* name;
    const char* date; // as typed at the prompt
    const char* golden;
};

const RegressionCase kCases[] = {
    {"FractionalDate", "1234.5", "regression_map_1234.5.dat"},
    {"LastEpoch", "1900", "regression_map_1900.dat"},
};

// Runs the program in the current folder with `date` typed at the prompt; returns
// its exit status and leaves its console output in stdout.txt and stderr.txt.
int runProgram(const std::string& date) {
    writeFile("stdin.txt", date + "\n");
    const std::string command =
        std::string("'") + ORMEDA_EXECUTABLE + "' < stdin.txt > stdout.txt 2> stderr.txt";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// The first line (1-based, CR LF ended) where two maps differ, with both versions,
// so that a failure names the node instead of dumping two 100 kB strings.
std::string firstDifference(const std::string& got, const std::string& expected) {
    std::size_t at = 0;
    for (int line = 1;; ++line) {
        const std::size_t endGot = got.find("\r\n", at);
        const std::size_t endExpected = expected.find("\r\n", at);
        const std::string a = got.substr(at, endGot == std::string::npos ? endGot : endGot - at);
        const std::string b =
            expected.substr(at, endExpected == std::string::npos ? endExpected : endExpected - at);
        if (a != b || endGot != endExpected) {
            return "line " + std::to_string(line) + ":\n  got      [" + a + "]\n  expected [" + b +
                   "]";
        }
        if (endGot == std::string::npos) {
            return "no difference";
        }
        at = endGot + 2;
    }
}

class MapRegressionTest : public ::testing::TestWithParam<RegressionCase> {};

TEST_P(MapRegressionTest, WritesTheGoldenMapAndTheSameBytesWhenRunAgain) {
    const RegressionCase& c = GetParam();
    const std::string table = readFile(kDataDir + "/regression_coeff.inp");
    const std::string golden = readFile(kDataDir + "/" + c.golden);
    ASSERT_FALSE(table.empty());
    std::size_t lines = 0;
    for (std::size_t at = golden.find("\r\n"); at != std::string::npos;
         at = golden.find("\r\n", at + 2)) {
        ++lines;
    }
    ASSERT_EQ(lines, 1212u) << "golden file " << c.golden;

    ScratchFolder folder;
    writeFile(kCoefficientFile, table);
    ASSERT_EQ(runProgram(c.date), 0) << readFile("stderr.txt");
    EXPECT_EQ(readFile("stderr.txt"), "");
    const std::string first = readFile(kMapFile);
    EXPECT_TRUE(first == golden) << firstDifference(first, golden);
    EXPECT_EQ(readFile(kCoefficientFile), table); // read only, although opened for update

    // The second run replaces the map file with the same bytes.
    ASSERT_EQ(runProgram(c.date), 0) << readFile("stderr.txt");
    const std::string second = readFile(kMapFile);
    EXPECT_TRUE(second == first) << firstDifference(second, first);
}

INSTANTIATE_TEST_SUITE_P(Dates, MapRegressionTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace ormeda
