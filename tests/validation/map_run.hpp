// Runs the built map program in a scratch folder and reads back its map file, for the
// validation tests that check whole maps against independent references.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace ormeda::validation {

// A fresh folder under the system's temporary directory, removed at the end.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ormeda-validation-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a scratch folder");
        }
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Runs a command line through the shell and returns its exit status (-1 if it did not
// exit normally).
inline int runShell(const std::string& command) {
    const int raw = std::system(command.c_str());
    return (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
}

inline std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// Runs the map program in `dir` with `date` typed at the prompt; the console goes to
// console.txt and the error stream to stderr.txt in the same folder.
inline int runOrmedaIn(const std::filesystem::path& dir, const std::string& date) {
    return runShell("cd " + quoted(dir.string()) + " && printf '%s\\n' " + quoted(date) + " | " +
                    quoted(ORMEDA_BINARY) + " >console.txt 2>stderr.txt");
}

struct MapRecord {
    double lat = 0.0;
    double lon = 0.0;
    double D = 0.0;
    double I = 0.0;
    double F = 0.0;
    double eD = 0.0;
    double eI = 0.0;
    double eF = 0.0;
};

inline constexpr int kMapHeaderLines = 16;
inline constexpr int kGridNodes = 1196;
inline constexpr int kGridLatitudes = 26;

// Geodetic latitude and longitude at which the program evaluates record k (0-based):
// longitude outside, latitude inside, 45 and 8 nudged to 45.001 and 8.001.
inline void nodePosition(int k, double& lat, double& lon) {
    lat = 35.0 + k % kGridLatitudes;
    lon = -15.0 + k / kGridLatitudes;
    if (lat == 45.0) {
        lat = 45.001;
    }
    if (lon == 8.0) {
        lon = 8.001;
    }
}

// The map's records, read by their fixed columns (7, 8, 10, 11, 11, 12, 12, 12). Adds a
// test failure and returns fewer records if the file is not a complete map.
inline std::vector<MapRecord> readMap(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    std::vector<MapRecord> records;
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kMapHeaderLines + kGridNodes)) << file;
    static constexpr int widths[8] = {7, 8, 10, 11, 11, 12, 12, 12};
    for (std::size_t i = kMapHeaderLines; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() != 83) {
            ADD_FAILURE() << "record " << i + 1 << " is not 83 characters: [" << line << "]";
            return records;
        }
        double values[8];
        std::size_t start = 0;
        for (int f = 0; f < 8; ++f) {
            const std::string field = line.substr(start, static_cast<std::size_t>(widths[f]));
            start += static_cast<std::size_t>(widths[f]);
            char* end = nullptr;
            values[f] = std::strtod(field.c_str(), &end);
            if (field.find('*') != std::string::npos || end == field.c_str()) {
                ADD_FAILURE() << "record " << i + 1 << " field " << f + 1 << " unreadable: ["
                              << field << "]";
                return records;
            }
        }
        records.push_back({values[0], values[1], values[2], values[3], values[4], values[5],
                           values[6], values[7]});
    }
    return records;
}

} // namespace ormeda::validation
