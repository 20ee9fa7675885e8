// Geodetic <-> geocentric conversion on the GRS 80 ellipsoid, with the angle between
// the two verticals remembered for the later back-rotation of a north/down pair.
#include "geodetic_frame.hpp"

#include "angles.hpp"

#include <cmath>

namespace ormeda {

namespace {

using model_detail::kDegToRad;

constexpr double kSemiMajorAxis = 6378.137;         // km, GRS 80
constexpr double kEccentricitySq = 0.0066943800229; // first eccentricity squared, GRS 80

} // namespace

void GeodeticFrame::GDGC(double phi, double h, double X, double Z, double& psi, double& r,
                         double& Xc, double& Zc) {
    const double phiR = phi * kDegToRad;
    const double s = std::sin(phiR);
    const double c = std::cos(phiR);
    // N is the prime-vertical radius of curvature at phi.
    const double N = kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySq * std::pow(s, 2.0));
    const double p = (N + h) * c;
    const double z = ((N + h) - kEccentricitySq * N) * s;
    r = std::sqrt(std::pow(z, 2.0) + std::pow(p, 2.0));

    // The arcsine loses accuracy near the poles, so the steeper half uses the arccosine.
    double psiR = 0.0;
    if (std::fabs(z) <= p) {
        psiR = std::asin(z / r);
    } else {
        psiR = std::acos(p / r);
        if (z < 0.0) {
            psiR = -psiR;
        }
    }
    psi = psiR / kDegToRad;

    const double delta = phiR - psiR;
    angle_.sinDelta = std::sin(delta);
    angle_.cosDelta = std::cos(delta);

    Xc = X * angle_.cosDelta - Z * angle_.sinDelta;
    Zc = X * angle_.sinDelta + Z * angle_.cosDelta;
}

void GeodeticFrame::GCGDV(double Xc, double Zc, double& X, double& Z) const {
    X = Xc * angle_.cosDelta + Zc * angle_.sinDelta;
    Z = Zc * angle_.cosDelta - Xc * angle_.sinDelta;
}

} // namespace ormeda
