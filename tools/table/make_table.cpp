// ormeda-make-table: writes the demonstration coefficient table. At every epoch from
// 0 to 1900 AD (every five years) it fits the nine cap coefficients by least squares
// to the field of the demonstration dipole at the map's 1196 grid nodes: all three
// components, in the cap frame on the geocentric sphere, with equal weights. The basis
// is the program's own (CAPTAB, CAPSET, CAPBAS), so the table and the map agree on
// frames and signs. The model's convention is that sum_j g_j basis_j is minus the
// physical field divided by the scale g0; g0 is the mean intensity over the grid.
//
// Usage: ormeda-make-table FILE
// Writes 381 lines of 20 numbers to FILE and a short summary of the fit (the largest
// misfits against the dipole and the range of the printed 95% errors) to standard
// output.
#include "cap_basis.hpp"
#include "console.hpp"
#include "elmerr.hpp"
#include "field_history.hpp"
#include "program_stop.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

using ormeda::CapBasis;
using ormeda::EpochRow;
using ormeda::kBasisTerms;
using ormeda::NodeFrames;

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kPiDegrees = 3.14159265358979;   // the map's own value, for comparable angles
constexpr double kReferenceRadius = 6371.0087714; // km
constexpr double kPoleLat = 45.0;
constexpr double kPoleLon = 8.0;
constexpr int kEpochs = 381;
constexpr double kEpochStep = 5.0; // years

// Uncertainty columns. Real archaeomagnetic models are less certain further back in
// time, where data are sparse: every uncertainty is scaled by
// w(t) = 1 + kOlderExtra (1 - t/1900), from 1 at 1900 to 1 + kOlderExtra at 0 AD.
// The scale's uncertainty is a fraction of the scale; each coefficient's is a fixed
// amount for its group of basis functions: the constant term (j = 1), the zonal k = 1
// term (j = 2), the k = 1, m = 1 pair (j = 3, 4) and the five k = 2 terms (j = 5 to 9).
// With these values the printed 95% errors over the grid and the two millennia run
// from about 0.9 to 5.5 degrees in D (the largest in the north-east, where the field
// is steepest), 0.7 to 2.5 degrees in I and 1.5 to 4 microtesla in F.
constexpr double kOlderExtra = 0.4;
constexpr double kScaleFraction = 0.02;
constexpr std::array<double, 4> kCoefficientSigma{0.010, 0.010, 0.0035, 0.0015};

int sigmaGroup(int j) {
    return j == 1 ? 0 : (j == 2 ? 1 : (j <= 4 ? 2 : 3));
}

struct Node {
    double lat = 0.0; // geodetic, after the nudges
    double lon = 0.0;
    NodeFrames frames; // as CAPBAS left them for this node
    CapBasis basis;
};

// The grid in the map's order: longitude outside, latitude inside, with the map's
// nudges of 45 and 8 degrees.
std::vector<Node> gridNodes() {
    ormeda::DegreeTable degrees{};
    ormeda::CAPTAB(degrees);
    std::vector<Node> nodes;
    for (int lon = -15; lon <= 30; ++lon) {
        for (int lat = 35; lat <= 60; ++lat) {
            Node node;
            node.lat = lat;
            node.lon = lon;
            node.frames.cap.CAPSET(kPoleLat, kPoleLon);
            if (node.lat == 45.0) {
                node.lat = 45.001;
            }
            if (node.lon == 8.0) {
                node.lon = 8.001;
            }
            ormeda::CAPBAS(node.frames, degrees, node.lat, node.lon, node.basis);
            nodes.push_back(node);
        }
    }
    return nodes;
}

// The dipole's field at a node in geocentric north, east and down components.
struct Field {
    double north = 0.0;
    double east = 0.0;
    double down = 0.0;
};

Field dipoleGeocentric(const std::array<double, 3>& axis, double b0, const Node& node) {
    const double psi = node.basis.geocentricLat * kDegToRad;
    const double lam = node.lon * kDegToRad;
    const std::array<double, 3> rhat{std::cos(psi) * std::cos(lam), std::cos(psi) * std::sin(lam),
                                     std::sin(psi)};
    const std::array<double, 3> north{-std::sin(psi) * std::cos(lam),
                                      -std::sin(psi) * std::sin(lam), std::cos(psi)};
    const std::array<double, 3> east{-std::sin(lam), std::cos(lam), 0.0};
    auto dot = [&](const std::array<double, 3>& v) {
        return axis[0] * v[0] + axis[1] * v[1] + axis[2] * v[2];
    };
    // B = b0 (a/r)^3 (m - 3 (m.rhat) rhat): down at the boreal pole, north at the equator.
    const double q = kReferenceRadius / node.basis.radius;
    const double scale = b0 * q * q * q;
    return {scale * dot(north), scale * dot(east), 2.0 * scale * dot(rhat)};
}

