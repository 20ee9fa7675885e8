// Extended-range set-up and operations. A number is a pair (x, i) standing for
// x * BASE^i. XDADJ keeps BASE^-L <= |x| < BASE^L by moving BASE^(2L) steps into
// the index; XDSUM aligns the smaller operand on the larger one in steps of BASE^L
// so that neither an overflow nor a loss to underflow can happen on the way;
// XDPLAIN folds the index back into the double whenever the value fits in it.
#include "extended_range.hpp"

#include "error_package.hpp"
#include "process_wide.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace ormeda {

namespace {

// Indices of the machine-constant table that describe the number formats.
constexpr int kImconIntegerBits = 8;
constexpr int kImconRadix = 10;
constexpr int kImconMantissaDigits = 14;
constexpr int kImconMinExponent = 15;
constexpr int kImconMaxExponent = 16;

// Accepted bits per integer: the lower limit keeps KMAX useful, the upper one keeps
// 2^(NBITS-1) inside the 32-bit auxiliary index.
constexpr int kMinIntegerBits = 15;
constexpr int kMaxIntegerBits = 31;
constexpr int kMaxMantissaBits = 120;
constexpr int kMinL = 4;

constexpr int kLevelRecoverable = 1;

void report(std::string_view message, int nerr) {
    XERROR(message, static_cast<int>(message.size()), nerr, kLevelRecoverable);
}

constexpr std::string_view kBadRadix = "ERR IN XDSET...IMPROPER VALUE OF IRAD";
constexpr std::string_view kBadDzero = "ERR IN XDSET...IMPROPER VALUE OF DZERO";
constexpr std::string_view kBadNbits = "ERR IN XDSET...IMPROPER VALUE OF NBITS";
constexpr std::string_view kBadNradpl = "ERR IN XDSET...IMPROPER VALUE OF NRADPL";
constexpr std::string_view kNradplNotBelowL = "ERR IN XDSET...NRADPL .GE. L";
constexpr std::string_view kKmaxTooSmall = "ERR IN XDSET...6*L .GT. KMAX";
constexpr std::string_view kIndexOverflow = "ERR IN XDADJ...OVERFLOW IN AUXILIARY INDEX";

} // namespace

NumberFormat machineNumberFormat() {
    return NumberFormat{IMCON(kImconRadix), IMCON(kImconMantissaDigits), IMCON(kImconMinExponent),
                        IMCON(kImconMaxExponent), IMCON(kImconIntegerBits)};
}

ExtendedRange& ExtendedRange::current() {
    return ProcessWide<ExtendedRange>::current();
}

void ExtendedRange::XDSET(int IRAD, int NRADPL, double DZERO, int NBITS) {
    if (setUp_) {
        return;
    }
    XDSET(IRAD, NRADPL, DZERO, NBITS, machineNumberFormat());
}

void ExtendedRange::XDSET(int IRAD, int NRADPL, double DZERO, int NBITS,
                          const NumberFormat& format) {
    if (setUp_) {
        return;
    }
    // Set first: a set-up that fails is never attempted again.
    setUp_ = true;

    int radix = IRAD;
    int places = NRADPL;
    const double dzero = DZERO;
    int bits = NBITS;
    int minExponent = 0;
    int maxExponent = 0;
    if (radix == 0) {
        radix = format.radix;
    }
    if (places == 0) {
        places = format.mantissaDigits;
    }
    if (dzero == 0.0) {
        minExponent = format.minExponent;
        maxExponent = format.maxExponent;
    }
    if (bits == 0) {
        bits = format.integerBits;
    }

    int log2Radix = 0;
    switch (radix) {
    case 2:
        log2Radix = 1;
        break;
    case 4:
        log2Radix = 2;
        break;
    case 8:
        log2Radix = 3;
        break;
    case 16:
        log2Radix = 4;
        break;
    default:
        report(kBadRadix, 1);
        return;
    }

    // Wide product: a wild NRADPL must fail the check below, not overflow here.
    const long long mantissaBits = static_cast<long long>(log2Radix) * places;
    p_.MANTBITS = static_cast<int>(mantissaBits);

    p_.BASE = static_cast<double>(radix);
    const double log10Base = std::log10(p_.BASE);

    if (dzero == 0.0) {
        p_.L = std::min((1 - minExponent) / 2, (maxExponent - 1) / 2);
    } else {
        // A negative or non-finite DZERO has no usable logarithm: it leaves L at 0,
        // which the check below rejects as an improper DZERO.
        const double half = std::trunc(0.5 * std::log10(dzero) / log10Base);
        p_.L = std::isfinite(half) ? static_cast<int>(half) - 1 : 0;
    }

    p_.TWOL = 2 * p_.L;
    if (p_.L < kMinL) {
        report(kBadDzero, 2);
        return;
    }

    p_.BASEL = std::pow(p_.BASE, p_.L);
    p_.BASE2L = p_.BASEL * p_.BASEL;

    if (bits < kMinIntegerBits || bits > kMaxIntegerBits) {
        report(kBadNbits, 3);
        return;
    }

    p_.KMAX = (1 << (bits - 1)) - p_.TWOL;

    if (mantissaBits < 1 || mantissaBits > kMaxMantissaBits) {
        report(kBadNradpl, 4);
        return;
    }
    if (p_.L <= places) {
        report(kNradplNotBelowL, 5);
        return;
    }
    if (6LL * p_.L > p_.KMAX) {
        report(kKmaxTooSmall, 6);
        return;
    }
}

double ExtendedRange::power(int exponent) const {
    return std::pow(p_.BASE, exponent);
}

void ExtendedRange::reportOverflow() const {
    ++overflowReports_;
    report(kIndexOverflow, 1);
}

