// Extended-range set-up and operations.
#include "extended_range.hpp"

#include "error_package.hpp"
#include "process_wide.hpp"

namespace ormeda {

ExtendedRange& ExtendedRange::current() { return ProcessWide<ExtendedRange>::current(); }

void XDSET(int IRAD, int NRADPL, double DZERO, int NBITS) {
    ExtendedRange::current().XDSET(IRAD, NRADPL, DZERO, NBITS);
}
void XDADJ(double& X, int& IX) { ExtendedRange::current().XDADJ(X, IX); }
void XDSUM(double X, int IX, double Y, int IY, double& Z, int& IZ) {
    ExtendedRange::current().XDSUM(X, IX, Y, IY, Z, IZ);
}
void XDPLAIN(double& X, int& IX) { ExtendedRange::current().XDPLAIN(X, IX); }

} // namespace ormeda
