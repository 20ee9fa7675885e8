// The committed demonstration table is exactly what the table maker writes: 381 lines
// of 20 numbers and nothing else, and regenerating it gives the same numbers.
#include "map_run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ormeda::validation {
namespace {

// The table's numbers, line by line; adds a failure for a line that is not 20 numbers.
std::vector<std::vector<double>> readTable(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::vector<double> row;
        for (double value = 0.0; fields >> value;) {
            row.push_back(value);
        }
        EXPECT_TRUE(fields.eof()) << "line " << rows.size() + 1 << " has a non-number";
        EXPECT_EQ(row.size(), 20u) << "line " << rows.size() + 1;
        rows.push_back(row);
    }
    return rows;
}

TEST(DemonstrationTable, RegeneratingGivesTheSameNumbers) {
    const std::filesystem::path committed =
        std::filesystem::path(ORMEDA_SOURCE_DIR) / "data" / "ORMEDA_coeff.inp";
    ScratchDir dir;
    const std::filesystem::path fresh = dir.path() / "ORMEDA_coeff.inp";
    ASSERT_EQ(runShell(quoted(ORMEDA_MAKE_TABLE) + " " + quoted(fresh.string()) + " >" +
                       quoted((dir.path() / "summary.txt").string())),
              0);

    const std::vector<std::vector<double>> expected = readTable(committed);
    const std::vector<std::vector<double>> actual = readTable(fresh);
    ASSERT_EQ(expected.size(), 381u);
    ASSERT_EQ(actual.size(), 381u);
    int differing = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        for (std::size_t c = 0; c < expected[i].size() && c < actual[i].size(); ++c) {
            if (expected[i][c] != actual[i][c] && ++differing <= 5) {
                ADD_FAILURE() << "row " << i + 1 << " column " << c + 1 << ": committed "
                              << expected[i][c] << ", regenerated " << actual[i][c];
            }
        }
    }
    EXPECT_EQ(differing, 0);
}

} // namespace
} // namespace ormeda::validation
