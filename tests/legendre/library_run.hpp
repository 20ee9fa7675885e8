// Test support for the Legendre library's internals: a fresh state with the
// extended-range set-up done (the internals expect it, as XDLEGF does it first) and
// no remembered starting pair, and
// a run of entries prefilled with a mark so that untouched entries show.
#pragma once

#include "fresh_state.hpp"
#include "process_wide.hpp"
#include "starting_pair_memo.hpp"

#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

namespace ormeda::testing {

class LibraryState : public FreshState {
public:
    LibraryState() : memoGuard_(memo_) { range().XDSET(0, 0, 0.0, 0); }

private:
    detail::StartingPairMemo memo_;
    ProcessWide<detail::StartingPairMemo>::Override memoGuard_;
};

inline constexpr double kMark = 7.0;
inline constexpr int kMarkIndex = 99;

struct EntryRun {
    explicit EntryRun(std::size_t n) : prin(n, kMark), iaux(n, kMarkIndex) {}
    EntryRun(std::vector<double> values, std::vector<int> indices)
        : prin(std::move(values)), iaux(std::move(indices)) {}

    std::span<double> P() { return prin; }
    std::span<int> I() { return iaux; }
    // Entry i (1-based) as a value, BASE^IAUX carried in long double.
    long double value(std::size_t i, double base) const {
        return static_cast<long double>(prin[i - 1]) *
               std::pow(static_cast<long double>(base), iaux[i - 1]);
    }
    bool untouched(std::size_t i) const {
        return prin[i - 1] == kMark && iaux[i - 1] == kMarkIndex;
    }

    std::vector<double> prin;
    std::vector<int> iaux;
};

inline long double relativeError(long double got, long double expected) {
    return std::fabs(got - expected) / std::fabs(expected);
}

} // namespace ormeda::testing
