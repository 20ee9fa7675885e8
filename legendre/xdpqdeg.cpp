// Runs of consecutive degrees at one order: P^(-mu)_nu(cos theta) for any order, and
// Q^mu_nu(cos theta) for orders 0 and 1. Two starting values at small degrees come
// from their series in y = sin^2(theta/2); the run climbs from them by the three-term
// recurrence in the degree. Every quantity is an extended-range pair, so neither the
// factorials nor the series terms nor the climb can overflow or underflow.
//
//   P^(-mu)_nu = r^mu / mu! * F(-nu, nu + 1; mu + 1; y),  r = tan(theta/2)
//   (nu + m) f_nu = (2 nu - 1) x f_(nu-1) - (nu - 1 - m) f_(nu-2),
//   with m = mu for P^(-mu) and m = -mu for Q^mu.
#include "extended_range.hpp"
#include "legendre_detail.hpp"
#include "one_based.hpp"
#include "starting_pair_memo.hpp"
#include "xdlegf.hpp"

#include <cmath>

namespace ormeda::detail {

namespace {

using Xr = ExtendedValue;

// Bernoulli quotients B_2k / (2k), k = 1 ... 12, as numerator and denominator.
struct Fraction {
    double numerator;
    double denominator;
};
constexpr Fraction kDigammaCoefficients[12] = {
    {1.0, 12.0},        {-1.0, 120.0},       {1.0, 252.0},       {-1.0, 240.0},
    {1.0, 132.0},       {-691.0, 32760.0},   {1.0, 12.0},        {-3617.0, 8160.0},
    {43867.0, 14364.0}, {-174611.0, 6600.0}, {854513.0, 3036.0}, {-236364091.0, 65520.0},
};

// One term update of the hypergeometric series at degree nu, order mu (term i >= 2).
double nextTerm(double a, double y, double nu, int mu, int i) {
    return a * y * ((i - 1) + nu) * ((i - 2) - nu) / (static_cast<double>((i - 1) + mu) * (i - 1));
}

// P^(-mu)_nu by its series, cut after nt terms or at the first term that is exactly 0.
Xr seriesP(const ExtendedRange& xr, double nu, int mu, int nt, double y, double r, Xr factorial) {
    Xr sum{1.0, 0};
    Xr a{1.0, 0};
    for (int i = 2; i <= nt; ++i) {
        a.x = nextTerm(a.x, y, nu, mu, i);
        xr.XDADJ(a.x, a.i);
        if (a.x == 0.0) {
            break;
        }
        xr.XDSUM(sum.x, sum.i, a.x, a.i, sum.x, sum.i);
    }
    if (mu > 0) {
        for (int k = 0; k < mu; ++k) {
            sum.x *= r;
            xr.XDADJ(sum.x, sum.i);
        }
        sum.x /= factorial.x;
        sum.i -= factorial.i;
        xr.XDADJ(sum.x, sum.i);
    }
    return sum;
}

// Q^mu_nu, mu = 0 or 1, by its logarithmic series; it always takes all nt terms.
Xr seriesQ(const ExtendedRange& xr, double nu, int mu, int nt, int kpsi, int npsi, double theta,
           double y, double r) {
    const double z = -std::log(r);
    const double w = XDDIGAM(nu + 1.0, kpsi, npsi);
    const double s = 1.0 / std::sin(theta);
    Xr sum{0.0, 0};
    Xr a{1.0, 0};
    for (int k = 1; k <= nt; ++k) {
        if (k > 1) {
            a.x = nextTerm(a.x, y, nu, mu, k);
            xr.XDADJ(a.x, a.i);
        }
        const double psiK = XDDIGAM(static_cast<double>(k), kpsi, npsi);
        double t = 0.0;
        if (mu == 0) {
            t = (psiK - w + z) * a.x;
        } else {
            t = (nu * (nu + 1.0) * ((z - w) + psiK) + ((nu - k) + 1.0) * (k + nu) / (2 * k)) * a.x;
        }
        xr.XDSUM(sum.x, sum.i, t, a.i, sum.x, sum.i);
    }
    if (mu >= 1) {
        sum.x = -r * sum.x;
        xr.XDSUM(sum.x, sum.i, -s, 0, sum.x, sum.i);
    }
    return sum;
}

} // namespace

void XDPQDEG(double NU1, double NU2, int MU, double THETA, int ID, std::span<double> PRIN,
             std::span<int> IAUX) {
    const ExtendedRange& xr = ExtendedRange::current();
    const int nt = xr.parameters().MANTBITS;
    const int kpsi = nt / 10 + 1;
    const int npsi = 5 * kpsi;
    const bool qKind = ID == kLegendreQ;

    // Starting degree: in (-1.5, -0.5] for P, in [-0.5, 0.5) for Q, an integer below NU1.
    double nu0 = std::fmod(NU1, 1.0);
    if (nu0 >= 0.5) {
        nu0 = nu0 - 1.0;
    }
    if (!qKind && nu0 > -0.5) {
        nu0 = nu0 - 1.0;
    }

    const double x = std::cos(THETA);

    // The two starting values, at nu0 and nu0 + 1: remembered from the previous call
    // when it started from the same degree, order, angle and parameters. A pair whose
    // forming reported an index overflow is not remembered, so that a repeated
    // request reports it again.
    double nu = nu0;
    StartingPairMemo& memo = StartingPairMemo::current();
    const StartingPairKey key{nu0, MU, THETA, qKind, xr.parameters()};
    StartingPair pair;
    if (const StartingPair* held = memo.find(key)) {
        pair = *held;
        nu = nu + 1.0;
    } else {
        const long reportsBefore = xr.overflowReports();
        Xr factorial{1.0, 0};
        for (int i = 1; i <= MU; ++i) {
            factorial.x *= i;
            xr.XDADJ(factorial.x, factorial.i);
        }
        const double y = std::pow(std::sin(THETA / 2.0), 2.0);
        const double r = std::tan(THETA / 2.0);
        const auto start = [&](double degree) {
            return qKind ? seriesQ(xr, degree, MU, nt, kpsi, npsi, THETA, y, r)
                         : seriesP(xr, degree, MU, nt, y, r, factorial);
        };
        pair.lower = start(nu);
        nu = nu + 1.0;
        pair.upper = start(nu);
        if (xr.overflowReports() == reportsBefore) {
            memo.remember(key, pair);
        }
    }

    Entries entries(PRIN, IAUX);
    int j = 0;
    // Stores a value of degree d when it belongs to the run; true once the run is full.
    const auto store = [&](double d, const Xr& v) {
        if (d >= NU1 - 0.5) {
            ++j;
            entries.set(j, v.x, v.i);
            if (d > NU2 - 0.5) {
                return true;
            }
        }
        return false;
    };

    Xr lower = pair.lower;
    Xr upper = pair.upper;
    const int muRec = qKind ? -MU : MU;

    if (store(nu0, lower) || store(nu, upper)) {
        return;
    }
    for (;;) {
        nu = nu + 1.0;
        const double t1 = ((2.0 * nu - 1.0) / (nu + muRec)) * x * upper.x;
        const double t2 = (((nu - 1.0) - muRec) / (nu + muRec)) * lower.x;
        Xr next;
        xr.XDSUM(t1, upper.i, -t2, lower.i, next.x, next.i);
        xr.XDADJ(next.x, next.i);
        lower = upper;
        upper = next;
        if (store(nu, upper)) {
            return;
        }
    }
}

double XDDIGAM(double Z, int KPSI, int NPSI) {
    // Shift the argument up to Z + n >= NPSI, where the asymptotic series is accurate.
    const double whole = std::trunc(Z);
    int n = whole >= NPSI ? 0 : NPSI - static_cast<int>(whole);
    if (n <= 0) {
        n = 0;
    }
    const double zn = Z + n;
    const double zn2 = std::pow(zn, 2.0);
    double c = 0.0;
    for (int k = KPSI - 1; k >= 1; --k) {
        const Fraction& b = kDigammaCoefficients[k - 1];
        c = (c + b.numerator / b.denominator) / zn2;
    }
    double psi = std::log(zn) - (0.5 / zn + c);
    if (n > 0) {
        double s = 0.0;
        for (int k = n - 1; k >= 0; --k) {
            s = s + 1.0 / (Z + k);
        }
        psi = psi - s;
    }
    return psi;
}

} // namespace ormeda::detail
