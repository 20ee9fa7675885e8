// Schmidt semi-normalised associated Legendre functions of real degree for the cap
// basis. The library returns the Ferrers function with the (-1)^m phase; CAPLEG removes
// the phase, applies the Schmidt factor K = sqrt(2 Gamma(n-m+1) / Gamma(n+m+1)) (1 for
// m = 0) and forms the colatitude derivative from the degrees n and n - 1:
//   dP~_n^m/dtheta = (n cos(theta) P~_n^m - sqrt(n^2 - m^2) P~_(n-1)^m) / sin(theta).
#include "capleg.hpp"

#include "console.hpp"
#include "xdlegf.hpp"

#include <array>
#include <cmath>

namespace ormeda {

namespace {

// Lanczos approximation of ln Gamma with six terms; the coefficients and the two
// constants are used exactly as stored. The scale factor is the stored 2.5066282746310007,
// not the double nearest sqrt(2 pi), which is 2.5066282746310002.
constexpr std::array<double, 6> kLanczos = {76.18009172947146,    -86.50532032941678,
                                            24.01409824083091,    -1.231739572450155,
                                            0.001208650973866179, -5.395239384953e-06};
constexpr double kLanczosStart = 1.000000000190015;
constexpr double kSqrtTwoPi = 2.5066282746310007;

constexpr const char* kTroublesWarning = "WARNING:TROUBLES IN COMPUTATION!";

} // namespace

void CAPLEG(int m, double n, double theta, double& P, double& dP, double& mPs) {
    const double thetaR = (std::acos(-1.0) * theta) / 180.0;
    const double phase = std::pow(-1.0, m);

    const double p = CAPPNM(n, m, thetaR);
    double lnK = 0.0;
    double K = 0.0;
    if (m == 0) {
        P = p;
    } else {
        CAPNRM(n, m, lnK, K);
        P = (phase * K) * p;
    }

    const double q = CAPPNM(n - 1.0, m, thetaR);
    double P1 = 0.0;
    if (m == 0) {
        P1 = q;
    } else {
        double lnK1 = 0.0;
        double K1 = 0.0;
        CAPNRM(n - 1.0, m, lnK1, K1);
        P1 = (phase * K1) * q;
    }

    const double F = (m == 0) ? m + n : std::sqrt(std::pow(n, 2.0) - std::pow(m, 2.0));
    dP = (std::cos(thetaR) * n * P - F * P1) / std::sin(thetaR);
    mPs = (m * P) / std::sin(thetaR);
}

double CAPPNM(double nu, int m, double thetaR) {
    std::array<double, 1> prin{};
    std::array<int, 1> iaux{};
    XDLEGF(nu, 0, m, m, thetaR, kLegendrePPositiveOrder, prin, iaux);
    // A value outside the double range comes back in extended form; the cap basis has
    // no use for it, so the run is told and goes on with the principal part.
    if (iaux[0] != 0) {
        Console::current().freeRecord(kTroublesWarning);
    }
    return prin[0];
}

void CAPNRM(double nu, int m, double& lnK, double& K) {
    const double a = m + 1.0;
    const double b = 1.0 - m;
    const double g1 = CAPLGM(nu + a);
    const double g2 = CAPLGM(nu + b);
    lnK = (-g1 + std::log(2.0) + g2) * 0.5;
    K = std::exp(lnK);
}

double CAPLGM(double x) {
    double t = x + 5.5;
    t = (x + 0.5) * std::log(t) - t;
    double s = kLanczosStart;
    double y = x;
    for (double c : kLanczos) {
        y = y + 1.0;
        s = s + c / y;
    }
    return std::log((kSqrtTwoPi * s) / x) + t;
}

} // namespace ormeda
