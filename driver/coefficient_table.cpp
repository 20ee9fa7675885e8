// Loading the coefficient table and interpolating it to one date.
#include "coefficient_table.hpp"

#include "free_format.hpp"
#include "program_stop.hpp"
#include "stdio_input.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <istream>
#include <memory>
#include <span>

namespace ormeda {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string ofValues(std::size_t count) {
    return std::to_string(count) + " of the " + std::to_string(kTableValues) + " values";
}

// "value 221 of 7620: row 12, column 1" for the value at 0-based position `index`.
std::string position(std::size_t index) {
    const auto row = index / kTableColumns + 1;
    const auto column = index % kTableColumns + 1;
    return "value " + std::to_string(index + 1) + " of " + std::to_string(kTableValues) + ": row " +
           std::to_string(row) + ", column " + std::to_string(column);
}

} // namespace

void loadCoefficientTable(CoefficientTable& table, const std::string& path) {
    // Read-only: the program never creates or changes the file it only reads.
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const int reason = errno;
        failTextIo("cannot open " + path +
                   " for reading: " + (reason != 0 ? std::strerror(reason) : "open failed"));
    }
    StdioInput buffer(file.get());
    std::istream in(&buffer);
    FreeFormatReader reader(in);
    try {
        reader.read(std::span<double>(table.value));
    } catch (const FreeFormatError& e) {
        switch (e.kind()) {
        case FreeFormatError::Kind::BadValue:
            failTextIo(path + ", line " + std::to_string(e.line()) + ": " + e.what() + " (" +
                       position(e.itemsRead()) + ")");
        case FreeFormatError::Kind::EndOfInput:
            failTextIo(path + ": end of file after " + ofValues(e.itemsRead()) + " (" +
                       std::to_string(e.line()) + " lines)");
        case FreeFormatError::Kind::StreamError:
            failTextIo(path + ": " + e.what() + " (after " + ofValues(e.itemsRead()) + ")");
        }
    }
    for (std::size_t i = 0; i < table.value.size(); ++i) {
        if (!std::isfinite(table.value[i])) {
            failTextIo(path + ": " + position(i) + " is not a finite number (" +
                       (std::isnan(table.value[i]) ? "NaN" : "infinite") + ")");
        }
    }
}

EpochRow interpolateEpoch(const CoefficientTable& table, double T) {
    const double x = T / kEpochStep + 1.0; // fractional row
    EpochRow row;
    if (x == static_cast<double>(kTableRows)) {
        for (int j = 1; j <= kTableColumns; ++j) {
            row(j) = table(kTableRows, j);
        }
        return row;
    }
    // The largest row i with i <= x <= i + 1; on an epoch that is the epoch's own row.
    // Dates are 0 to 1900; the clamps keep the indices inside the table regardless.
    int i0 = 1;
    if (x >= static_cast<double>(kTableRows - 1)) {
        i0 = kTableRows - 1;
    } else if (x > 1.0) {
        i0 = static_cast<int>(std::floor(x));
    }
    const double weight = x - static_cast<double>(i0);
    for (int j = 1; j <= kTableColumns; ++j) {
        row(j) = weight * (table(i0 + 1, j) - table(i0, j)) + table(i0, j);
    }
    return row;
}

} // namespace ormeda