// Least squares by Householder QR of the fixed design matrix (rows: north, east and
// down of every node; columns: the nine basis functions). The factorisation is done
// once; every epoch only applies the reflections to its right-hand side.
class LeastSquares {
public:
    explicit LeastSquares(std::vector<std::array<double, kBasisTerms>> rows) : a_(std::move(rows)) {
        const std::size_t m = a_.size();
        for (std::size_t k = 0; k < kBasisTerms; ++k) {
            double norm2 = 0.0;
            for (std::size_t i = k; i < m; ++i) {
                norm2 += a_[i][k] * a_[i][k];
            }
            const double alpha = (a_[k][k] > 0.0 ? -1.0 : 1.0) * std::sqrt(norm2);
            std::vector<double> v(m, 0.0);
            for (std::size_t i = k; i < m; ++i) {
                v[i] = a_[i][k];
            }
            v[k] -= alpha;
            double vnorm2 = 0.0;
            for (std::size_t i = k; i < m; ++i) {
                vnorm2 += v[i] * v[i];
            }
            for (std::size_t j = k; j < kBasisTerms; ++j) {
                double s = 0.0;
                for (std::size_t i = k; i < m; ++i) {
                    s += v[i] * a_[i][j];
                }
                s = 2.0 * s / vnorm2;
                for (std::size_t i = k; i < m; ++i) {
                    a_[i][j] -= s * v[i];
                }
            }
            reflectors_.push_back(v);
            reflectorNorm2_.push_back(vnorm2);
        }
    }

    std::array<double, kBasisTerms> solve(std::vector<double> b) const {
        const std::size_t m = a_.size();
        for (std::size_t k = 0; k < kBasisTerms; ++k) {
            const std::vector<double>& v = reflectors_[k];
            double s = 0.0;
            for (std::size_t i = k; i < m; ++i) {
                s += v[i] * b[i];
            }
            s = 2.0 * s / reflectorNorm2_[k];
            for (std::size_t i = k; i < m; ++i) {
                b[i] -= s * v[i];
            }
        }
        std::array<double, kBasisTerms> x{};
        for (std::size_t k = kBasisTerms; k-- > 0;) {
            double s = b[k];
            for (std::size_t j = k + 1; j < kBasisTerms; ++j) {
                s -= a_[k][j] * x[j];
            }
            x[k] = s / a_[k][k];
        }
        return x;
    }

private:
    std::vector<std::array<double, kBasisTerms>> a_; // R in its upper triangle after the fit
    std::vector<std::vector<double>> reflectors_;
    std::vector<double> reflectorNorm2_;
};

struct Summary {
    double misfitD = 0.0, misfitI = 0.0, misfitF = 0.0;
    double rmsD = 0.0, rmsI = 0.0, rmsF = 0.0; // the largest over the epochs
    double minG0 = 1e300, maxG0 = 0.0;
    double minED = 1e300, maxED = 0.0, minEI = 1e300, maxEI = 0.0, minEF = 1e300, maxEF = 0.0;
};

double degrees(double radians) {
    return radians * 180.0 / kPiDegrees;
}

