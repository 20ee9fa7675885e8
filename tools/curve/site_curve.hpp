// The field through time at one site: the model's D, I, F and their 95% errors at a
// run of dates from 0 to 1900 AD, computed with the very chain of a map node, and
// the command line of ormeda-curve that asks for it.
#pragma once

#include "coefficient_table.hpp"

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ormeda::curve {

inline constexpr double kCapHalfAngle = 40.0; // degrees: the cap the degrees belong to
inline constexpr int kDefaultStepTenths = 50; // the table's own epochs, every 5 years
inline constexpr int kLastDateTenths = 19000; // 1900 AD

// A command line that cannot be carried out; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CurveOptions {
    double lat = 0.0; // geodetic degrees north, as given
    double lon = 0.0; // degrees east, as given
    std::string table = kCoefficientFile;
    int stepTenths = kDefaultStepTenths; // step between dates, in tenths of a year
    bool csv = false;
    std::string output; // empty: standard output
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name. Throws UsageError.
CurveOptions parseArguments(std::span<const std::string_view> args);

// The position a map node at (lat, lon) is computed at: 45 becomes 45.001 and 8
// becomes 8.001, each exactly as the map driver does it.
struct Site {
    double lat = 0.0;
    double lon = 0.0;
};
Site nudgedSite(double lat, double lon);

// Colatitude of the site in the model's cap frame (degrees), from the same frame
// conversions the cap basis starts with.
double capColatitude(const Site& site);

// Inside the map's grid region, latitudes 35 to 60 and longitudes -15 to 30.
bool insideMapRegion(const Site& site);

// The dates of the curve, stepTenths apart from 0 up to 1900 AD: date k is
// (k * stepTenths) / 10, so it is the double nearest to its decimal spelling.
double curveDate(int k, int stepTenths);
int curveDateCount(int stepTenths);

struct CurveRequest {
    Site site;
    int stepTenths = kDefaultStepTenths;
    bool csv = false;
    std::string tableName; // shown in the text header
};

// The whole curve as text: header and one line per date. Every value is edited in
// the map's fixed-point fields, so a grid node shows the map's digits. Throws
// std::runtime_error if the model gives a value that is not finite.
std::string curveText(const CoefficientTable& table, const CurveRequest& request);

} // namespace ormeda::curve
