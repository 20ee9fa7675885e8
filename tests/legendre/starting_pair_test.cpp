// The remembered starting pair of the degree climb: a request that follows another
// gets the very bits it gets in a fresh state, whether the pair is taken over (same
// starting degree, order, angle, kind and parameters) or has to be formed anew, and
// a pair whose forming reported an overflow is formed, and reported, again.
#include "library_run.hpp"
#include "process_wide.hpp"
#include "starting_pair_memo.hpp"
#include "xdlegf.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace ormeda {
namespace {

using testing::EntryRun;
using testing::FreshState;
using Memo = detail::StartingPairMemo;

constexpr int kControlSlot = 2;

struct Request {
    double dnu1;
    int nudiff;
    int mu;
    double theta;
    int id;
};

struct SetUp {
    int nradpl; // 0: the machine's mantissa digits
    int nbits;  // 0: the machine's integer bits
};

struct Result {
    std::vector<std::uint64_t> bits;
    std::vector<int> indices;
    bool operator==(const Result&) const = default;
};

Result run(const Request& r) {
    EntryRun e(static_cast<std::size_t>(r.nudiff) + 1);
    XDLEGF(r.dnu1, r.nudiff, r.mu, r.mu, r.theta, r.id, e.P(), e.I());
    Result out;
    for (double v : e.prin) {
        out.bits.push_back(std::bit_cast<std::uint64_t>(v));
    }
    out.indices = e.iaux;
    return out;
}

// A state whose extended-range set-up is done with `s`.
struct StateWith : FreshState {
    explicit StateWith(SetUp s) { range().XDSET(0, s.nradpl, 0.0, s.nbits); }
};

struct FollowUpCase {
    const char* name;
    Request first;
    SetUp firstSetUp;
    Request second;
    SetUp secondSetUp;
};

constexpr double kTheta = 0.4363323129985824; // 25 degrees
constexpr double kDegree = 2.2753965854644775;
constexpr SetUp kMachine{0, 0};
constexpr SetUp kShortSeries{30, 0}; // 30 mantissa bits: 30 series terms, not 53

const FollowUpCase kFollowUps[] = {
    // CAPLEG's pair of requests: the second climb starts from the first one's pair.
    {"DegreeBelowSameOrder",
     {kDegree, 0, 1, kTheta, 3},
     kMachine,
     {kDegree - 1.0, 0, 1, kTheta, 3},
     kMachine},
    {"RunOfDegreesAfterOneValue",
     {kDegree, 0, 1, kTheta, 3},
     kMachine,
     {kDegree - 1.0, 4, 1, kTheta, 1},
     kMachine},
    // Each of these differs from the first request in one part of what the pair
    // depends on, and must not take it over.
    {"OtherOrder",
     {kDegree, 0, 1, kTheta, 3},
     kMachine,
     {kDegree - 1.0, 0, 2, kTheta, 3},
     kMachine},
    {"NextAngleUp",
     {kDegree, 0, 1, kTheta, 3},
     kMachine,
     {kDegree - 1.0, 0, 1, std::nextafter(kTheta, 1.0), 3},
     kMachine},
    {"OtherStartingDegree",
     {kDegree, 0, 1, kTheta, 3},
     kMachine,
     {kDegree - 0.5, 0, 1, kTheta, 3},
     kMachine},
    // P and Q both start from -1/2 at half-integer degrees.
    {"QAfterPAtTheSameStart", {2.5, 0, 0, 1.2, 1}, kMachine, {1.5, 0, 0, 1.2, 2}, kMachine},
    {"PAfterQAtTheSameStart", {1.5, 0, 1, 1.2, 2}, kMachine, {2.5, 0, 1, 1.2, 1}, kMachine},
    // Near pi/2 the series converges slowly, so the number of terms shows in the bits.
    {"OtherParameters", {2.5, 0, 1, 1.5, 1}, kMachine, {3.5, 0, 1, 1.5, 1}, kShortSeries},
};

class FollowUpTest : public ::testing::TestWithParam<FollowUpCase> {};

TEST_P(FollowUpTest, GivesTheBitsOfAFreshState) {
    const FollowUpCase& c = GetParam();
    Result fresh;
    {
        Memo empty;
        ProcessWide<Memo>::Override memoGuard(empty);
        StateWith state(c.secondSetUp);
        fresh = run(c.second);
    }

    // One remembered pair across both requests, each under its own parameters.
    Memo shared;
    ProcessWide<Memo>::Override memoGuard(shared);
    {
        StateWith first(c.firstSetUp);
        run(c.first);
    }
    Result followUp;
    {
        StateWith second(c.secondSetUp);
        followUp = run(c.second);
    }
    EXPECT_EQ(followUp, fresh);
}

INSTANTIATE_TEST_SUITE_P(EachCase, FollowUpTest, ::testing::ValuesIn(kFollowUps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartingPairTest, APairThatOverflowedIsFormedAndReportedAgain) {
    // With 15-bit integers the index limit is 2^14 - 1022; 2000! needs 19053 bits.
    Memo empty;
    ProcessWide<Memo>::Override memoGuard(empty);
    FreshState state;
    state.range().XDSET(0, 0, 0.0, 15);
    state.errors().ERRVAL(kControlSlot, 1, 1); // recoverable errors return
    const Request r{2.5, 0, 2000, kTheta, 1};
    run(r);
    const long once = state.range().overflowReports();
    ASSERT_GT(once, 0);
    run(r);
    EXPECT_EQ(state.range().overflowReports(), 2 * once);
}

} // namespace
} // namespace ormeda