int makeTable(const std::string& path) {
    std::vector<Node> nodes = gridNodes();
    std::vector<std::array<double, kBasisTerms>> rows;
    for (const Node& node : nodes) {
        std::array<double, kBasisTerms> north{}, east{}, down{};
        for (int j = 1; j <= kBasisTerms; ++j) {
            north[static_cast<std::size_t>(j - 1)] = node.basis.north(j);
            east[static_cast<std::size_t>(j - 1)] = node.basis.east(j);
            down[static_cast<std::size_t>(j - 1)] = node.basis.down(j);
        }
        rows.push_back(north);
        rows.push_back(east);
        rows.push_back(down);
    }
    const LeastSquares fit(std::move(rows));

    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) {
        std::cerr << "ormeda-make-table: cannot create " << path << "\n";
        return 1;
    }
    Summary summary;
    for (int i = 1; i <= kEpochs; ++i) {
        const double year = kEpochStep * (i - 1);
        const std::array<double, 3> axis = ormeda::demo::dipoleAxis(year);
        const double b0 = ormeda::demo::equatorialField(ormeda::demo::dipoleAt(year).moment);

        std::vector<Field> cap;
        double sumF = 0.0;
        for (Node& node : nodes) {
            const Field geo = dipoleGeocentric(axis, b0, node);
            sumF += std::sqrt(geo.north * geo.north + geo.east * geo.east + geo.down * geo.down);
            double capLat = 0.0, capLon = 0.0;
            Field c;
            c.down = geo.down;
            node.frames.cap.GEOCAP(node.basis.geocentricLat, node.lon, geo.north, geo.east, capLat,
                                   capLon, c.north, c.east);
            cap.push_back(c);
        }
        const double g0 = sumF / static_cast<double>(nodes.size());
        std::vector<double> rhs;
        for (const Field& c : cap) {
            rhs.push_back(-c.north / g0);
            rhs.push_back(-c.east / g0);
            rhs.push_back(-c.down / g0);
        }
        const std::array<double, kBasisTerms> g = fit.solve(rhs);

        const double w = 1.0 + kOlderExtra * (1.0 - year / 1900.0);
        EpochRow row;
        row(1) = g0;
        row(11) = kScaleFraction * w * g0;
        for (int j = 1; j <= kBasisTerms; ++j) {
            row(1 + j) = g[static_cast<std::size_t>(j - 1)];
            row(11 + j) = w * kCoefficientSigma[static_cast<std::size_t>(sigmaGroup(j))];
        }
        for (int c = 1; c <= ormeda::kTableColumns; ++c) {
            std::fprintf(out, "%s%.10e", c == 1 ? "" : " ", row(c));
        }
        std::fprintf(out, "\n");

        // How well the fitted model, as the map evaluates it, follows the dipole.
        summary.minG0 = std::min(summary.minG0, g0);
        summary.maxG0 = std::max(summary.maxG0, g0);
        double sumD = 0.0, sumI = 0.0, sumF2 = 0.0;
        for (const Node& node : nodes) {
            ormeda::FieldElements e;
            ormeda::ELMERR(node.frames, node.basis, row, node.lat, e);
            const Field geo = dipoleGeocentric(axis, b0, node);
            double xd = 0.0, zd = 0.0;
            node.frames.geodetic.GCGDV(geo.north, geo.down, xd, zd);
            const double h = std::sqrt(xd * xd + geo.east * geo.east);
            const double dipD = degrees(std::atan(geo.east / xd));
            const double dipI = degrees(std::atan(zd / h));
            const double dipF = std::sqrt(h * h + zd * zd);
            sumD += (e.D - dipD) * (e.D - dipD);
            sumI += (e.I - dipI) * (e.I - dipI);
            sumF2 += (e.F - dipF) * (e.F - dipF);
            summary.misfitD = std::max(summary.misfitD, std::fabs(e.D - dipD));
            summary.misfitI = std::max(summary.misfitI, std::fabs(e.I - dipI));
            summary.misfitF = std::max(summary.misfitF, std::fabs(e.F - dipF));
            summary.minED = std::min(summary.minED, e.eD);
            summary.maxED = std::max(summary.maxED, e.eD);
            summary.minEI = std::min(summary.minEI, e.eI);
            summary.maxEI = std::max(summary.maxEI, e.eI);
            summary.minEF = std::min(summary.minEF, e.eF);
            summary.maxEF = std::max(summary.maxEF, e.eF);
        }
        const double count = static_cast<double>(nodes.size());
        summary.rmsD = std::max(summary.rmsD, std::sqrt(sumD / count));
        summary.rmsI = std::max(summary.rmsI, std::sqrt(sumI / count));
        summary.rmsF = std::max(summary.rmsF, std::sqrt(sumF2 / count));
    }
    if (std::fclose(out) != 0) {
        std::cerr << "ormeda-make-table: cannot write " << path << "\n";
        return 1;
    }
    std::printf("scale g0 (mean intensity over the grid): %.2f to %.2f uT\n", summary.minG0,
                summary.maxG0);
    std::printf("largest misfit against the dipole: D %.3f deg, I %.3f deg, F %.3f uT\n",
                summary.misfitD, summary.misfitI, summary.misfitF);
    std::printf("largest root-mean-square misfit over the grid: D %.3f deg, I %.3f deg, "
                "F %.3f uT\n",
                summary.rmsD, summary.rmsI, summary.rmsF);
    std::printf("95%% errors: eD %.2f to %.2f deg, eI %.2f to %.2f deg, eF %.2f to %.2f uT\n",
                summary.minED, summary.maxED, summary.minEI, summary.maxEI, summary.minEF,
                summary.maxEF);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ormeda-make-table FILE\n";
        return 2;
    }
    try {
        return makeTable(argv[1]);
    } catch (const ormeda::ProgramStop& stop) {
        // The Legendre library ended the run: its report is on the console.
        return ormeda::endRun(stop, ormeda::Console::current(), std::cerr);
    }
}
