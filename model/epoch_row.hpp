// The model's 20 values at one date: scale g0, coefficients g1..g9, the scale's
// uncertainty s0 and the coefficients' uncertainties s1..s9.
#pragma once

#include <array>
#include <cstddef>

namespace ormeda {

inline constexpr int kTableColumns = 20;

struct EpochRow {
    std::array<double, kTableColumns> column{}; // column(1) ... column(20)

    double& operator()(int c) { return column[static_cast<std::size_t>(c - 1)]; }
    double operator()(int c) const { return column[static_cast<std::size_t>(c - 1)]; }

    double g0() const { return (*this)(1); }
    double g(int j) const { return (*this)(1 + j); } // j = 1 ... 9
    double s0() const { return (*this)(11); }
    double s(int j) const { return (*this)(11 + j); } // j = 1 ... 9
};

} // namespace ormeda
