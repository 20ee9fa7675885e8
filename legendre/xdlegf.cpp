// The Legendre library's entry point: validates a request, hands it to the series,
// recurrences and conversions of the kind asked for, and returns every value in
// plain form wherever its magnitude allows.
#include "xdlegf.hpp"

#include "console.hpp"
#include "error_package.hpp"
#include "extended_range.hpp"
#include "legendre_detail.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace ormeda {

namespace {

constexpr int kLevelRecoverable = 1;
constexpr std::string_view kInvalidArguments = "XDLEGF: DNU1,NUDIFF,MU1,MU2, OR ID NOT VALID";
constexpr std::string_view kThetaOutOfRange = "XDLEGF: THETA OUT OF RANGE";

void reportInvalid() {
    XERROR(kInvalidArguments, static_cast<int>(kInvalidArguments.size()), 1, kLevelRecoverable);
}

// The console line before the angle report: the value in its shortest exact form.
void showTheta(double theta) {
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, theta);
    std::string line = "THETA: ";
    line.append(digits, result.ptr);
    Console::current().freeRecord(line);
}

} // namespace

void XDLEGF(double DNU1, int NUDIFF, int MU1, int MU2, double THETA, int ID, std::span<double> PRIN,
            std::span<int> IAUX) {
    XDSET(0, 0, 0.0, 0);
    const double halfPi = 2.0 * std::atan(1.0);

    // Entries of the request, zeroed before anything is checked (as far as the arrays
    // reach: a request larger than its arrays is refused below).
    const long long requested = (static_cast<long long>(MU2) - MU1) + NUDIFF + 1;
    const long long room = static_cast<long long>(std::min(PRIN.size(), IAUX.size()));
    const long long zeroed = std::clamp(requested, 0LL, room);
    std::fill_n(PRIN.begin(), zeroed, 0.0);
    std::fill_n(IAUX.begin(), zeroed, 0);

    // A degree that is NaN or infinite would never reach its run.
    if (NUDIFF < 0 || !(DNU1 >= -1.0) || !std::isfinite(DNU1) || MU2 < MU1 || MU1 < 0) {
        reportInvalid();
        return;
    }
    if (!(THETA > 0.0 && THETA <= halfPi)) {
        showTheta(THETA);
        XERROR(kThetaOutOfRange, static_cast<int>(kThetaOutOfRange.size()), 2, kLevelRecoverable);
        return;
    }
    if (ID < kLegendrePNegativeOrder || ID > kLegendreNormalised || (MU1 != MU2 && NUDIFF > 0)) {
        reportInvalid();
        return;
    }
    // Q at degree -1 sits on the pole of Q^0: its run would come back one degree high.
    // Arrays shorter than the request cannot take its values.
    if ((ID == kLegendreQ && DNU1 == -1.0) || requested > room) {
        reportInvalid();
        return;
    }
    const int n = static_cast<int>(requested);

    const double DNULAST = DNU1 + NUDIFF;
    if (std::fmod(DNU1, 1.0) == 0.0) {
        // At an integer degree P^mu vanishes above the degree. Degree -1 is degree 0
        // (P_(-nu-1) = P_nu), where P^0 = 1 does not vanish.
        if (ID == kLegendrePPositiveOrder && MU1 > std::max(DNULAST, 0.0)) {
            return;
        }
        if (ID == kLegendreNormalised && MU1 > DNULAST) {
            return;
        }
    } else if (ID == kLegendreNormalised) {
        reportInvalid();
        return;
    }

    const double x = std::cos(THETA);
    const double sx = 1.0 / std::sin(THETA);
    int mu = MU1;
    if (ID == kLegendreQ) {
        if (MU1 == MU2) {
            detail::XDQDEG(DNU1, DNULAST, mu, THETA, x, sx, ID, PRIN, IAUX);
        } else {
            detail::XDQORD(DNU1, DNULAST, MU1, MU2, THETA, x, sx, ID, PRIN, IAUX);
        }
    } else {
        if (MU1 == MU2) {
            detail::XDPQDEG(DNU1, DNULAST, mu, THETA, ID, PRIN, IAUX);
        } else {
            detail::XDPORD(DNU1, DNULAST, MU1, MU2, THETA, x, sx, ID, PRIN, IAUX);
        }
        if (ID == kLegendrePPositiveOrder) {
            detail::XDPPOS(DNU1, DNULAST, MU1, MU2, PRIN, IAUX);
        } else if (ID == kLegendreNormalised) {
            detail::XDNORM(DNU1, DNULAST, MU1, MU2, PRIN, IAUX);
        }
    }

    const ExtendedRange& xr = ExtendedRange::current();
    for (int i = 0; i < n; ++i) {
        xr.XDPLAIN(PRIN[static_cast<std::size_t>(i)], IAUX[static_cast<std::size_t>(i)]);
    }
}

} // namespace ormeda
