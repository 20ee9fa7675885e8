// The free-format reader, as one table of inputs and what a read makes of them.
#include "free_format.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace ormeda {
namespace {

constexpr double kUnset = -7.0; // every target starts at this; nulls leave it
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
using Kind = FreeFormatError::Kind;

struct ReaderCase {
    const char* name;
    std::string input;
    std::vector<double> expected; // the targets after the read (their count is the read's)
    std::optional<double> next{}; // what a following one-value read gives
    std::optional<Kind> error{};  // the read fails instead
    std::size_t itemsRead = 0;    // on failure: items consumed before it
    long line = 0;                // on failure: the line reported
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<double> unset(std::size_t n) {
    return std::vector<double>(n, kUnset);
}

// Same bits, so that -0 differs from +0 and NaN equals NaN.
bool sameValue(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

const std::vector<ReaderCase> kCases = {
    // Separators.
    {"BlanksAndTabs", "1 2\t3   4", {1, 2, 3, 4}},
    {"Commas", "1,2, 3 ,4", {1, 2, 3, 4}},
    {"LineEnds", "1\n2\n\n   \n3\n4", {1, 2, 3, 4}},
    {"CrLfLineEnds", "1\r\n2\r\n\r\n3\r\n", {1, 2, 3}},
    {"LastLineWithoutLineEnd", "1 2\n3", {1, 2, 3}},
    {"CrAsLastByte", "1.5\r", {1.5}},
    {"CommaBeforeLineEndIsOneSeparator", "1,\n2", {1, 2}},
    {"CommaAfterLineEndIsOneSeparator", "1\n,2", {1, 2}},
    // Numbers.
    {"Signs", "+1 -2 -0 +0", {1, -2, -0.0, 0}},
    {"DecimalPoints", ".5 5. 1.25 -.75", {0.5, 5, 1.25, -0.75}},
    {"ExponentLetters", "1E2 1e-2 1D2 1d+2 2.5e0 .5E1", {100, 0.01, 100, 100, 2.5, 5}},
    {"Integers", "12 007 -3", {12, 7, -3}},
    {"NearestDoubleOfLongDecimal", "0.1000000000000000055511151231257827", {0.1}},
    {"LargestDouble", "1.7976931348623157e308", {std::numeric_limits<double>::max()}},
    {"BelowRangeReadsAsNearest",
     "1e-400 -1e-400 4.9e-324 1e-99999999999",
     {0.0, -0.0, std::numeric_limits<double>::denorm_min(), 0.0}},
    {"NotANumberAndInfinities", "NaN inf -Infinity +INF", {kNaN, kInf, -kInf, kInf}},
    // Repeats and null values.
    {"Repeat", "3*2.5 1", {2.5, 2.5, 2.5, 1}},
    {"RepeatOfNulls", "2* 9", {kUnset, kUnset, 9}},
    {"RepeatOfNullsBeforeComma", "2*,9", {kUnset, kUnset, 9}},
    {"RepeatBeyondTheTargets", "5*1 2\n8", {1, 1, 1}, 8},
    {"LeadingComma", ",5", {kUnset, 5}},
    {"TwoCommas", "1,,3", {1, kUnset, 3}},
    {"CommasAcrossLineEnd", "1,\n,3", {1, kUnset, 3}},
    {"LeadingCommaEndsOneValueRead", ",5\n6", {kUnset}, 6},
    // Slash.
    {"SlashLeavesTheRest", "1 2 / 3\n4", {1, 2, kUnset, kUnset}, 4},
    {"SlashAfterValue", "1/3\n4", {1, kUnset}, 4},
    {"SlashAsLastByte", "1/", {1, kUnset, kUnset}},
    {"SlashAlone", "/", {kUnset}},
    {"SlashOnLaterLine", "1\n\n/\n2", {1, kUnset}, 2},
    // The line of the last value is skipped, however the read went over lines.
    {"RestOfLineSkipped", "1 2 3 junk\n4", {1, 2}, 4},
    {"ReadContinuesOverLines", "1\n2 3 4\n5", {1, 2, 3}, 5},
    {"TrailingTextIgnored", "1000 and more words\n", {1000}},
    // Read errors: never a numeric prefix.
    {"TrailingLetter", "1x", unset(1), {}, Kind::BadValue, 0, 1},
    {"TrailingLetters", "12abc", unset(1), {}, Kind::BadValue, 0, 1},
    {"DoubleSign", "--1", unset(1), {}, Kind::BadValue, 0, 1},
    {"Hexadecimal", "0x10", unset(1), {}, Kind::BadValue, 0, 1},
    {"Quoted", "'12'", unset(1), {}, Kind::BadValue, 0, 1},
    {"ExponentWithoutDigits", "1.5E", unset(1), {}, Kind::BadValue, 0, 1},
    {"ExponentSignWithoutDigits", "1e+", unset(1), {}, Kind::BadValue, 0, 1},
    {"ExponentWithoutLetter", "1+3", unset(1), {}, Kind::BadValue, 0, 1},
    {"OtherExponentLetter", "1.5Q2", unset(1), {}, Kind::BadValue, 0, 1},
    {"Semicolon", "12;5", unset(1), {}, Kind::BadValue, 0, 1},
    {"PointAlone", ".", unset(1), {}, Kind::BadValue, 0, 1},
    {"SignAlone", "-", unset(1), {}, Kind::BadValue, 0, 1},
    {"ExponentAlone", "e5", unset(1), {}, Kind::BadValue, 0, 1},
    {"TwoPoints", "1.2.3", unset(1), {}, Kind::BadValue, 0, 1},
    {"AboveRange", "1e400", unset(1), {}, Kind::BadValue, 0, 1},
    {"NegativeAboveRange", "-1.8e308", unset(1), {}, Kind::BadValue, 0, 1},
    {"ZeroRepeat", "0*5", unset(1), {}, Kind::BadValue, 0, 1},
    {"RealRepeat", "2.0*3", unset(1), {}, Kind::BadValue, 0, 1},
    {"SignedRepeat", "+2*3", unset(1), {}, Kind::BadValue, 0, 1},
    {"StarWithoutCount", "*5", unset(1), {}, Kind::BadValue, 0, 1},
    {"RepeatOfBadValue", "2*x", unset(2), {}, Kind::BadValue, 0, 1},
    {"BadValueAfterOthers", "1 2\n\n 3 abc", {1, 2, 3, kUnset}, {}, Kind::BadValue, 3, 3},
    {"EndlessToken", std::string(5000, '9'), unset(1), {}, Kind::BadValue, 0, 1},
    {"ZeroBytes", std::string(10, '\0'), unset(1), {}, Kind::BadValue, 0, 1},
    {"CrInsideLine", "1\r2", unset(1), {}, Kind::BadValue, 0, 1},
    // End of input before the read is complete.
    {"EmptyInput", "", unset(1), {}, Kind::EndOfInput, 0, 0},
    {"OnlyBlankLines", "\n  \n\t\r\n", unset(1), {}, Kind::EndOfInput, 0, 3},
    {"TooFewValues", "1 2\n3\n", {1, 2, 3, kUnset}, {}, Kind::EndOfInput, 3, 2},
    {"NullsCountAsRead", "1,,", {1, kUnset, kUnset}, {}, Kind::EndOfInput, 2, 1},
};

class ReaderTable : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTable, ReadsAsDecided) {
    const ReaderCase& c = GetParam();
    std::istringstream in(c.input);
    FreeFormatReader reader(in);
    std::vector<double> targets = unset(c.expected.size());
    if (c.error) {
        try {
            reader.read(targets);
            FAIL() << "read succeeded";
        } catch (const FreeFormatError& e) {
            EXPECT_EQ(e.kind(), *c.error) << e.what();
            EXPECT_EQ(e.itemsRead(), c.itemsRead) << e.what();
            EXPECT_EQ(e.line(), c.line) << e.what();
        }
    } else {
        reader.read(targets);
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        EXPECT_TRUE(sameValue(targets[i], c.expected[i]))
            << "target " << i << ": " << targets[i] << " expected " << c.expected[i];
    }
    if (c.next) {
        double next = kUnset;
        reader.read(std::span<double>(&next, 1));
        EXPECT_EQ(next, *c.next);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FreeFormatReader, BadValueReportNamesTheTokenShortAndEscaped) {
    std::istringstream plain("1x\n");
    FreeFormatReader reader(plain);
    double t = 0;
    try {
        reader.read(std::span<double>(&t, 1));
        FAIL();
    } catch (const FreeFormatError& e) {
        EXPECT_STREQ(e.what(), "\"1x\" is not a number");
        EXPECT_EQ(e.token(), "1x");
    }
    std::istringstream binary(std::string("\x01\xff") + std::string(100, 'a'));
    FreeFormatReader binaryReader(binary);
    try {
        binaryReader.read(std::span<double>(&t, 1));
        FAIL();
    } catch (const FreeFormatError& e) {
        EXPECT_EQ(std::string(e.what()).substr(0, 12), "\"\\x01\\xffaaa");
        EXPECT_LT(std::string(e.what()).size(), 80u);
    }
}

TEST(FreeFormatReader, CountsTheLinesConsumed) {
    std::istringstream in("\n1 2\n3\n\n4 5\n");
    FreeFormatReader reader(in);
    double a[2];
    reader.read(a);
    EXPECT_EQ(reader.line(), 2);
    reader.read(a);
    EXPECT_EQ(reader.line(), 5);
    EXPECT_EQ(a[0], 3);
    EXPECT_EQ(a[1], 4);
}

// A stream whose device fails on the second refill, as reading a directory does.
class FailingBuffer : public std::streambuf {
protected:
    int_type underflow() override {
        if (refills_++ == 0) {
            setg(text_, text_, text_ + 4);
            return traits_type::to_int_type(text_[0]);
        }
        errno = EIO;
        throw std::ios_base::failure("device error");
    }

private:
    char text_[5] = "1 2 ";
    int refills_ = 0;
};

TEST(FreeFormatReader, StreamFailureIsNotEndOfInput) {
    FailingBuffer buffer;
    std::istream in(&buffer);
    FreeFormatReader reader(in);
    double a[3];
    try {
        reader.read(a);
        FAIL();
    } catch (const FreeFormatError& e) {
        EXPECT_EQ(e.kind(), Kind::StreamError);
        EXPECT_EQ(e.itemsRead(), 2u);
        EXPECT_EQ(std::string(e.what()), std::string("read failed: ") + std::strerror(EIO));
    }
}

} // namespace
} // namespace ormeda
