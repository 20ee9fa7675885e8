// Turns a run of P^(-mu)_nu values, in place, into P^mu_nu (with the (-1)^mu phase)
// or into the normalised P^mu_nu. The factorial ratio that links the kinds is kept
// as an extended-range factor and updated from entry to entry, so it never overflows:
//
//   P^mu_nu            = (-1)^mu (nu - mu + 1) ... (nu + mu) * P^(-mu)_nu
//   normalised P^mu_nu = sqrt((nu + 1/2) (nu + mu)! / (nu - mu)!) * P^(-mu)_nu
#include "extended_range.hpp"
#include "legendre_detail.hpp"
#include "one_based.hpp"

#include <algorithm>
#include <cmath>

namespace ormeda::detail {

namespace {

// 0.1 as fixed in single precision and widened: the slack of the degree count.
constexpr double kDegreeCountSlack = 0.10000000149011612;

// Never more entries than the caller's arrays hold.
int clampCount(int n, std::span<double> prin, std::span<int> iaux) {
    const auto room = static_cast<long long>(std::min(prin.size(), iaux.size()));
    return static_cast<int>(std::min<long long>(n, room));
}

} // namespace

void XDPPOS(double NU1, double NU2, int MU1, int MU2, std::span<double> PRIN, std::span<int> IAUX) {
    const ExtendedRange& xr = ExtendedRange::current();
    const int n =
        clampCount(static_cast<int>(std::trunc((NU2 - NU1) + kDegreeCountSlack)) + (MU2 - MU1) + 1,
                   PRIN, IAUX);
    const bool runOfOrders = NU2 - NU1 <= 0.5;
    Entries entries(PRIN, IAUX);
    double nu = NU1;
    int mu = MU1;
    int j = 1;
    if (n < 1) {
        return;
    }

    // At an integer degree the functions of a larger order vanish. Degree -1 is
    // degree 0 (P_(-nu-1) = P_nu), where order 0 does not vanish.
    const auto vanishes = [](int m, double degree) {
        return degree >= 0.0 ? m >= degree + 1.0 : m >= -degree;
    };
    if (std::fmod(NU1, 1.0) == 0.0) {
        while (vanishes(mu, nu)) {
            entries.set(j, 0.0, 0);
            ++j;
            if (j > n) {
                return;
            }
            if (runOfOrders) {
                ++mu;
            } else {
                nu = nu + 1.0;
            }
        }
    }

    double fx = 1.0;
    int fi = 0;
    for (int l = 1; l <= 2 * mu; ++l) {
        fx *= (mu - nu) - l;
        xr.XDADJ(fx, fi);
    }

    for (int i = j; i <= n; ++i) {
        if (mu != 0) {
            const double phase = mu % 2 == 0 ? 1.0 : -1.0;
            entries.P(i) = entries.P(i) * phase * fx;
            entries.I(i) += fi;
            xr.XDADJ(entries.P(i), entries.I(i));
        }
        if (runOfOrders) {
            fx = fx * ((-mu - nu) - 1.0) * (mu - nu);
            xr.XDADJ(fx, fi);
            ++mu;
        } else {
            fx = fx * ((-mu - nu) - 1.0) / ((mu - nu) - 1.0);
            xr.XDADJ(fx, fi);
            nu = nu + 1.0;
        }
    }
}

void XDNORM(double NU1, double NU2, int MU1, int MU2, std::span<double> PRIN, std::span<int> IAUX) {
    const ExtendedRange& xr = ExtendedRange::current();
    const int n =
        clampCount(static_cast<int>(std::trunc(((NU2 - NU1) + 1.5) + (MU2 - MU1))), PRIN, IAUX);
    const bool runOfOrders = NU2 - NU1 <= 0.5;
    Entries entries(PRIN, IAUX);
    double nu = NU1;
    int mu = MU1;
    int j = 1;
    if (n < 1) {
        return;
    }

    while (nu < mu) {
        entries.set(j, 0.0, 0);
        ++j;
        if (j > n) {
            return;
        }
        if (runOfOrders) {
            ++mu;
        } else {
            nu = nu + 1.0;
        }
    }

    double fx = 1.0;
    int fi = 0;
    if (2 * mu > 0) {
        for (int i = 1; i <= 2 * mu; ++i) {
            fx *= std::sqrt(((nu + mu) + 1.0) - i);
            xr.XDADJ(fx, fi);
        }
    }

    for (int i = j; i <= n; ++i) {
        entries.P(i) = entries.P(i) * std::sqrt(nu + 0.5) * fx;
        entries.I(i) += fi;
        xr.XDADJ(entries.P(i), entries.I(i));
        if (runOfOrders) {
            if (nu > mu) {
                fx = fx * std::sqrt((nu + mu) + 1.0) * std::sqrt(nu - mu);
                xr.XDADJ(fx, fi);
            } else {
                fx = 0.0;
                fi = 0;
            }
            ++mu;
        } else {
            fx = fx * std::sqrt((nu + mu) + 1.0);
            if (nu != mu - 1) {
                fx = fx / std::sqrt((nu - mu) + 1.0);
            }
            xr.XDADJ(fx, fi);
            nu = nu + 1.0;
        }
    }
}

} // namespace ormeda::detail
