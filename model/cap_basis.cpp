// Cap basis tables and the basis at a point.
#include "cap_basis.hpp"

namespace ormeda {

void CAPTAB(DegreeTable& table) { table = {}; }
void CAPBAS(NodeFrames&, const DegreeTable&, double, double, CapBasis& basis) { basis = {}; }

} // namespace ormeda
