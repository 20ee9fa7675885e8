// ormeda-curve: the model's field through time at one site, D, I, F and their 95%
// errors from 0 to 1900 AD, with the same chain and the same digits as a map node.
#include "console.hpp"
#include "process_wide.hpp"
#include "program_stop.hpp"
#include "site_curve.hpp"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace ormeda;
using namespace ormeda::curve;

// Exit statuses, documented in --help.
constexpr int kExitDone = 0;
constexpr int kExitFiles = 1;       // the table could not be read or the output written
constexpr int kExitUsage = 2;       // wrong command line
constexpr int kExitRefused = 3;     // the site lies outside the model's cap
constexpr int kExitComputation = 4; // the numerical library or the model failed

constexpr const char* kProgram = "ormeda-curve";

void printHelp() {
    std::cout <<
        R"(Usage: ormeda-curve LAT LON [--table FILE] [--step YEARS] [--csv] [--output FILE]

Writes the ORMEDA model's declination D, inclination I and intensity F, with their
errors at 95% of confidence, at the site LAT, LON (geodetic degrees, east positive,
height 0) for every date from 0 to 1900 AD, one line per date. The chain is the
map's own, so a site on a node of the map's grid gives the map's digits.

Options:
  --table FILE    coefficient table (default ORMEDA_coeff.inp in the current folder)
  --step YEARS    years between dates, a whole number of tenths from 0.1 to 1900
                  (default 5: the table's epochs); dates start at 0 and end at or
                  before 1900
  --csv           comma-separated values with a one-line header, instead of text
  -o, --output FILE
                  write to FILE (replaced only once the whole curve is written)
                  instead of standard output
  -h, --help      show this help and exit
  --version       show the version and exit

Output: text lines starting with '#' (the site, the table, the units and the column
names), then one line per date: the year (AD) and D, I, F, eD, eI, eF in the map's
fixed-point fields (two decimals; D, I and their errors in degrees; F and eF in the
unit of the table's scale column, microtesla for an archaeomagnetic table). With
--csv: a header year_AD,D_deg,I_deg,F_uT,eD_deg,eI_deg,eF_uT and the same digits.

Sites whose colatitude in the model's cap exceeds the cap's 40 degrees are refused;
sites inside the cap but outside the map's region (latitudes 35 to 60, longitudes
-15 to 30) are computed with a warning. Messages go to standard error.

Exit status: 0 curve written; 1 table unreadable or output not written; 2 wrong
command line; 3 site outside the model's cap; 4 the computation failed.
)";
}

void message(const std::string& text) {
    std::cerr << kProgram << ": " << text << '\n';
}

// Writes `text` to `path` through a new file beside it, renamed over `path` only
// once everything is written and closed, so no half-written output is left.
bool writeWhole(const std::string& path, const std::string& text) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        message("cannot write " + path + ": it is a folder");
        return false;
    }
    std::string partial;
    std::FILE* file = nullptr;
    for (int attempt = 0; attempt < 100 && file == nullptr; ++attempt) {
        fs::path candidate = target;
        candidate += ".partial" + std::to_string(attempt);
        partial = candidate.string();
        file = std::fopen(partial.c_str(), "wbx"); // fails if it exists: never clobbers
    }
    if (file == nullptr) {
        message("cannot create a file beside " + path);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(partial.c_str());
        message("cannot write " + path);
        return false;
    }
    fs::rename(partial, target, ec);
    if (ec) {
        std::remove(partial.c_str());
        message("cannot write " + path + ": " + ec.message());
        return false;
    }
    return true;
}

int run(const std::vector<std::string_view>& args) {
    CurveOptions options;
    try {
        options = parseArguments(args);
    } catch (const UsageError& e) {
        message(e.what());
        std::cerr << "Try '" << kProgram << " --help'.\n";
        return kExitUsage;
    }
    if (options.help) {
        printHelp();
        return std::cout.flush() ? kExitDone : kExitFiles;
    }
    if (options.version) {
        std::cout << kProgram << " (ORMEDA) " << ORMEDA_VERSION << '\n';
        return std::cout.flush() ? kExitDone : kExitFiles;
    }

    const Site site = nudgedSite(options.lat, options.lon);
    const double colatitude = capColatitude(site);
    if (!(colatitude <= kCapHalfAngle)) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "site %.17g, %.17g refused: its colatitude in the model's cap is %.2f "
                      "degrees, beyond the cap's half-angle of 40 degrees",
                      options.lat, options.lon, colatitude);
        message(text);
        return kExitRefused;
    }
    if (!insideMapRegion(site)) {
        message("warning: site outside the map's region (latitudes 35 to 60, longitudes -15 "
                "to 30); computed inside the model's cap all the same");
    }

    CurveRequest request;
    request.site = site;
    request.stepTenths = options.stepTenths;
    request.csv = options.csv;
    request.tableName = options.table;
    std::string text;
    try {
        CoefficientTable table;
        loadCoefficientTable(table, options.table);
        text = curveText(table, request);
    } catch (const ProgramStop& stop) {
        if (stop.kind == ProgramStop::Kind::IoFailure) {
            message(stop.report);
            return kExitFiles;
        }
        // The numerical library has written its report to standard error.
        message("the computation was stopped by the numerical library");
        return kExitComputation;
    } catch (const std::runtime_error& e) {
        message(e.what());
        return kExitComputation;
    }

    if (!options.output.empty()) {
        return writeWhole(options.output, text) ? kExitDone : kExitFiles;
    }
    std::cout << text;
    if (!std::cout.flush()) {
        message("cannot write to standard output");
        return kExitFiles;
    }
    return kExitDone;
}

} // namespace

int main(int argc, char** argv) {
    // Standard output carries the curve: the library's console texts (warnings, error
    // reports) go to standard error instead.
    Console diagnostics(std::cerr);
    ProcessWide<Console>::Override consoleGuard(diagnostics);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const int status = run(args);
    diagnostics.finish();
    return status;
}
