// Runs over orders, and Q runs over degrees at any order, built from the series
// values by three-term recurrences:
//
//   P^(-(mu-1))_nu = 2 mu x s P^(-mu)_nu - (nu - mu)(nu + mu + 1) P^(-(mu+1))_nu
//                    (backward in the order: stable for P^(-mu)),
//   Q^(mu+1)_nu    = -2 mu x s Q^mu_nu - (nu - mu + 1)(nu + mu) Q^(mu-1)_nu
//                    (forward in the order from Q^0 and Q^1),
//   Q^mu_(nu-1)    = ((2 nu + 1) x Q^mu_nu - (nu - mu + 1) Q^mu_(nu+1)) / (nu + mu)
//                    (backward in the degree),
// with x = cos(theta) and s = 1 / sin(theta).
#include "extended_range.hpp"
#include "legendre_detail.hpp"
#include "one_based.hpp"
#include "xdlegf.hpp"

#include <cmath>

namespace ormeda::detail {

namespace {

struct Xr {
    double x = 0.0;
    int i = 0;
};

// One forward step in the order at degree nu: from Q^(mu-1) and Q^mu to Q^(mu+1).
Xr nextOrderQ(const ExtendedRange& xr, double nu, int mu, double x, double s, const Xr& qPrev,
              const Xr& qCur) {
    const double t1 = -(s * x * qCur.x * mu * 2.0);
    const double t2 = ((nu - mu) + 1.0) * (mu + nu) * qPrev.x;
    Xr next;
    xr.XDSUM(t1, qCur.i, -t2, qPrev.i, next.x, next.i);
    xr.XDADJ(next.x, next.i);
    return next;
}

// Q^mu1 at degree nu from Q^0 and Q^1 there, mu1 >= 2.
Xr climbOrderQ(const ExtendedRange& xr, double nu, int mu1, double x, double s, Xr qPrev, Xr qCur) {
    for (int mu = 1; mu < mu1; ++mu) {
        const Xr next = nextOrderQ(xr, nu, mu, x, s, qPrev, qCur);
        qPrev = qCur;
        qCur = next;
    }
    return qCur;
}

} // namespace

void XDPORD(double NU1, double NU2, int MU1, int MU2, double THETA, double X, double SX, int ID,
            std::span<double> PRIN, std::span<int> IAUX) {
    const ExtendedRange& xr = ExtendedRange::current();
    Entries entries(PRIN, IAUX);
    int mu = MU2;
    XDPQDEG(NU1, NU2, mu, THETA, ID, PRIN, IAUX);
    const Xr top{entries.P(1), entries.I(1)};
    mu = MU2 - 1;
    XDPQDEG(NU1, NU2, mu, THETA, ID, PRIN, IAUX);

    const int count = MU2 - MU1 + 1;
    entries.set(count, top.x, top.i);
    entries.set(count - 1, entries.P(1), entries.I(1));
    if (count == 2) {
        return;
    }
    mu = MU2 - 1;
    for (int i = count - 2; i >= 1; --i) {
        const double dmu = mu;
        const double t1 = entries.P(i + 1) * dmu * SX * X * 2.0;
        const double t2 = -(NU1 - dmu) * ((dmu + NU1) + 1.0) * entries.P(i + 2);
        xr.XDSUM(t1, entries.I(i + 1), t2, entries.I(i + 2), entries.P(i), entries.I(i));
        xr.XDADJ(entries.P(i), entries.I(i));
        --mu;
    }
}

void XDQORD(double NU1, double NU2, int MU1, int MU2, double THETA, double X, double SX, int ID,
            std::span<double> PRIN, std::span<int> IAUX) {
    const ExtendedRange& xr = ExtendedRange::current();
    (void)ID; // always the Q kind; the series are asked for it explicitly
    Entries entries(PRIN, IAUX);
    int order = 0;
    XDPQDEG(NU1, NU2, order, THETA, kLegendreQ, PRIN, IAUX);
    Xr qPrev{entries.P(1), entries.I(1)};
    order = 1;
    XDPQDEG(NU1, NU2, order, THETA, kLegendreQ, PRIN, IAUX);
    Xr qCur{entries.P(1), entries.I(1)};

    int mu = 1;
    int k = 0;
    if (MU1 <= 0) {
        ++k;
        entries.set(k, qPrev.x, qPrev.i);
        if (MU2 < 1) {
            return;
        }
    }
    if (MU1 <= 1) {
        ++k;
        entries.set(k, qCur.x, qCur.i);
        if (MU2 <= 1) {
            return;
        }
    }
    do {
        const Xr next = nextOrderQ(xr, NU1, mu, X, SX, qPrev, qCur);
        qPrev = qCur;
        qCur = next;
        ++mu;
        if (mu >= MU1) {
            ++k;
            entries.set(k, next.x, next.i);
        }
    } while (mu < MU2);
}

void XDQDEG(double NU1, double NU2, int MU1, double THETA, double X, double SX, int ID,
            std::span<double> PRIN, std::span<int> IAUX) {
    const ExtendedRange& xr = ExtendedRange::current();
    (void)ID; // always the Q kind; the series are asked for it explicitly
    Entries entries(PRIN, IAUX);
    const int count = static_cast<int>(std::trunc((NU2 - NU1) + 1.5));
    Xr q0Top;
    Xr q0Below;
    int order = 0;
    if (MU1 != 1) {
        XDPQDEG(NU1, NU2, order, THETA, kLegendreQ, PRIN, IAUX);
        if (MU1 == 0) {
            return;
        }
        q0Top = {entries.P(count), entries.I(count)};
        if (count >= 2) {
            q0Below = {entries.P(count - 1), entries.I(count - 1)};
        }
    }
    order = 1;
    XDPQDEG(NU1, NU2, order, THETA, kLegendreQ, PRIN, IAUX);
    if (MU1 == 1) {
        return;
    }
    const Xr q1Top{entries.P(count), entries.I(count)};
    Xr q1Below;
    if (count >= 2) {
        q1Below = {entries.P(count - 1), entries.I(count - 1)};
    }

    // Order MU1 at the two highest degrees.
    double nu = NU2;
    int k = count;
    Xr top = climbOrderQ(xr, nu, MU1, X, SX, q0Top, q1Top);
    entries.set(k, top.x, top.i);
    if (k == 1) {
        return;
    }
    nu = nu - 1.0;
    k = k - 1;
    Xr below = climbOrderQ(xr, nu, MU1, X, SX, q0Below, q1Below);
    entries.set(k, below.x, below.i);
    if (k == 1) {
        return;
    }

    // Down the degrees. The entry count, not the floating degree, ends the walk, so
    // that rounding in the degrees can never step outside the run.
    Xr qHi{entries.P(k + 1), entries.I(k + 1)};
    Xr qCur{entries.P(k), entries.I(k)};
    const double dmu = MU1;
    while (k > 1) {
        --k;
        const double t1 = (2.0 * nu + 1.0) * X * qCur.x / (nu + dmu);
        const double t2 = -((nu - dmu) + 1.0) * qHi.x / (nu + dmu);
        Xr next;
        xr.XDSUM(t1, qCur.i, t2, qHi.i, next.x, next.i);
        xr.XDADJ(next.x, next.i);
        qHi = qCur;
        qCur = next;
        entries.set(k, next.x, next.i);
        nu = nu - 1.0;
    }
}

} // namespace ormeda::detail
