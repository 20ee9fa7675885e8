// Lines of the map file and its CR LF records.
#include "map_file.hpp"

#include "fixed_point.hpp"
#include "program_stop.hpp"

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace ormeda {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<std::string_view, 11> kBanner = {
    "      ORMEDA Regional Archaeomagnetic Model",
    "         for Europe for the last 2000 years",
    " ",
    " ",
    "  Reference model: ORMEDA, regional archaeomagnetic field model",
    "  Palaeointensity and directional archaeomagnetic prediction",
    "  for Europe for the last 2000 years",
    "  Spherical cap harmonics: cap centre 45N 8E, half-angle 40 deg, K=2",
    "  Coefficients read from ORMEDA_coeff.inp",
    " ",
    " ",
};

constexpr std::string_view kEmptyFreeRecord = " "; // a free-format record without items
constexpr std::string_view kErrorsNote = "                            *Errors at 95% of confidence";
constexpr std::string_view kColumnHeader = "   Lat     Lon    Dec(deg.)  Inc(deg.)   Int(mT)    "
                                           "eDec(deg.)  eInc(deg.)  eInt(mT)";

// Field widths of the record, format (1F7.2,1F8.2,1F10.2,2F11.2,3F12.2).
constexpr std::array<int, 8> kRecordWidths = {7, 8, 10, 11, 11, 12, 12, 12};
constexpr int kRecordDecimals = 2;

} // namespace

std::string formatGridRecord(const GridRecord& r) {
    const std::array<double, 8> values = {r.lat, r.lon, r.D, r.I, r.F, r.eD, r.eI, r.eF};
    std::string line;
    line.reserve(kGridRecordLength);
    for (std::size_t i = 0; i < values.size(); ++i) {
        appendFixed(line, values[i], kRecordWidths[i], kRecordDecimals);
    }
    return line;
}

std::string formatTimeLine(double T) {
    std::string line = "Time: ";
    appendFixed(line, T, 8, 1);
    line += "AD";
    return line;
}

MapFile::~MapFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void MapFile::open() {
    errno = 0;
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) {
        fail("cannot create ", errno);
    }
    for (const auto line : kBanner) {
        writeLine(line);
    }
    flush(); // the banner stays even if the run ends during the dialogue
}

void MapFile::writeHeader(double T) {
    writeLine(formatTimeLine(T));
    writeLine(kEmptyFreeRecord);
    writeLine(kErrorsNote);
    writeLine(kEmptyFreeRecord);
    writeLine(kColumnHeader);
    flush();
}

void MapFile::writeRecord(const GridRecord& record) {
    writeLine(formatGridRecord(record));
}

void MapFile::close() {
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0) {
        failed_ = true;
        fail("cannot write ", errno);
    }
}

std::string MapFile::closeAfterStop() noexcept {
    if (file_ == nullptr) {
        return {};
    }
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    const bool closed = std::fclose(file) == 0;
    if (closed || failed_) {
        return {};
    }
    const int reason = errno;
    try {
        return "cannot write " + path_ + ": " +
               (reason != 0 ? std::strerror(reason) : "close failed");
    } catch (...) {
        return {};
    }
}

void MapFile::writeLine(std::string_view line) {
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
        std::fwrite(kLineEnd.data(), 1, kLineEnd.size(), file_) != kLineEnd.size()) {
        fail("cannot write ", errno);
    }
}

void MapFile::flush() {
    errno = 0;
    if (std::fflush(file_) != 0) {
        fail("cannot write ", errno);
    }
}

void MapFile::fail(const char* action, int reason) {
    failed_ = true;
    failTextIo(action + path_ + ": " + (reason != 0 ? std::strerror(reason) : "write failed"));
}

} // namespace ormeda
