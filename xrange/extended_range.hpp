// Extended-range numbers: a double principal part with an integer index of the
// radix, value = principal part x BASE^index, so that long products, series and
// recurrences neither overflow nor underflow. The parameters are set once per run.
#pragma once

namespace ormeda {

struct ExtendedRangeParameters {
    double BASE = 0.0;
    int L = 0;
    int TWOL = 0;
    double BASEL = 0.0;
    double BASE2L = 0.0;
    int KMAX = 0;
    int MANTBITS = 0;
};

// The floating-point and integer characteristics that 0 arguments of XDSET select.
struct NumberFormat {
    int radix = 0;          // radix of the double format
    int mantissaDigits = 0; // base-radix digits in a double's mantissa
    int minExponent = 0;    // smallest exponent of the double format
    int maxExponent = 0;    // largest exponent of the double format
    int integerBits = 0;    // bits of an integer, sign excluded
};

// The characteristics of this machine, from the integer machine constants.
NumberFormat machineNumberFormat();

class ExtendedRange {
public:
    // Effective at its first call only; 0 arguments select the platform's values.
    void XDSET(int IRAD, int NRADPL, double DZERO, int NBITS);
    // The same set-up with the defaults taken from `format` instead of this machine.
    void XDSET(int IRAD, int NRADPL, double DZERO, int NBITS, const NumberFormat& format);
    // Brings a principal part back into range, moving powers of BASE to the index.
    void XDADJ(double& X, int& IX) const;
    // Z = X + Y without overflow or underflow; Z may be the same variables as X or Y.
    void XDSUM(double X, int IX, double Y, int IY, double& Z, int& IZ) const;
    // Converts to plain form (index 0) where the magnitude allows.
    void XDPLAIN(double& X, int& IX) const;

    const ExtendedRangeParameters& parameters() const { return p_; }
    bool isSet() const { return setUp_; }
    // Index overflows that XDADJ has reported so far.
    long overflowReports() const { return overflowReports_; }

    static ExtendedRange& current();

private:
    double power(int exponent) const; // BASE raised to an integer power
    void reportOverflow() const;

    ExtendedRangeParameters p_{};
    bool setUp_ = false;
    mutable long overflowReports_ = 0;
};

// The same operations on the current process-wide parameters.
void XDSET(int IRAD, int NRADPL, double DZERO, int NBITS);
void XDADJ(double& X, int& IX);
void XDSUM(double X, int IX, double Y, int IY, double& Z, int& IZ);
void XDPLAIN(double& X, int& IX);

} // namespace ormeda
