// Geographic <-> cap frame on the geocentric sphere. The cap frame's pole is the
// centre of the cap; its longitude 0 lies on the pole's meridian on the side away from
// the geographic north pole. GEOCAP remembers the rotation of horizontal components so
// that CAPGEV can turn a field computed in the cap frame back to north/east.
#include "cap_frame.hpp"

#include "angles.hpp"

#include <cmath>

namespace ormeda {

namespace {

using model_detail::kDegToRad;

// The value of pi used for a point at the geographic north pole.
constexpr double kPi = 3.141592653589793;

// Brings a longitude into [-180, 180).
double wrapLongitude(double lambda) {
    if (lambda >= 180.0) {
        lambda = lambda - 360.0;
    }
    if (lambda < -180.0) {
        lambda = lambda + 360.0;
    }
    return lambda;
}

} // namespace

void CapFrame::CAPSET(double phiP, double lambdaP) {
    pole_.poleLat = phiP;
    pole_.poleLon = lambdaP;
    pole_.sinPoleLat = std::sin(phiP * kDegToRad);
    pole_.cosPoleLat = std::cos(phiP * kDegToRad);
    // A pole at either geographic pole fixes the rotation here; otherwise GEOCAP sets
    // it point by point.
    if (phiP >= 90.0) {
        pole_.cosGamma = 1.0;
        pole_.sinGamma = 0.0;
    } else if (phiP <= -90.0) {
        pole_.cosGamma = -1.0;
        pole_.sinGamma = 0.0;
    }
}

void CapFrame::GEOCAP(double phi, double lambda, double U, double V, double& phiC, double& lambdaC,
                      double& Uc, double& Vc) {
    const double dLambda = lambda - pole_.poleLon;

    if (pole_.poleLat >= 90.0) {
        phiC = phi;
        lambdaC = wrapLongitude(dLambda);
        Uc = U;
        Vc = V;
        return;
    }
    if (pole_.poleLat <= -90.0) {
        phiC = -phi;
        lambdaC = wrapLongitude(180.0 - dLambda);
        Uc = -U;
        Vc = -V;
        return;
    }

    const double dLambdaR = dLambda * kDegToRad;
    auto rotate = [&] {
        Uc = U * pole_.cosGamma - V * pole_.sinGamma;
        Vc = V * pole_.cosGamma + U * pole_.sinGamma;
    };
    auto atGeographicNorthPole = [&] {
        phiC = pole_.poleLat;
        lambdaC = -180.0;
        const double gamma = kPi - dLambdaR;
        pole_.cosGamma = std::cos(gamma);
        pole_.sinGamma = std::sin(gamma);
        rotate();
    };
    auto atGeographicSouthPole = [&] {
        phiC = -pole_.poleLat;
        lambdaC = 0.0;
        const double gamma = dLambdaR;
        pole_.cosGamma = std::cos(gamma);
        pole_.sinGamma = std::sin(gamma);
        rotate();
    };
    auto atCapPole = [&] {
        phiC = 90.0;
        lambdaC = 0.0;
        pole_.cosGamma = 1.0;
        pole_.sinGamma = 0.0;
        Uc = U;
        Vc = V;
    };
    auto atCapAntipode = [&] {
        phiC = -90.0;
        lambdaC = 0.0;
        pole_.cosGamma = -1.0;
        pole_.sinGamma = 0.0;
        Uc = -U;
        Vc = -V;
    };

    if (phi >= 90.0) {
        atGeographicNorthPole();
        return;
    }
    if (phi <= -90.0) {
        atGeographicSouthPole();
        return;
    }
    const double phiR = phi * kDegToRad;
    const double sPhi = std::sin(phiR);
    const double cPhi = std::cos(phiR);
    // Each exact zero below would be a division by zero; the limiting cases take over.
    if (cPhi == 0.0) {
        if (sPhi > 0.0) {
            atGeographicNorthPole();
        } else {
            atGeographicSouthPole();
        }
        return;
    }

    // c is the sine of the cap latitude.
    const double c = cPhi * pole_.cosPoleLat * std::cos(dLambdaR) + sPhi * pole_.sinPoleLat;
    if (c >= 1.0) {
        atCapPole();
        return;
    }
    if (c <= -1.0) {
        atCapAntipode();
        return;
    }
    const double t = std::asin(c);
    phiC = t / kDegToRad;
    const double ct = std::cos(t);
    if (ct == 0.0) {
        if (c > 0.0) {
            atCapPole();
        } else {
            atCapAntipode();
        }
        return;
    }

    // The cap longitude through its sine sigma. sin(phi) >= q puts the point on the side
    // of the geographic north pole, where the cap longitude lies beyond +-90 degrees.
    const double q = pole_.sinPoleLat * c;
    const double sDelta = std::sin(dLambdaR);
    double sigma = 0.0;
    if (sPhi == q) {
        if (sDelta > 0.0) {
            sigma = 1.0;
            lambdaC = 90.0;
        } else {
            sigma = -1.0;
            lambdaC = -90.0;
        }
    } else {
        sigma = cPhi * sDelta / ct;
        if (sigma <= -1.0) {
            sigma = -1.0;
            lambdaC = -90.0;
        } else if (sigma >= 1.0) {
            sigma = 1.0;
            lambdaC = 90.0;
        } else if (sPhi >= q) {
            lambdaC = 180.0 - std::asin(sigma) / kDegToRad;
            if (lambdaC >= 180.0) {
                lambdaC = lambdaC - 360.0;
            }
        } else {
            lambdaC = std::asin(sigma) / kDegToRad;
        }
    }

    pole_.cosGamma = ((pole_.sinPoleLat - sPhi * c) / cPhi) / ct;
    pole_.sinGamma = (pole_.cosPoleLat * sigma) / cPhi;
    rotate();
}

void CapFrame::CAPGEV(double Uc, double Vc, double& U, double& V) const {
    U = Uc * pole_.cosGamma + Vc * pole_.sinGamma;
    V = Vc * pole_.cosGamma - Uc * pole_.sinGamma;
}

} // namespace ormeda
