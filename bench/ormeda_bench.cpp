// Benchmarks of the map's hot path, from the innermost request outward: one XDLEGF
// value of kind 3 as CAPLEG asks for it, a run of degrees, CAPLEG, CAPBAS with ELMERR
// at one node, and the whole grid of one date (1196 nodes) without the map file.
// The library remembers the last pair of starting series; the single-request
// benchmarks forget it on every iteration, so they measure a request as the map
// makes it (new angle and order each time), not a repeat of the same request.
#include "cap_basis.hpp"
#include "capleg.hpp"
#include "coefficient_table.hpp"
#include "elmerr.hpp"
#include "node_model.hpp"
#include "starting_pair_memo.hpp"
#include "xdlegf.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace {

using namespace ormeda;

// A node well inside the cap: 50 N, 2 E lies about 7.7 degrees from the cap pole.
constexpr double kNodeLat = 50.0;
constexpr double kNodeLon = 2.0;
constexpr double kCapColat = 25.0; // degrees, a typical cap colatitude of the grid
constexpr double kDegree = 2.2753966f;
constexpr int kOrder = 1;

// Inputs are read through volatile variables on every iteration so that the compiler
// cannot fold them. DoNotOptimize on a local double is no substitute: with GCC at -O3
// it handed CAPLEG a garbage degree, and the figure measured the garbage.
volatile double degreeSource = kDegree;
volatile double latSource = kNodeLat;
volatile double lonSource = kNodeLon;

double radians(double degrees) {
    return degrees * 0.017453292519943295;
}

const EpochRow& demonstrationRow() {
    static const EpochRow row = [] {
        static CoefficientTable table; // too large for the stack of a lambda frame
        loadCoefficientTable(table, ORMEDA_COEFF_FILE);
        return interpolateEpoch(table, 1000.0);
    }();
    return row;
}

void BM_XDLEGF_Kind3_OneValue(benchmark::State& state) {
    std::array<double, 1> prin{};
    std::array<int, 1> iaux{};
    const double theta = radians(kCapColat);
    for (auto _ : state) {
        detail::StartingPairMemo::current().forget();
        XDLEGF(kDegree, 0, kOrder, kOrder, theta, kLegendrePPositiveOrder, prin, iaux);
        benchmark::DoNotOptimize(prin[0]);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_XDLEGF_Kind3_OneValue);

// Degrees nu, nu + 1, ..., nu + NUDIFF at one order.
void BM_XDLEGF_Kind3_RunOfDegrees(benchmark::State& state) {
    const int nudiff = static_cast<int>(state.range(0));
    std::array<double, 64> prin{};
    std::array<int, 64> iaux{};
    const double theta = radians(kCapColat);
    for (auto _ : state) {
        detail::StartingPairMemo::current().forget();
        XDLEGF(kDegree, nudiff, kOrder, kOrder, theta, kLegendrePPositiveOrder, prin, iaux);
        benchmark::DoNotOptimize(prin[0]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (nudiff + 1));
}
BENCHMARK(BM_XDLEGF_Kind3_RunOfDegrees)->Arg(9)->Arg(49);

void BM_CAPLEG(benchmark::State& state) {
    for (auto _ : state) {
        detail::StartingPairMemo::current().forget();
        const double n = degreeSource;
        double P = 0.0;
        double dP = 0.0;
        double mPs = 0.0;
        CAPLEG(kOrder, n, kCapColat, P, dP, mPs);
        benchmark::DoNotOptimize(P);
        benchmark::DoNotOptimize(dP);
        benchmark::DoNotOptimize(mPs);
    }
}
BENCHMARK(BM_CAPLEG);

void BM_CAPBAS_ELMERR_OneNode(benchmark::State& state) {
    const EpochRow& row = demonstrationRow();
    DegreeTable degrees{};
    CAPTAB(degrees);
    NodeFrames frames;
    CapBasis basis;
    for (auto _ : state) {
        double lat = latSource;
        double lon = lonSource;
        frames.cap.CAPSET(45.0, 8.0);
        CAPBAS(frames, degrees, lat, lon, basis);
        FieldElements out;
        ELMERR(frames, basis, row, lat, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_CAPBAS_ELMERR_OneNode);

// The driver's walk of one date, nudges included, with the records kept in memory.
void BM_Grid_OneDate(benchmark::State& state) {
    const EpochRow& row = demonstrationRow();
    DegreeTable degrees{};
    CAPTAB(degrees);
    CapModel model;
    for (auto _ : state) {
        double checksum = 0.0;
        for (int ilon = -15; ilon <= 30; ++ilon) {
            for (int ilat = 35; ilat <= 60; ++ilat) {
                double lat = ilat;
                double lon = ilon;
                model.setCapPole(45.0, 8.0);
                if (lat == 45.0) {
                    lat = 45.001;
                }
                if (lon == 8.0) {
                    lon = 8.001;
                }
                FieldElements out;
                model.evaluate(degrees, lat, lon, row, out);
                checksum += out.D + out.I + out.F + out.eD + out.eI + out.eF;
            }
        }
        benchmark::DoNotOptimize(checksum);
    }
    state.SetItemsProcessed(state.iterations() * 1196);
}
BENCHMARK(BM_Grid_OneDate)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
