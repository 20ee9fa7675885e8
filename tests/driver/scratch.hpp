// Test support for the driver: a fresh scratch folder as the current directory, files
// in it, and coefficient tables made on the spot.
#pragma once

#include "coefficient_table.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

namespace ormeda::testing {

// Makes an empty folder, enters it, and on destruction goes back and removes it.
class ScratchFolder {
public:
    ScratchFolder() : previous_(std::filesystem::current_path()) {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("ormeda-driver-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
        std::filesystem::create_directory(path_);
        std::filesystem::current_path(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A table whose every value is distinct and exactly representable, with differences
// between rows that are exact too: value(i, j) = 100 i + j + (i mod 7) / 8.
inline double sampleValue(int row, int column) {
    return 100.0 * row + column + (row % 7) / 8.0;
}

// The sample table as text, `perLine` values to a line, separated by `separator`.
inline std::string sampleTableText(int perLine = kTableColumns, const std::string& separator = " ",
                                   const std::string& lineEnd = "\n") {
    std::string text;
    char number[32];
    for (int k = 0; k < kTableValues; ++k) {
        std::snprintf(number, sizeof number, "%.17g",
                      sampleValue(k / kTableColumns + 1, k % kTableColumns + 1));
        text += number;
        text += ((k + 1) % perLine == 0 || k + 1 == kTableValues) ? lineEnd : separator;
    }
    return text;
}

} // namespace ormeda::testing
