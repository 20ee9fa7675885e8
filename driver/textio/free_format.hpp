// Free-format numeric input, as used for the date at the prompt and for the
// coefficient table: values separated by blanks, tabs, commas or line ends, with
// repeat counts (r*value), null values, and a slash that ends the read early.
#pragma once

#include <cstddef>
#include <istream>
#include <span>
#include <stdexcept>
#include <string>

namespace ormeda {

// A read that could not complete. `itemsRead` counts the list items (values and
// null values) consumed before the failure.
class FreeFormatError : public std::runtime_error {
public:
    enum class Kind {
        BadValue,   // a token that is not wholly a number, or beyond the double range
        EndOfInput, // the input ended before the read was complete
        StreamError // the stream itself failed (for example a directory)
    };
    FreeFormatError(Kind kind, std::string what, std::size_t itemsRead, long line,
                    std::string token);
    Kind kind() const { return kind_; }
    std::size_t itemsRead() const { return itemsRead_; }
    long line() const { return line_; }                 // 1-based line of the input
    const std::string& token() const { return token_; } // the offending token, if any

private:
    Kind kind_;
    std::size_t itemsRead_;
    long line_;
    std::string token_;
};

class FreeFormatReader {
public:
    explicit FreeFormatReader(std::istream& in);

    // One free-format read of targets.size() values. Null values and values not
    // reached before a slash leave their targets unchanged. The rest of the line
    // holding the last value is skipped. NaN and Inf tokens are accepted here;
    // callers that need finite values check them. Throws FreeFormatError.
    void read(std::span<double> targets);

    long line() const { return line_; } // lines consumed so far

private:
    std::istream& in_;
    long line_ = 0;
};

} // namespace ormeda
