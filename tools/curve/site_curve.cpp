// The site curve: one map node's chain (CAPSET, the nudges, CAPBAS, ELMERR with the
// epoch interpolation) repeated over the dates, and the command line that asks for it.
// The chain is the map driver's own node model, so a grid node cannot drift from the map.
#include "site_curve.hpp"

#include "cap_basis.hpp"
#include "fixed_point.hpp"
#include "node_model.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace ormeda::curve {

namespace {

// The map driver's fixed settings that a site shares with a grid node.
constexpr double kPoleLat = 45.0;
constexpr double kPoleLon = 8.0;
constexpr double kNudgedPoleLat = 45.001;
constexpr double kNudgedPoleLon = 8.001;
constexpr double kHeight = 0.0; // km above the ellipsoid
constexpr double kGridLatMin = 35.0;
constexpr double kGridLatMax = 60.0;
constexpr double kGridLonMin = -15.0;
constexpr double kGridLonMax = 30.0;
constexpr double kNearPole = 0.01; // degrees of cap colatitude, for the failure message only

// A decimal number and nothing else: an optional sign, digits, a point, an exponent.
// Infinities and NaN are not positions or steps.
bool parseNumber(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            return false;
        }
    }
    if (text.empty()) {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool looksLikeNumber(std::string_view text) {
    double ignored = 0.0;
    return parseNumber(text, ignored);
}

std::string withPlaces(double value, int places) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", places, value);
    return buffer;
}

std::string shortest(double value) {
    char buffer[32];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

// One line of fixed-point fields as the map edits them: the date as in the map's
// time line (F8.1), then D, I, F, eD, eI, eF as in a map record (F10.2, 2F11.2, 3F12.2).
struct Field {
    int width;
    int decimals;
};
constexpr Field kDateField{8, 1};
constexpr Field kElementFields[6] = {{10, 2}, {11, 2}, {11, 2}, {12, 2}, {12, 2}, {12, 2}};

// For CSV: the field without its blanks and with a 0 before a bare decimal point, so
// that every reader takes it; the digits stay the map's.
std::string csvField(double value, Field field) {
    std::string text = fixedField(value, field.width, field.decimals);
    const auto first = text.find_first_not_of(' ');
    text.erase(0, first == std::string::npos ? text.size() : first);
    if (!text.empty() && text.front() == '.') {
        text.insert(0, "0");
    } else if (text.size() > 1 && text[0] == '-' && text[1] == '.') {
        text.insert(1, "0");
    }
    return text;
}

std::string header(const CurveRequest& request, double colatitude) {
    if (request.csv) {
        return "year_AD,D_deg,I_deg,F_uT,eD_deg,eI_deg,eF_uT\n";
    }
    std::string text = "# ORMEDA field through time at one site\n";
    text += "# Site: latitude " + shortest(request.site.lat) + ", longitude " +
            shortest(request.site.lon) + " (geodetic degrees, height 0 km); cap colatitude " +
            withPlaces(colatitude, 2) + " degrees\n";
    text += "# Table: " + request.tableName + "\n";
    text += "# D, I, eD, eI in degrees; F, eF in the unit of the table's scale column\n";
    text += "# (uT for an archaeomagnetic table); errors at 95% of confidence; a line every " +
            withPlaces(request.stepTenths / 10.0, 1) + " years\n";
    text += "#   Year    D(deg)     I(deg)      F(uT)     eD(deg)     eI(deg)      eF(uT)\n";
    return text;
}

} // namespace

