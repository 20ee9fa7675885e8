// Fixed-point field editing (Fw.d) from the exact decimal value of a double.
//
// A finite double is m * 2^e with an integer m, so its decimal expansion ends after
// max(0, -e) fractional digits; printing exactly that many digits gives the value with
// no rounding at all. The field is then rounded half away from zero on those digits,
// which a printf with d decimals would not do (it rounds exact binary ties such as
// 0.125 to even).
#include "fixed_point.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace ormeda {

namespace {

// Fractional digits of the exact decimal expansion of a finite, non-zero |value|.
int exactFractionDigits(double magnitude) {
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent); // magnitude = fraction * 2^exponent
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int lowestBit = exponent - 53 + std::countr_zero(mantissa);
    return std::max(0, -lowestBit);
}

void appendRightAligned(std::string& out, std::string_view text, int width) {
    const auto w = static_cast<std::size_t>(width);
    if (text.size() > w) {
        out.append(w, '*');
        return;
    }
    out.append(w - text.size(), ' ');
    out.append(text);
}

} // namespace

void appendFixed(std::string& out, double value, int width, int decimals) {
    if (width <= 0) {
        return;
    }
    decimals = std::max(decimals, 0);
    if (std::isnan(value)) {
        appendRightAligned(out, "NaN", width);
        return;
    }
    if (std::isinf(value)) {
        appendRightAligned(out, value < 0 ? "-Inf" : "Inf", width);
        return;
    }

    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    // Integer digits, then the exact fraction, padded with zeros to decimals + 1 digits.
    std::string intDigits = "0";
    std::string fracDigits;
    if (magnitude != 0.0) {
        const int fraction = exactFractionDigits(magnitude);
        std::array<char, 1100 + 310> buffer{}; // at most 1074 fractional, 309 integer digits
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                          std::chars_format::fixed, fraction);
        const std::string_view exact(buffer.data(),
                                     static_cast<std::size_t>(result.ptr - buffer.data()));
        const auto point = exact.find('.');
        intDigits = std::string(exact.substr(0, point));
        if (point != std::string_view::npos) {
            fracDigits = std::string(exact.substr(point + 1));
        }
    }
    const auto kept = static_cast<std::size_t>(decimals);
    if (fracDigits.size() < kept + 1) {
        fracDigits.append(kept + 1 - fracDigits.size(), '0');
    }

    // The sign stays on a negative value that rounds to zero when its magnitude reaches a
    // tenth of the last decimal place, that is when its first d + 1 decimals are not all 0.
    const bool tenthReached = intDigits != "0" || fracDigits.find_first_not_of('0') <= kept;

    // digits = integer part and kept decimals; round half away from zero on the next digit.
    std::string digits = intDigits + fracDigits.substr(0, kept);
    if (fracDigits[kept] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    const std::size_t intLength = digits.size() - kept;
    std::string integer = digits.substr(0, intLength);
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    const std::string decimalsText = digits.substr(intLength);

    std::string text;
    if (negative && tenthReached) {
        text += '-';
    }
    // No zero before the point, except that a field without decimals needs one digit.
    text += integer.empty() && kept == 0 ? "0" : integer;
    text += '.';
    text += decimalsText;
    appendRightAligned(out, text, width);
}

std::string fixedField(double value, int width, int decimals) {
    std::string out;
    appendFixed(out, value, width, decimals);
    return out;
}

} // namespace ormeda
