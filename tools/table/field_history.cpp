// The demonstration field history. The pole's path is given as a smooth offset from
// the geographic north pole (degrees towards longitude 0 and towards 90 E), so it has
// no kink where it passes close to the geographic pole; the moment is a sum of two
// slow oscillations and a gentle decline towards 1900.
#include "field_history.hpp"

#include <cmath>

namespace ormeda::demo {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kReferenceRadiusMetres = 6371008.7714;

// Pole offset (degrees) from the geographic north pole at a date.
void poleOffset(double year, double& x, double& y) {
    const double slow = 2.0 * kPi * year / 1400.0 + 0.6;
    const double fast = 2.0 * kPi * year / 530.0 + 2.0;
    x = 8.0 * std::cos(slow) + 3.0 * std::cos(fast) + 1.5;
    y = 9.0 * std::sin(slow) + 2.5 * std::sin(fast) - 1.0;
}

} // namespace

DipoleState dipoleAt(double year) {
    double x = 0.0;
    double y = 0.0;
    poleOffset(year, x, y);
    DipoleState state;
    state.poleLat = 90.0 - std::hypot(x, y);
    state.poleLon = std::atan2(y, x) / kDegToRad;
    const double span = year / 1900.0;
    state.moment = 10.0 + 2.2 * std::sin(2.0 * kPi * (year - 450.0) / 1000.0) +
                   0.8 * std::sin(2.0 * kPi * (year - 1100.0) / 600.0) - 1.8 * span * span;
    return state;
}

std::array<double, 3> dipoleAxis(double year) {
    const DipoleState state = dipoleAt(year);
    const double colat = (90.0 - state.poleLat) * kDegToRad;
    const double lon = state.poleLon * kDegToRad;
    return {std::sin(colat) * std::cos(lon), std::sin(colat) * std::sin(lon), std::cos(colat)};
}

double equatorialField(double moment) {
    // 1e-7 T m / A times moment * 1e22 A m^2 over a^3 m^3, in microtesla (1e6).
    const double a = kReferenceRadiusMetres;
    return 1e-7 * (moment * 1e22) / (a * a * a) * 1e6;
}

} // namespace ormeda::demo
