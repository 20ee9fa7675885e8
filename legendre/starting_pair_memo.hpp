// The last pair of starting values that the degree climb of XDPQDEG formed, with
// everything they were formed from. CAPLEG asks for degree n and then for n - 1 at
// the same order and angle: both climbs start from the same two series, so the
// second request takes the pair from here instead of summing the series again.
// The pair is a pure function of its key, so a request served from here gets the
// very bits that summing the series would give.
#pragma once

#include "extended_range.hpp"

namespace ormeda::detail {

struct ExtendedValue {
    double x = 0.0; // principal part
    int i = 0;      // auxiliary index
};

struct StartingPair {
    ExtendedValue lower; // at the starting degree nu0
    ExtendedValue upper; // at nu0 + 1
};

// What the two series depend on. Doubles are compared bit for bit.
struct StartingPairKey {
    double nu0 = 0.0;
    int mu = 0;
    double theta = 0.0;
    bool qKind = false;
    ExtendedRangeParameters parameters{};
};

class StartingPairMemo {
public:
    // The remembered pair when it was formed from `key`, else null.
    const StartingPair* find(const StartingPairKey& key) const;
    void remember(const StartingPairKey& key, const StartingPair& pair);
    void forget() { held_ = false; }

    static StartingPairMemo& current();

private:
    StartingPairKey key_{};
    StartingPair pair_{};
    bool held_ = false;
};

} // namespace ormeda::detail