void ExtendedRange::XDADJ(double& X, int& IX) const {
    if (X == 0.0) {
        IX = 0;
    } else if (std::abs(X) >= 1.0) {
        if (std::abs(X) >= p_.BASEL) {
            X /= p_.BASE2L;
            if (IX <= 0 || IX <= p_.KMAX - p_.TWOL) {
                IX += p_.TWOL;
                return;
            }
            reportOverflow();
            return;
        }
    } else if (p_.BASEL * std::abs(X) < 1.0) {
        X *= p_.BASE2L;
        if (IX >= 0 || IX >= p_.TWOL - p_.KMAX) {
            IX -= p_.TWOL;
            return;
        }
        reportOverflow();
        return;
    }
    if (IX >= -p_.KMAX && IX <= p_.KMAX) {
        return;
    }
    reportOverflow();
}

void ExtendedRange::XDSUM(double X, int IX, double Y, int IY, double& Z, int& IZ) const {
    const double baseL = p_.BASEL;
    const int L = p_.L;
    double z = 0.0;
    int iz = 0;

    // Adds two principal parts standing at the same index, scaling both by BASE^L
    // first when both are large or both small, so that the sum stays in range.
    const auto combine = [&](double s, double t, int k) {
        if (std::abs(s) > 1.0 && std::abs(t) > 1.0) {
            z = s / baseL + t / baseL;
            iz = k + L;
        } else if (std::abs(s) < 1.0 && std::abs(t) < 1.0) {
            z = baseL * s + baseL * t;
            iz = k - L;
        } else {
            z = s + t;
            iz = k;
        }
    };

    const long long sixL = 6LL * L;
    if (X == 0.0) {
        z = Y;
        iz = IY;
    } else if (Y == 0.0) {
        z = X;
        iz = IX;
    } else if ((IX >= 0) != (IY >= 0) && (std::llabs(IX) > sixL || std::llabs(IY) > sixL)) {
        // Indices of opposite sign this far apart: the smaller operand cannot show.
        if (IX >= 0) {
            z = X;
            iz = IX;
        } else {
            z = Y;
            iz = IY;
        }
    } else {
        const long long d = static_cast<long long>(IX) - IY;
        if (d == 0) {
            combine(X, Y, IX);
        } else {
            double s = X;
            int is = IX;
            double t = Y;
            if (d < 0) {
                s = Y;
                is = IY;
                t = X;
            }
            const int q = static_cast<int>(std::llabs(d) / L);
            const int r = static_cast<int>(std::llabs(d) % L);

            // Bring t toward the index of s, by as many whole L-steps as its size
            // allows; j L-steps then remain for s to take.
            int j = 0;
            if (std::abs(t) >= baseL && q >= 2) {
                j = q - 2;
                t = (power(-r) * t) / p_.BASE2L;
            } else if (std::abs(t) >= 1.0 && q >= 1) {
                j = q - 1;
                t = (power(-r) * t) / baseL;
            } else if (baseL * std::abs(t) >= 1.0) {
                j = q;
                t = power(-r) * t;
            } else {
                j = q + 1;
                t = power(L - r) * t;
            }

            bool sUnchanged = false;
            if (j != 0) {
                if (std::abs(s) >= baseL || j > 3) {
                    sUnchanged = true;
                } else if (std::abs(s) >= 1.0) {
                    if (j == 1) {
                        s *= baseL;
                    } else {
                        sUnchanged = true;
                    }
                } else if (baseL * std::abs(s) >= 1.0) {
                    if (j <= 2) {
                        for (int k = 0; k < j; ++k) {
                            s *= baseL;
                        }
                    } else {
                        sUnchanged = true;
                    }
                } else {
                    for (int k = 0; k < j; ++k) {
                        s *= baseL;
                    }
                }
            }
            if (sUnchanged) {
                z = s;
                iz = is;
            } else {
                combine(s, t, is - j * L);
            }
        }
    }
    XDADJ(z, iz);
    Z = z;
    IZ = iz;
}

void ExtendedRange::XDPLAIN(double& X, int& IX) const {
    if (X == 0.0) {
        IX = 0;
        return;
    }
    double a = std::abs(X);
    // A principal part that overflowed has no plain form; scaling it would never end.
    if (!std::isfinite(a)) {
        return;
    }
    if (IX != 0) {
        const long long magnitude = std::llabs(IX);
        long long n = magnitude / p_.TWOL;
        const int m = static_cast<int>(magnitude % p_.TWOL);
        if (IX < 0) {
            while (a <= 1.0) {
                a *= p_.BASE2L;
                ++n;
            }
            a /= power(m);
            for (long long k = 0; k < n; ++k) {
                if (a < 1.0) {
                    return;
                }
                a /= p_.BASE2L;
            }
        } else {
            while (a >= 1.0) {
                a /= p_.BASE2L;
                ++n;
            }
            a *= power(m);
            for (long long k = 0; k < n; ++k) {
                if (a > 1.0) {
                    return;
                }
                a *= p_.BASE2L;
            }
        }
    }
    if (a > p_.BASE2L) {
        return;
    }
    if (a <= 1.0 && p_.BASE2L * a < 1.0) {
        return;
    }
    X = std::copysign(a, X);
    IX = 0;
}

void XDSET(int IRAD, int NRADPL, double DZERO, int NBITS) {
    ExtendedRange::current().XDSET(IRAD, NRADPL, DZERO, NBITS);
}
void XDADJ(double& X, int& IX) {
    ExtendedRange::current().XDADJ(X, IX);
}
void XDSUM(double X, int IX, double Y, int IY, double& Z, int& IZ) {
    ExtendedRange::current().XDSUM(X, IX, Y, IY, Z, IZ);
}
void XDPLAIN(double& X, int& IX) {
    ExtendedRange::current().XDPLAIN(X, IX);
}

} // namespace ormeda
