// Free-format numeric reader: the list-directed input of the date at the prompt and of
// the coefficient table.
//
// A read starts where the previous one stopped (always at the start of a line) and
// takes list items until every target has one: values, null values (an empty item
// between commas, a leading comma, or r* with nothing after the star) and r*value
// repeats. Blanks, tabs and line ends are blank separators, a comma (with blanks
// around it) is one separator, and a slash ends the read. After the last item, or after
// the slash, the rest of that line is skipped, so the next read starts on a new line.
//
// A token is everything up to the next blank, tab, comma, slash or line end, and it
// must be wholly a number: an optional sign, digits with an optional decimal point
// (at least one digit), and an optional exponent of E, e, D or d with an optional sign
// and at least one digit; or NaN, Inf or Infinity in any case, with an optional sign.
#include "free_format.hpp"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>
#include <utility>

namespace ormeda {

namespace {

// Longer tokens are rejected: no number in a table needs them, and a stream of bytes
// without a separator (a binary file) must not grow a token without bound.
constexpr std::size_t kMaxToken = 4096;
// Tokens are shown in reports up to this length, with unprintable bytes escaped.
constexpr std::size_t kShownToken = 40;

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}
bool endsToken(int c) {
    return c == std::char_traits<char>::eof() || c == ' ' || c == '\t' || c == ',' || c == '/' ||
           c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool equalsNoCase(std::string_view s, std::string_view word) {
    if (s.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) != word[i]) {
            return false;
        }
    }
    return true;
}

std::string shown(std::string_view token) {
    std::string out = "\"";
    const std::size_t n = std::min(token.size(), kShownToken);
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(token[i]);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    out += '"';
    if (token.size() > n) {
        out += "...";
    }
    return out;
}

enum class Parse { Ok, NotANumber, OutOfRange };

// Converts a token that must be wholly a number.
Parse parseNumber(std::string_view token, double& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    const std::string_view body = token.substr(i);
    if (equalsNoCase(body, "nan")) {
        value = negative ? -std::numeric_limits<double>::quiet_NaN()
                         : std::numeric_limits<double>::quiet_NaN();
        return Parse::Ok;
    }
    if (equalsNoCase(body, "inf") || equalsNoCase(body, "infinity")) {
        value = negative ? -std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::infinity();
        return Parse::Ok;
    }

    // Mantissa: digits, an optional point, digits; at least one digit in all.
    std::string normal; // sign-free, with 'e' as the exponent letter, for from_chars
    normal.reserve(token.size());
    std::size_t digits = 0;
    std::size_t beforePoint = 0;
    std::optional<std::size_t> firstNonZero;
    bool point = false;
    for (; i < token.size(); ++i) {
        const char c = token[i];
        if (isDigit(c)) {
            if (c != '0' && !firstNonZero) {
                firstNonZero = digits;
            }
            ++digits;
            if (!point) {
                ++beforePoint;
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        normal += c;
    }
    if (digits == 0) {
        return Parse::NotANumber;
    }
    std::int64_t exponent = 0;
    if (i < token.size()) {
        const char letter = token[i];
        if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') {
            return Parse::NotANumber;
        }
        normal += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            negativeExponent = token[i] == '-';
            normal += token[i];
            ++i;
        }
        if (i == token.size()) {
            return Parse::NotANumber;
        }
        for (; i < token.size(); ++i) {
            if (!isDigit(token[i])) {
                return Parse::NotANumber;
            }
            // Saturates far beyond any exponent that could still give a finite value.
            if (exponent < 1'000'000'000) {
                exponent = exponent * 10 + (token[i] - '0');
            }
            normal += token[i];
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }

    double magnitude = 0.0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), magnitude,
                                           std::chars_format::general);
    if (end != normal.data() + normal.size()) {
        return Parse::NotANumber;
    }
    if (ec == std::errc::result_out_of_range) {
        // Either beyond the largest double or closer to zero than the smallest
        // subnormal: the decimal order of the leading digit tells which.
        const std::int64_t order = exponent + static_cast<std::int64_t>(beforePoint) -
                                   static_cast<std::int64_t>(firstNonZero.value_or(0)) - 1;
        if (order >= 0) {
            return Parse::OutOfRange;
        }
        magnitude = 0.0;
    } else if (ec != std::errc()) {
        return Parse::NotANumber;
    }
    value = negative ? -magnitude : magnitude;
    return Parse::Ok;
}

} // namespace

FreeFormatError::FreeFormatError(Kind kind, std::string what, std::size_t itemsRead, long line,
                                 std::string token)
    : std::runtime_error(std::move(what)), kind_(kind), itemsRead_(itemsRead), line_(line),
      token_(std::move(token)) {}

FreeFormatReader::FreeFormatReader(std::istream& in) : in_(in) {}

