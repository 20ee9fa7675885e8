// An independent reference for the map: the cap model's potential and a dipole's
// field, evaluated in long double from first principles. Nothing here uses the
// program's frame routines or its Legendre library: positions come from the GRS 80
// ellipsoid in Cartesian form, the cap frame is an explicit rotation matrix, the cap
// Legendre functions come from their hypergeometric series, and the gradient of the
// potential is taken by central differences in Cartesian coordinates.
#pragma once

#include <array>
#include <cmath>

namespace ormeda::validation {

using real = long double;

inline constexpr real kPi = 3.141592653589793238462643383279502884L;
inline constexpr real kRad = kPi / 180.0L;

// GRS 80 and the model's reference sphere, km.
inline constexpr real kSemiMajor = 6378.137L;
inline constexpr real kEccentricity2 = 0.0066943800229L;
inline constexpr real kReferenceRadius = 6371.0087714L;

struct Vec3 {
    real x = 0.0L;
    real y = 0.0L;
    real z = 0.0L;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator*(real s, Vec3 a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline real dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline real norm(Vec3 a) {
    return std::sqrt(dot(a, a));
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Earth-centred Cartesian position of a point at height 0 on the ellipsoid.
inline Vec3 ellipsoidPoint(real latDeg, real lonDeg) {
    const real sp = std::sin(latDeg * kRad);
    const real cp = std::cos(latDeg * kRad);
    const real n = kSemiMajor / std::sqrt(1.0L - kEccentricity2 * sp * sp);
    return {n * cp * std::cos(lonDeg * kRad), n * cp * std::sin(lonDeg * kRad),
            n * (1.0L - kEccentricity2) * sp};
}

// Local north, east and down unit vectors of the ellipsoid's normal at a point.
struct LocalAxes {
    Vec3 north;
    Vec3 east;
    Vec3 down;
};

inline LocalAxes geodeticAxes(real latDeg, real lonDeg) {
    const real sp = std::sin(latDeg * kRad);
    const real cp = std::cos(latDeg * kRad);
    const real sl = std::sin(lonDeg * kRad);
    const real cl = std::cos(lonDeg * kRad);
    return {{-sp * cl, -sp * sl, cp}, {-sl, cl, 0.0L}, {-cp * cl, -cp * sl, -sp}};
}

// Declination, inclination and intensity of a field given in Cartesian components at a
// point of geodetic latitude and longitude. D is the principal value of the arctangent,
// as the map prints it.
struct Elements {
    real D = 0.0L;
    real I = 0.0L;
    real F = 0.0L;
};

inline Elements elementsAt(Vec3 field, real latDeg, real lonDeg) {
    const LocalAxes axes = geodeticAxes(latDeg, lonDeg);
    const real bn = dot(field, axes.north);
    const real be = dot(field, axes.east);
    const real bd = dot(field, axes.down);
    const real h = std::sqrt(bn * bn + be * be);
    return {std::atan(be / bn) / kRad, std::atan(bd / h) / kRad,
            std::sqrt(bn * bn + be * be + bd * bd)};
}

// The cap frame: its z axis points to the cap pole (geocentric latitude 45, longitude 8),
// its x axis lies in the pole's meridian plane pointing away from the geographic north
// pole (cap longitude 0), and y = z cross x points east at the pole.
struct CapRotation {
    Vec3 xAxis;
    Vec3 yAxis;
    Vec3 zAxis;

    Vec3 apply(Vec3 p) const { return {dot(xAxis, p), dot(yAxis, p), dot(zAxis, p)}; }
};

inline CapRotation capRotation(real poleLatDeg, real poleLonDeg) {
    const real sp = std::sin(poleLatDeg * kRad);
    const real cp = std::cos(poleLatDeg * kRad);
    const real sl = std::sin(poleLonDeg * kRad);
    const real cl = std::cos(poleLonDeg * kRad);
    const Vec3 z{cp * cl, cp * sl, sp};
    const Vec3 x{sp * cl, sp * sl, -cp};
    return {x, cross(z, x), z};
}

// Schmidt semi-normalised Legendre function of real degree n and order m (0 to 2)
// without the (-1)^m phase, from
//   P_n^m(cos t) = Gamma(n+m+1) / (Gamma(n-m+1) m! 2^m) sin^m t
//                  2F1(m - n, n + m + 1; m + 1; sin^2(t/2))
// with the Schmidt factor sqrt(2 Gamma(n-m+1) / Gamma(n+m+1)) for m > 0. The factor
// sin^m t is left to the caller (it goes with cos(mL), sin(mL) into a polynomial in the
// Cartesian coordinates), so this returns the rest as a function of z = sin^2(t/2).
inline real schmidtReduced(int m, real n, real z) {
    real sum = 1.0L;
    real term = 1.0L;
    for (int k = 0; k < 200; ++k) {
        term *= (m - n + k) * (n + m + 1.0L + k) / ((m + 1.0L + k) * (k + 1.0L)) * z;
        sum += term;
        if (std::fabs(term) < 1e-24L * std::fabs(sum)) {
            break;
        }
    }
    if (m == 0) {
        return sum;
    }
    real gammaRatio = 1.0L; // Gamma(n+m+1) / Gamma(n-m+1) = (n+m)(n+m-1)...(n-m+1)
    for (int i = -m + 1; i <= m; ++i) {
        gammaRatio *= n + i;
    }
    real mFactorial2m = 1.0L; // m! 2^m
    for (int i = 1; i <= m; ++i) {
        mFactorial2m *= 2.0L * i;
    }
    return std::sqrt(2.0L * gammaRatio) / mFactorial2m * sum;
}

// The real degrees of the nine-term cap basis, in the order of the coefficients
// (constant term, then (k, m) = (1,0), (1,1)c, (1,1)s, (2,0), (2,1)c, (2,1)s, (2,2)c,
// (2,2)s): the single-precision values of the model, widened.
struct Term {
    int m;
    real n;
    bool sine;
};

inline const std::array<Term, 8>& capTerms() {
    static const std::array<Term, 8> terms{{
        {0, static_cast<real>(static_cast<double>(2.932276f)), false},
        {1, static_cast<real>(static_cast<double>(2.2753966f)), false},
        {1, static_cast<real>(static_cast<double>(2.2753966f)), true},
        {0, static_cast<real>(static_cast<double>(5.012005f)), false},
        {1, static_cast<real>(static_cast<double>(5.012005f)), false},
        {1, static_cast<real>(static_cast<double>(5.012005f)), true},
        {2, static_cast<real>(static_cast<double>(4.090469f)), false},
        {2, static_cast<real>(static_cast<double>(4.090469f)), true},
    }};
    return terms;
}

// V(p) = a g1 (a/r) + a sum_j g_j (a/r)^(n+1) P~_n^m(t) (cos or sin)(mL) for an
// Earth-centred point p, with t and L its cap colatitude and longitude.
inline real capPotential(const std::array<real, 9>& g, const CapRotation& rot, Vec3 p) {
    const Vec3 c = rot.apply(p);
    const real r = norm(c);
    const real u = c.x / r; // sin t cos L
    const real w = c.y / r; // sin t sin L
    const real s2 = u * u + w * w;
    const real z = s2 / (2.0L * (1.0L + c.z / r)); // sin^2(t/2), free of cancellation
    const real q = kReferenceRadius / r;
    real v = g[0] * q;
    for (std::size_t j = 1; j < 9; ++j) {
        const Term& term = capTerms()[j - 1];
        real angular = 1.0L; // sin^m t times cos(mL) or sin(mL)
        if (term.m == 1) {
            angular = term.sine ? w : u;
        } else if (term.m == 2) {
            angular = term.sine ? 2.0L * u * w : u * u - w * w;
        }
        v += g[j] * std::pow(q, term.n + 1.0L) * schmidtReduced(term.m, term.n, z) * angular;
    }
    return kReferenceRadius * v;
}

// Gradient by fourth-order central differences with a step of 1 km; the potential
// varies on scales of about a thousand kilometres, so the truncation error is near
// 1e-13 relative, far below what two printed decimals resolve.
template <class Potential> Vec3 gradient(const Potential& potential, Vec3 p) {
    constexpr real h = 1.0L;
    auto derivative = [&](Vec3 step) {
        return (potential(p + (-2.0L) * step) - 8.0L * potential(p + (-1.0L) * step) +
                8.0L * potential(p + step) - potential(p + 2.0L * step)) /
               (12.0L * h);
    };
    return {derivative({h, 0.0L, 0.0L}), derivative({0.0L, h, 0.0L}), derivative({0.0L, 0.0L, h})};
}

// Field of a geocentric dipole whose axis points to the boreal pole `axis` (unit
// vector), with equatorial strength b0 at the reference radius:
//   B = b0 (a/r)^3 (m - 3 (m.rhat) rhat),
// pointing down at the boreal pole, north at the dipole equator.
inline Vec3 dipoleField(Vec3 axis, real b0, Vec3 p) {
    const real r = norm(p);
    const Vec3 rhat = (1.0L / r) * p;
    const real q = kReferenceRadius / r;
    return (b0 * q * q * q) * (axis + (-3.0L * dot(axis, rhat)) * rhat);
}

} // namespace ormeda::validation
