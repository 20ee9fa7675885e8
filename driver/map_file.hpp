// The map file "grid_ormeda.dat": eleven banner lines at start-up, the time line and
// the header once the table is loaded, then one GridRecord per grid node, every line
// ended by CR LF. Written through C stdio so that a failed open or write carries the
// system's reason.
#pragma once

#include <cstdio>
#include <string>

namespace ormeda {

inline constexpr const char* kMapFile = "grid_ormeda.dat";

// One line of the map: eight fixed-point fields with two decimals, 83 characters.
struct GridRecord {
    double lat = 0.0; // degrees north, after the nudge
    double lon = 0.0; // degrees east, after the nudge
    double D = 0.0;   // declination, degrees
    double I = 0.0;   // inclination, degrees
    double F = 0.0;   // intensity, unit of the table's scale column
    double eD = 0.0;  // 95% errors, same units
    double eI = 0.0;
    double eF = 0.0;
};

inline constexpr std::size_t kGridRecordLength = 83;

// The record's text without its line end.
std::string formatGridRecord(const GridRecord& record);
// Line 12: "Time: ", T in 8 columns with one decimal, "AD".
std::string formatTimeLine(double T);

class MapFile {
public:
    explicit MapFile(std::string path = kMapFile) : path_(std::move(path)) {}
    ~MapFile(); // closes the file, keeping what was written
    MapFile(const MapFile&) = delete;
    MapFile& operator=(const MapFile&) = delete;

    // Creates or replaces the file and writes lines 1 to 11, flushed to the file.
    void open();
    // Lines 12 to 16 for the date T, flushed to the file.
    void writeHeader(double T);
    void writeRecord(const GridRecord& record);
    // Flushes and closes the file, keeping it.
    void close();
    // Closes the file if it is still open after the run was stopped. Returns a report
    // if the lines written so far could not be saved, and an empty text otherwise
    // (also when a write has failed and been reported already).
    std::string closeAfterStop() noexcept;

    bool isOpen() const { return file_ != nullptr; }

private:
    void writeLine(std::string_view line);
    void flush();
    [[noreturn]] void fail(const char* action, int reason);

    std::string path_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

} // namespace ormeda