namespace {

// Thrown by Cursor when the stream itself fails; turned into a FreeFormatError.
struct StreamFailed {
    int reason;
};

// Character access that maps CR LF (and a CR as the last byte) to a plain line end and
// keeps the line count: `line` is the number of the line that holds the last character
// taken, so after a complete line it is the number of lines consumed.
class Cursor {
public:
    Cursor(std::istream& in, long& line) : in_(in), line_(line) {}

    int peek() {
        if (heldReturn_) {
            return '\r';
        }
        const int c = get(false);
        if (c != '\r') {
            return c;
        }
        get(true);
        countTaken('\r');
        const int next = get(false);
        if (next == '\n' || next == kEof) {
            return next;
        }
        heldReturn_ = true; // a CR inside a line is an ordinary character
        return '\r';
    }
    int take() {
        const int c = peek();
        if (heldReturn_) {
            heldReturn_ = false;
        } else if (c != kEof) {
            get(true);
            countTaken(c);
        }
        return c;
    }
    void skipRestOfLine() {
        for (int c = take(); c != '\n' && c != kEof; c = take()) {
        }
    }

private:
    static constexpr int kEof = std::char_traits<char>::eof();

    int get(bool consume) {
        errno = 0;
        const int c = consume ? in_.get() : in_.peek();
        if (in_.bad()) {
            throw StreamFailed{errno};
        }
        return c;
    }
    void countTaken(int c) {
        if (atLineStart_) {
            ++line_;
            atLineStart_ = false;
        }
        if (c == '\n') {
            atLineStart_ = true;
        }
    }

    std::istream& in_;
    long& line_;
    bool atLineStart_ = true;
    bool heldReturn_ = false;
};

} // namespace

void FreeFormatReader::read(std::span<double> targets) {
    if (targets.empty()) {
        return;
    }
    Cursor cursor(in_, line_);
    std::size_t items = 0;
    bool afterValue = false; // the last item was a value not yet followed by its comma
    try {
        for (;;) {
            int c = cursor.peek();
            while (isBlank(c) || c == '\n') {
                cursor.take();
                c = cursor.peek();
            }
            if (c == std::char_traits<char>::eof()) {
                throw FreeFormatError(FreeFormatError::Kind::EndOfInput, "end of input", items,
                                      line_, {});
            }
            if (c == '/') {
                cursor.skipRestOfLine();
                return;
            }
            if (c == ',') {
                cursor.take();
                if (!afterValue) {
                    ++items; // null value
                }
                afterValue = false;
            } else {
                std::string token;
                while (!endsToken(cursor.peek())) {
                    token += static_cast<char>(cursor.take());
                    if (token.size() > kMaxToken) {
                        throw FreeFormatError(FreeFormatError::Kind::BadValue,
                                              shown(token) + " is not a number (longer than " +
                                                  std::to_string(kMaxToken) + " characters)",
                                              items, line_, token);
                    }
                }
                std::size_t repeat = 1;
                std::string_view valueText = token;
                bool null = false;
                if (const auto star = token.find('*'); star != std::string::npos) {
                    const std::string_view count = std::string_view(token).substr(0, star);
                    std::uint64_t r = 0;
                    const auto [end, ec] =
                        std::from_chars(count.data(), count.data() + count.size(), r);
                    if (count.empty() || end != count.data() + count.size() || ec != std::errc() ||
                        r == 0) {
                        throw FreeFormatError(FreeFormatError::Kind::BadValue,
                                              shown(token) + " is not a number or r*value", items,
                                              line_, token);
                    }
                    repeat = static_cast<std::size_t>(
                        std::min<std::uint64_t>(r, targets.size() - items));
                    valueText = std::string_view(token).substr(star + 1);
                    null = valueText.empty();
                }
                double value = 0.0;
                if (!null) {
                    switch (parseNumber(valueText, value)) {
                    case Parse::Ok:
                        break;
                    case Parse::NotANumber:
                        throw FreeFormatError(FreeFormatError::Kind::BadValue,
                                              shown(token) + " is not a number", items, line_,
                                              token);
                    case Parse::OutOfRange:
                        throw FreeFormatError(FreeFormatError::Kind::BadValue,
                                              shown(token) +
                                                  " is beyond the range of double precision",
                                              items, line_, token);
                    }
                }
                for (std::size_t k = 0; k < repeat; ++k, ++items) {
                    if (!null) {
                        targets[items] = value;
                    }
                }
                afterValue = true;
            }
            if (items >= targets.size()) {
                cursor.skipRestOfLine();
                return;
            }
        }
    } catch (const StreamFailed& failure) {
        const int reason = failure.reason;
        throw FreeFormatError(FreeFormatError::Kind::StreamError,
                              std::string("read failed: ") +
                                  (reason != 0 ? std::strerror(reason) : "stream error"),
                              items, line_, {});
    }
}

} // namespace ormeda
