// A run of extended-range values held as the two parallel arrays of the Legendre
// library (principal parts and auxiliary indices), read and written 1-based as the
// library's algorithms count their entries.
#pragma once

#include <cstddef>
#include <span>

namespace ormeda::detail {

class Entries {
public:
    Entries(std::span<double> prin, std::span<int> iaux) : prin_(prin), iaux_(iaux) {}

    double& P(int i) { return prin_[static_cast<std::size_t>(i - 1)]; }
    int& I(int i) { return iaux_[static_cast<std::size_t>(i - 1)]; }

    void set(int i, double x, int ix) {
        P(i) = x;
        I(i) = ix;
    }

private:
    std::span<double> prin_;
    std::span<int> iaux_;
};

} // namespace ormeda::detail
