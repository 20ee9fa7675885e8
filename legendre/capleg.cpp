// Cap Legendre evaluation.
#include "capleg.hpp"

namespace ormeda {

void CAPLEG(int, double, double, double& P, double& dP, double& mPs) { P = dP = mPs = 0.0; }
double CAPPNM(double, int, double) { return 0.0; }
void CAPNRM(double, int, double& lnK, double& K) { lnK = K = 0.0; }
double CAPLGM(double) { return 0.0; }

} // namespace ormeda
