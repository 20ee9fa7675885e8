// Run sequence of the map program: map banner, degree table, console banner, date
// dialogue, coefficient table, map header, grid walk, end.
#include "run.hpp"

#include "coefficient_table.hpp"
#include "console.hpp"
#include "free_format.hpp"
#include "map_file.hpp"
#include "node_model.hpp"
#include "program_stop.hpp"

#include <array>
#include <istream>
#include <ostream>
#include <span>
#include <string_view>

namespace ormeda {

namespace {

constexpr std::array<std::string_view, 8> kConsoleBanner = {
    "            ** ORMEDA **",
    "Palaeointensity & Directional Archaeomagnetic",
    "         Prediction for Europe            ",
    "         for the last 2000 years",
    " ",
    " ** Declination, Inclination and Intensity Maps **",
    "      Time : 0 to 1900 AD (years)",
    " ",
};
constexpr std::string_view kPrompt = "Give Time (0 to 1900 AD):";
constexpr std::string_view kRangeMessage = "Time is between 0 and 1900 AD";
constexpr std::string_view kBlankLine = " ";

constexpr double kFirstDate = 0.0;   // AD
constexpr double kLastDate = 1900.0; // AD
constexpr int kFirstLat = 35;        // degrees north
constexpr int kLastLat = 60;
constexpr int kFirstLon = -15; // degrees east
constexpr int kLastLon = 30;
constexpr double kCapPoleLat = 45.0; // degrees
constexpr double kCapPoleLon = 8.0;
// A node on the cap pole's latitude or longitude is moved off it by a thousandth of a
// degree; it still prints as 45.00 or 8.00.
constexpr double kNudgedLat = 45.001;
constexpr double kNudgedLon = 8.001;

// Asks for the date until one from 0 to 1900 AD is given.
double askDate(std::istream& in, Console& console) {
    FreeFormatReader reader(in);
    double T = 0.0; // a slash at the first prompt leaves it at 0
    for (;;) {
        console.freeRecord(kPrompt);
        console.beforeRead();
        try {
            reader.read(std::span<double>(&T, 1));
        } catch (const FreeFormatError& e) {
            switch (e.kind()) {
            case FreeFormatError::Kind::BadValue:
                failTextIo("standard input, line " + std::to_string(e.line()) + ": " + e.what() +
                           " (a date from 0 to 1900 AD was expected)");
            case FreeFormatError::Kind::EndOfInput:
                failTextIo("standard input: end of input before a date was given");
            case FreeFormatError::Kind::StreamError:
                failTextIo(std::string("standard input: ") + e.what());
            }
        }
        console.freeRecord(kBlankLine);
        // Written so that a date that is not a number fails the first test.
        if (!(T >= kFirstDate) || !(T <= kLastDate)) {
            console.freeRecord(kRangeMessage);
            continue;
        }
        return T;
    }
}

void walkGrid(MapFile& map, NodeModel& model, const DegreeTable& degrees, const EpochRow& row) {
    for (int ilon = kFirstLon; ilon <= kLastLon; ++ilon) {
        for (int ilat = kFirstLat; ilat <= kLastLat; ++ilat) {
            double lat = static_cast<double>(ilat);
            double lon = static_cast<double>(ilon);
            model.setCapPole(kCapPoleLat, kCapPoleLon);
            if (lat == kCapPoleLat) {
                lat = kNudgedLat;
            }
            if (lon == kCapPoleLon) {
                lon = kNudgedLon;
            }
            FieldElements elements;
            model.evaluate(degrees, lat, lon, row, elements);
            map.writeRecord({lat, lon, elements.D, elements.I, elements.F, elements.eD, elements.eI,
                             elements.eF});
        }
    }
}

void runSequence(std::istream& in, Console& console, MapFile& map, NodeModel& model) {
    map.open();
    DegreeTable degrees{};
    CAPTAB(degrees);
    for (const auto line : kConsoleBanner) {
        console.freeRecord(line);
    }
    const double T = askDate(in, console);
    CoefficientTable table;
    loadCoefficientTable(table);
    const EpochRow row = interpolateEpoch(table, T);
    map.writeHeader(T);
    walkGrid(map, model, degrees, row);
    map.close();
    stopNormally();
}

} // namespace

int runOrmeda(std::istream& in, Console& console, std::ostream& err, NodeModel& model) {
    ProgramStop stop;
    MapFile map;
    try {
        runSequence(in, console, map, model);
    } catch (const ProgramStop& caught) {
        stop = caught;
    }
    if (const std::string report = map.closeAfterStop(); !report.empty()) {
        err << "run-time error: " << report << '\n';
    }
    return endRun(stop, console, err);
}

int runOrmeda(std::istream& in, Console& console, std::ostream& err) {
    CapModel model;
    return runOrmeda(in, console, err, model);
}

} // namespace ormeda
