// Loading the coefficient table (read-only, every failure reported) and interpolating
// it to a date: the epochs themselves, half-way points and continuity across epochs.
#include "coefficient_table.hpp"
#include "program_stop.hpp"
#include "scratch.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

namespace ormeda {
namespace {

using testing::readFile;
using testing::sampleTableText;
using testing::sampleValue;
using testing::ScratchFolder;
using testing::writeFile;

CoefficientTable sampleTable() {
    CoefficientTable table;
    for (int i = 1; i <= kTableRows; ++i) {
        for (int j = 1; j <= kTableColumns; ++j) {
            table(i, j) = sampleValue(i, j);
        }
    }
    return table;
}

// The report of the failure that ends the load.
std::string loadFailure(CoefficientTable& table) {
    try {
        loadCoefficientTable(table);
    } catch (const ProgramStop& stop) {
        EXPECT_EQ(stop.kind, ProgramStop::Kind::IoFailure);
        EXPECT_EQ(stop.status, 1);
        return stop.report;
    }
    ADD_FAILURE() << "the load succeeded";
    return {};
}

TEST(CoefficientTableLoad, LayoutOfTheFileDoesNotMatter) {
    ScratchFolder folder;
    const CoefficientTable expected = sampleTable();
    for (const std::string& text :
         {sampleTableText(), sampleTableText(7), sampleTableText(20, "\t", "\r\n"),
          sampleTableText(20, ", ", ",\n"), sampleTableText(kTableValues)}) {
        writeFile(kCoefficientFile, text);
        CoefficientTable table;
        loadCoefficientTable(table);
        EXPECT_EQ(table.value, expected.value);
        EXPECT_EQ(readFile(kCoefficientFile), text); // read, never written
    }
}

TEST(CoefficientTableLoad, RepeatsAndSlash) {
    ScratchFolder folder;
    const std::string full = sampleTableText();
    const std::string rest = full.substr(full.find('\n') + 1);
    writeFile(kCoefficientFile, "20*0\n" + rest);
    CoefficientTable table;
    loadCoefficientTable(table);
    for (int j = 1; j <= kTableColumns; ++j) {
        EXPECT_EQ(table(1, j), 0.0);
        EXPECT_EQ(table(2, j), sampleValue(2, j));
    }
    // A slash ends the read: the values not read stay 0.
    writeFile(kCoefficientFile, "1 2 3 /\n4 5 6\n");
    CoefficientTable cut;
    loadCoefficientTable(cut);
    EXPECT_EQ(cut(1, 3), 3.0);
    EXPECT_EQ(cut(1, 4), 0.0);
    EXPECT_EQ(cut(381, 20), 0.0);
    // Values beyond the 7620th and the rest of that line are never read.
    writeFile(kCoefficientFile, full.substr(0, full.size() - 1) + " junk\nmore junk\n");
    CoefficientTable longer;
    loadCoefficientTable(longer);
    EXPECT_EQ(longer(381, 20), sampleValue(381, 20));
}

TEST(CoefficientTableLoad, MissingFileIsReportedAndNotCreated) {
    ScratchFolder folder;
    CoefficientTable table;
    EXPECT_EQ(loadFailure(table),
              std::string("cannot open ORMEDA_coeff.inp for reading: ") + std::strerror(ENOENT));
    EXPECT_FALSE(std::filesystem::exists(kCoefficientFile));
}

TEST(CoefficientTableLoad, EachFaultNamesItsPlace) {
    ScratchFolder folder;
    const std::string full = sampleTableText();
    // Cut after the 7619th value: its line end stays, the last value is gone.
    const std::string shortText = full.substr(0, full.rfind(' ')) + "\n";
    // Row 100, column 5 (line 100) and row 200, column 3.
    std::string badToken = full;
    std::string notFinite = full;
    {
        std::size_t at = 0;
        for (int line = 1; line < 100; ++line) {
            at = badToken.find('\n', at) + 1;
        }
        for (int column = 1; column < 5; ++column) {
            at = badToken.find(' ', at) + 1;
        }
        badToken.replace(at, badToken.find(' ', at) - at, "12abc");
        at = 0;
        for (int line = 1; line < 200; ++line) {
            at = notFinite.find('\n', at) + 1;
        }
        for (int column = 1; column < 3; ++column) {
            at = notFinite.find(' ', at) + 1;
        }
        notFinite.replace(at, notFinite.find(' ', at) - at, "NaN");
    }
    struct Fault {
        std::string text;
        std::string report;
    };
    const Fault faults[] = {
        {"", "ORMEDA_coeff.inp: end of file after 0 of the 7620 values (0 lines)"},
        {shortText, "ORMEDA_coeff.inp: end of file after 7619 of the 7620 values (381 lines)"},
        {badToken, "ORMEDA_coeff.inp, line 100: \"12abc\" is not a number (value 1985 of 7620: "
                   "row 100, column 5)"},
        {"1 2 1e400\n", "ORMEDA_coeff.inp, line 1: \"1e400\" is beyond the range of double "
                        "precision (value 3 of 7620: row 1, column 3)"},
        {notFinite, "ORMEDA_coeff.inp: value 3983 of 7620: row 200, column 3 is not a finite "
                    "number (NaN)"},
        {"7619*1 -inf\n", "ORMEDA_coeff.inp: value 7620 of 7620: row 381, column 20 is not a "
                          "finite number (infinite)"},
    };
    for (const Fault& fault : faults) {
        writeFile(kCoefficientFile, fault.text);
        CoefficientTable table;
        EXPECT_EQ(loadFailure(table), fault.report);
        EXPECT_EQ(readFile(kCoefficientFile), fault.text);
    }
}

TEST(CoefficientTableLoad, DirectoryInPlaceOfTheFile) {
    ScratchFolder folder;
    std::filesystem::create_directory(kCoefficientFile);
    CoefficientTable table;
    EXPECT_EQ(loadFailure(table), std::string("ORMEDA_coeff.inp: read failed: ") +
                                      std::strerror(EISDIR) + " (after 0 of the 7620 values)");
}

void expectRow(const EpochRow& row, const CoefficientTable& table, int i) {
    for (int j = 1; j <= kTableColumns; ++j) {
        EXPECT_EQ(row(j), table(i, j)) << "row " << i << ", column " << j;
    }
}

TEST(EpochInterpolation, EpochsGiveTheirRowsExactly) {
    const CoefficientTable table = sampleTable();
    expectRow(interpolateEpoch(table, 0.0), table, 1);
    expectRow(interpolateEpoch(table, 5.0), table, 2);
    expectRow(interpolateEpoch(table, 1000.0), table, 201);
    expectRow(interpolateEpoch(table, 1895.0), table, 380);
    expectRow(interpolateEpoch(table, 1900.0), table, 381);
}

TEST(EpochInterpolation, HalfWayIsTheMean) {
    const CoefficientTable table = sampleTable();
    // The sample's values and their sums are exact in binary, so the means are too.
    const struct {
        double T;
        int below;
    } cases[] = {{2.5, 1}, {12.5, 3}, {1002.5, 201}, {1897.5, 380}};
    for (const auto& c : cases) {
        const EpochRow row = interpolateEpoch(table, c.T);
        for (int j = 1; j <= kTableColumns; ++j) {
            EXPECT_EQ(row(j), (table(c.below, j) + table(c.below + 1, j)) / 2.0)
                << "T " << c.T << ", column " << j;
        }
    }
    const EpochRow quarter = interpolateEpoch(table, 1.25);
    EXPECT_EQ(quarter(1), table(1, 1) + 0.25 * (table(2, 1) - table(1, 1)));
}

// Dates just below and just above an epoch approach that epoch's row from both sides:
// the interpolation has no jump where the base row changes.
TEST(EpochInterpolation, ContinuousAcrossEpochs) {
    const CoefficientTable table = sampleTable();
    for (const double epoch : {5.0, 10.0, 500.0, 1895.0}) {
        const int i = static_cast<int>(epoch / 5.0) + 1;
        for (const double delta : {1e-6, 1e-9}) {
            for (const double T : {epoch - delta, epoch + delta}) {
                const EpochRow row = interpolateEpoch(table, T);
                for (int j = 1; j <= kTableColumns; ++j) {
                    // Slope per year times the distance, plus rounding of the weight.
                    const double slope = std::max(std::fabs(table(i, j) - table(i - 1, j)),
                                                  std::fabs(table(i + 1, j) - table(i, j))) /
                                         5.0;
                    const double tolerance = slope * delta * (1 + 1e-6) + 4e-13 * table(i, j);
                    EXPECT_NEAR(row(j), table(i, j), tolerance)
                        << "epoch " << epoch << ", T " << T << ", column " << j;
                }
            }
        }
        // The nearest doubles on both sides.
        for (const double T : {std::nextafter(epoch, 0.0), std::nextafter(epoch, 2000.0)}) {
            const EpochRow row = interpolateEpoch(table, T);
            for (int j = 1; j <= kTableColumns; ++j) {
                EXPECT_NEAR(row(j), table(i, j), 1e-12 * table(i, j));
            }
        }
    }
    // Just below the last epoch the base row is 380, and row 381 is approached.
    const EpochRow last = interpolateEpoch(table, std::nextafter(1900.0, 0.0));
    for (int j = 1; j <= kTableColumns; ++j) {
        EXPECT_NEAR(last(j), table(381, j), 1e-12 * table(381, j));
    }
}

} // namespace
} // namespace ormeda
