// Geodetic <-> geocentric conversion.
#include "geodetic_frame.hpp"

namespace ormeda {

void GeodeticFrame::GDGC(double, double, double, double, double& psi, double& r, double& Xc,
                         double& Zc) {
    psi = r = Xc = Zc = 0.0;
}
void GeodeticFrame::GCGDV(double, double, double& X, double& Z) const { X = Z = 0.0; }

} // namespace ormeda
