// The built program with the real field model, run in a scratch folder with its
// standard streams in files: exit status, console bytes, and the map's shape.
#include "scratch.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace ormeda {
namespace {

using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

// A plausible table: a dipole-like main term with small others, all 381 epochs alike
// but for a slow drift.
std::string plausibleTable() {
    std::string text;
    char number[32];
    for (int row = 0; row < kTableRows; ++row) {
        for (int column = 1; column <= kTableColumns; ++column) {
            double value = 0.0;
            if (column == 1) {
                value = 48.0;
            } else if (column == 2) {
                value = 1.0;
            } else if (column <= 10) {
                value = 0.02 * ((row + 3 * column) % 9 - 4);
            } else if (column == 11) {
                value = 0.4;
            } else {
                value = 0.003 * (1 + (row + column) % 4);
            }
            std::snprintf(number, sizeof number, "%.6f%c", value, column == 20 ? '\n' : ' ');
            text += number;
        }
    }
    return text;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runProgram(const std::string& input) {
    writeFile("stdin.txt", input);
    const std::string command =
        std::string("'") + ORMEDA_EXECUTABLE + "' < stdin.txt > stdout.txt 2> stderr.txt";
    const int raw = std::system(command.c_str());
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return {status, readFile("stdout.txt"), readFile("stderr.txt")};
}

TEST(Program, CompleteRun) {
    ScratchFolder folder;
    writeFile(kCoefficientFile, plausibleTable());
    const Outcome first = runProgram("1000\n");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(first.out, "            ** ORMEDA **\r\n"
                         "Palaeointensity & Directional Archaeomagnetic\r\n"
                         "         Prediction for Europe            \r\n"
                         "         for the last 2000 years\r\n"
                         " \r\n"
                         " ** Declination, Inclination and Intensity Maps **\r\n"
                         "      Time : 0 to 1900 AD (years)\r\n"
                         " \r\n"
                         "Give Time (0 to 1900 AD):\r\n"
                         " \r\n"
                         "Stop - Program terminated.\r\n");
    const std::string map = readFile("grid_ormeda.dat");
    std::size_t lines = 0;
    std::size_t at = 0;
    for (std::size_t end; (end = map.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = map.substr(at, end - at);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        if (++lines > 16) {
            EXPECT_EQ(line.size(), 83u) << "line " << lines;
        }
    }
    EXPECT_EQ(at, map.size()); // the last line is ended too
    EXPECT_EQ(lines, 1212u);
    EXPECT_EQ(map.substr(map.size() - 85, 15), "  60.00   30.00");

    // A second run with the same date gives the same bytes.
    const std::string before = map;
    const Outcome second = runProgram("1000\n");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(readFile("grid_ormeda.dat"), before);
}

TEST(Program, MissingTable) {
    ScratchFolder folder;
    const Outcome r = runProgram("1000\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("run-time error: cannot open ORMEDA_coeff.inp for reading: ", 0), 0u)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(kCoefficientFile));
    EXPECT_EQ(readFile("grid_ormeda.dat").size(), 380u); // the eleven banner lines
}

TEST(Program, StandardInputIsADirectory) {
    ScratchFolder folder;
    std::filesystem::create_directory("in");
    const std::string command =
        std::string("'") + ORMEDA_EXECUTABLE + "' < in > stdout.txt 2> stderr.txt";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_EQ(readFile("stderr.txt"), std::string("run-time error: standard input: read failed: ") +
                                          std::strerror(EISDIR) + "\n");
}

} // namespace
} // namespace ormeda