CurveOptions parseArguments(std::span<const std::string_view> args) {
    CurveOptions options;
    int positional = 0;
    auto valueOf = [&](std::size_t& i, std::string_view name) -> std::string_view {
        const std::string_view arg = args[i];
        if (arg.size() > name.size() && arg[name.size()] == '=') {
            return arg.substr(name.size() + 1);
        }
        if (i + 1 >= args.size()) {
            throw UsageError(std::string(name) + " needs a value");
        }
        return args[++i];
    };
    auto isOption = [](std::string_view arg, std::string_view name) {
        return arg == name ||
               (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=');
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (isOption(arg, "--table")) {
            options.table = std::string(valueOf(i, "--table"));
            if (options.table.empty()) {
                throw UsageError("--table needs a file name");
            }
        } else if (isOption(arg, "--output") || arg == "-o") {
            options.output = std::string(valueOf(i, arg == "-o" ? "-o" : "--output"));
            if (options.output.empty()) {
                throw UsageError("--output needs a file name");
            }
        } else if (isOption(arg, "--step")) {
            const std::string_view text = valueOf(i, "--step");
            double years = 0.0;
            if (!parseNumber(text, years)) {
                throw UsageError("--step wants a number of years, not '" + std::string(text) + "'");
            }
            const double tenths = std::round(years * 10.0);
            if (!(tenths >= 1.0 && tenths <= kLastDateTenths) ||
                std::fabs(years * 10.0 - tenths) > 1e-6) {
                throw UsageError("--step must be a whole number of tenths of a year from 0.1 "
                                 "to 1900, not '" +
                                 std::string(text) + "'");
            }
            options.stepTenths = static_cast<int>(tenths);
        } else if (arg.size() > 1 && arg.front() == '-' && !looksLikeNumber(arg)) {
            throw UsageError("unknown option '" + std::string(arg) + "'");
        } else {
            double value = 0.0;
            if (!parseNumber(arg, value)) {
                throw UsageError("'" + std::string(arg) + "' is not a number of degrees");
            }
            if (positional == 0) {
                if (value < -90.0 || value > 90.0) {
                    throw UsageError("latitude " + std::string(arg) +
                                     " is not between -90 and 90 degrees");
                }
                options.lat = value;
            } else if (positional == 1) {
                if (value < -180.0 || value > 180.0) {
                    throw UsageError("longitude " + std::string(arg) +
                                     " is not between -180 and 180 degrees");
                }
                options.lon = value;
            } else {
                throw UsageError("too many arguments: '" + std::string(arg) + "'");
            }
            ++positional;
        }
    }
    if (!options.help && !options.version && positional < 2) {
        throw UsageError(positional == 0 ? "no site given (LAT LON)" : "no longitude given");
    }
    return options;
}

Site nudgedSite(double lat, double lon) {
    Site site{lat, lon};
    if (site.lat == kPoleLat) {
        site.lat = kNudgedPoleLat;
    }
    if (site.lon == kPoleLon) {
        site.lon = kNudgedPoleLon;
    }
    return site;
}

double capColatitude(const Site& site) {
    NodeFrames frames;
    frames.cap.CAPSET(kPoleLat, kPoleLon);
    double psi = 0.0, r = 0.0, xc = 0.0, zc = 0.0;
    frames.geodetic.GDGC(site.lat, kHeight, 0.0, 0.0, psi, r, xc, zc);
    double capLat = 0.0, capLon = 0.0, uc = 0.0, vc = 0.0;
    frames.cap.GEOCAP(psi, site.lon, 0.0, 0.0, capLat, capLon, uc, vc);
    return 90.0 - capLat;
}

bool insideMapRegion(const Site& site) {
    return site.lat >= kGridLatMin && site.lat <= kGridLatMax && site.lon >= kGridLonMin &&
           site.lon <= kGridLonMax;
}

double curveDate(int k, int stepTenths) {
    return (k * stepTenths) / 10.0;
}

int curveDateCount(int stepTenths) {
    return kLastDateTenths / stepTenths + 1;
}

std::string curveText(const CoefficientTable& table, const CurveRequest& request) {
    DegreeTable degrees;
    CAPTAB(degrees);
    // The map's own node model, on fresh frames: at every date the pole is set and the
    // node evaluated exactly as the grid walk does it.
    CapModel model;
    const double colatitude = capColatitude(request.site);
    std::string text = header(request, colatitude);
    const int count = curveDateCount(request.stepTenths);
    for (int k = 0; k < count; ++k) {
        const double T = curveDate(k, request.stepTenths);
        const EpochRow row = interpolateEpoch(table, T);
        FieldElements e;
        model.setCapPole(kPoleLat, kPoleLon);
        model.evaluate(degrees, request.site.lat, request.site.lon, row, e);
        const double values[6] = {e.D, e.I, e.F, e.eD, e.eI, e.eF};
        for (const double v : values) {
            if (!std::isfinite(v)) {
                // Next to the cap's pole the rotation between the frames is undefined.
                const bool atPole = colatitude < kNearPole;
                throw std::runtime_error("the model gives no finite value at this site at " +
                                         csvField(T, kDateField) + " AD (cap colatitude " +
                                         shortest(colatitude) + " degrees" +
                                         (atPole ? ": too close to the cap's pole)" : ")"));
            }
        }
        if (request.csv) {
            text += csvField(T, kDateField);
            for (int c = 0; c < 6; ++c) {
                text += ',';
                text += csvField(values[c], kElementFields[c]);
            }
        } else {
            appendFixed(text, T, kDateField.width, kDateField.decimals);
            for (int c = 0; c < 6; ++c) {
                appendFixed(text, values[c], kElementFields[c].width, kElementFields[c].decimals);
            }
        }
        text += '\n';
    }
    return text;
}

} // namespace ormeda::curve
