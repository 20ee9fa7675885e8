// The model table: 381 epochs, 0 to 1900 AD every five years, of 20 values each (scale
// g0, coefficients g1..g9, and their uncertainties s0..s9), read once from the
// coefficient file and interpolated linearly to the chosen date.
#pragma once

#include "epoch_row.hpp"

#include <array>
#include <cstddef>
#include <string>

namespace ormeda {

inline constexpr int kTableRows = 381;
inline constexpr int kTableValues = kTableRows * kTableColumns; // 7620
inline constexpr double kEpochStep = 5.0;                       // years between rows
inline constexpr const char* kCoefficientFile = "ORMEDA_coeff.inp";

// Row i (1 to 381) belongs to the year 5 * (i - 1) AD.
struct CoefficientTable {
    std::array<double, kTableValues> value{}; // row 1 columns 1..20, row 2, ...

    double& operator()(int row, int column) { return value[index(row, column)]; }
    double operator()(int row, int column) const { return value[index(row, column)]; }

private:
    static std::size_t index(int row, int column) {
        return static_cast<std::size_t>((row - 1) * kTableColumns + (column - 1));
    }
};

// Opens `path` read-only, reads the 7620 values in one free-format read (a slash ends it
// early and leaves the rest 0) and closes it. A missing or unreadable file, a token that
// is not a number, a value that is not finite or an early end of file ends the run
// through failTextIo with a report naming the file.
void loadCoefficientTable(CoefficientTable& table, const std::string& path = kCoefficientFile);

// The 20 values at date T (0 <= T <= 1900): the epoch row at or below T, moved towards
// the next row by the fraction of the five years. A date on an epoch gives that row
// exactly.
EpochRow interpolateEpoch(const CoefficientTable& table, double T);

} // namespace ormeda
