// The remembered starting pair of the degree climb; see the header for why it exists.
#include "starting_pair_memo.hpp"

#include "process_wide.hpp"

#include <bit>
#include <cstdint>

namespace ormeda::detail {

namespace {

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool sameParameters(const ExtendedRangeParameters& a, const ExtendedRangeParameters& b) {
    return sameBits(a.BASE, b.BASE) && a.L == b.L && a.TWOL == b.TWOL &&
           sameBits(a.BASEL, b.BASEL) && sameBits(a.BASE2L, b.BASE2L) && a.KMAX == b.KMAX &&
           a.MANTBITS == b.MANTBITS;
}

bool sameKey(const StartingPairKey& a, const StartingPairKey& b) {
    return sameBits(a.nu0, b.nu0) && a.mu == b.mu && sameBits(a.theta, b.theta) &&
           a.qKind == b.qKind && sameParameters(a.parameters, b.parameters);
}

} // namespace

const StartingPair* StartingPairMemo::find(const StartingPairKey& key) const {
    return held_ && sameKey(key, key_) ? &pair_ : nullptr;
}

void StartingPairMemo::remember(const StartingPairKey& key, const StartingPair& pair) {
    key_ = key;
    pair_ = pair;
    held_ = true;
}

StartingPairMemo& StartingPairMemo::current() {
    return ProcessWide<StartingPairMemo>::current();
}

} // namespace ormeda::detail
