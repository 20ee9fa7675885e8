// Geographic <-> cap frame.
#include "cap_frame.hpp"

namespace ormeda {

void CapFrame::CAPSET(double, double) {}
void CapFrame::GEOCAP(double, double, double, double, double& phiC, double& lambdaC, double& Uc,
                      double& Vc) {
    phiC = lambdaC = Uc = Vc = 0.0;
}
void CapFrame::CAPGEV(double, double, double& U, double& V) const { U = V = 0.0; }

} // namespace ormeda
