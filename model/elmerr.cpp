// Field elements and their errors.
#include "elmerr.hpp"

namespace ormeda {

void ELMERR(const NodeFrames&, const CapBasis&, const EpochRow&, double, FieldElements& out) {
    out = {};
}

} // namespace ormeda
