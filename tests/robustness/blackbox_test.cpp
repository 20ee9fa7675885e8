// Black-box robustness cases: the real ormeda executable in a fresh folder per case,
// fed bad console input, damaged coefficient files, unwritable map files and a
// failing standard output. Every case checks the exit status, the report on standard
// error, the console transcript and what the folder holds afterwards: the
// coefficient file is never changed, and the map file holds exactly what was written
// before the run ended.
#include "program_runner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace ormeda::robustness;

const fs::path kExecutable = ORMEDA_EXECUTABLE;
constexpr const char* kCoefficientFile = "ORMEDA_coeff.inp";
constexpr const char* kMapFile = "grid_ormeda.dat";
constexpr int kRows = 381;
constexpr int kColumns = 20;
constexpr std::size_t kReportLimit = 4096; // a report names the fault, it does not echo it

// ---- What the console and the map file show -------------------------------------

const std::string kConsoleBanner = "            ** ORMEDA **\r\n"
                                   "Palaeointensity & Directional Archaeomagnetic\r\n"
                                   "         Prediction for Europe            \r\n"
                                   "         for the last 2000 years\r\n"
                                   " \r\n"
                                   " ** Declination, Inclination and Intensity Maps **\r\n"
                                   "      Time : 0 to 1900 AD (years)\r\n"
                                   " \r\n";
const std::string kPrompt = "Give Time (0 to 1900 AD):\r\n";
const std::string kRangeMessage = "Time is between 0 and 1900 AD\r\n";
const std::string kStopLine = "Stop - Program terminated.\r\n";

const std::string kMapBanner =
    "      ORMEDA Regional Archaeomagnetic Model\r\n"
    "         for Europe for the last 2000 years\r\n"
    " \r\n"
    " \r\n"
    "  Reference model: ORMEDA, regional archaeomagnetic field model\r\n"
    "  Palaeointensity and directional archaeomagnetic prediction\r\n"
    "  for Europe for the last 2000 years\r\n"
    "  Spherical cap harmonics: cap centre 45N 8E, half-angle 40 deg, K=2\r\n"
    "  Coefficients read from ORMEDA_coeff.inp\r\n"
    " \r\n"
    " \r\n";

enum class Ending {
    AtPrompt, // the run ended while reading the date
    Accepted, // a date was accepted, then the run failed
    Stopped,  // the run ended normally
};

// The console transcript of a dialogue with `rejected` dates out of range.
std::string dialogue(int rejected, Ending ending) {
    std::string text = kConsoleBanner;
    for (int i = 0; i < rejected; ++i) {
        text += kPrompt + " \r\n" + kRangeMessage;
    }
    text += kPrompt;
    if (ending != Ending::AtPrompt) {
        text += " \r\n";
    }
    if (ending == Ending::Stopped) {
        text += kStopLine;
    }
    return text;
}

// ---- Coefficient tables ---------------------------------------------------------

// The 7620 tokens of a valid table: a constant main field (g0 = 50, g1 = 1) with
// small other terms and uncertainties, varying from epoch to epoch.
std::vector<std::string> tableTokens() {
    std::vector<std::string> tokens;
    tokens.reserve(kRows * kColumns);
    char buffer[32];
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            double value = 0.0;
            if (column == 0) {
                value = 50.0;
            } else if (column == 1) {
                value = 1.0;
            } else if (column < 10) {
                value = 0.01 * ((row + 3 * column) % 11 - 5);
            } else if (column == 10) {
                value = 0.5;
            } else {
                value = 0.002 * (1 + (row + column) % 5);
            }
            std::snprintf(buffer, sizeof buffer, "%.5f", value);
            tokens.emplace_back(buffer);
        }
    }
    return tokens;
}

std::vector<std::string> constantTokens(const std::string& value) {
    return std::vector<std::string>(kRows * kColumns, value);
}

std::string layout(const std::vector<std::string>& tokens, int perLine = kColumns,
                   const std::string& separator = " ", const std::string& lineEnd = "\n") {
    std::string text;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        text += tokens[i];
        const bool lineFull = (i + 1) % static_cast<std::size_t>(perLine) == 0;
        text += (lineFull || i + 1 == tokens.size()) ? lineEnd : separator;
    }
    return text;
}

std::vector<std::string> tokensWith(std::size_t row, std::size_t column, const std::string& token) {
    auto tokens = tableTokens();
    tokens[(row - 1) * kColumns + (column - 1)] = token;
    return tokens;
}

std::string binaryBytes(std::size_t count) {
    std::string bytes(count, '\0');
    unsigned state = 12345u;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

// ---- Folder preparations ----------------------------------------------------------

using Prepare = std::function<void(const fs::path&)>;

Prepare table(std::string text) {
    return [text = std::move(text)](const fs::path& folder) {
        writeFile(folder / kCoefficientFile, text);
    };
}

Prepare standardTable() {
    return table(layout(tableTokens()));
}

Prepare nothing() {
    return [](const fs::path&) {};
}

Prepare also(Prepare first, std::function<void(const fs::path&)> second) {
    return [first = std::move(first), second = std::move(second)](const fs::path& folder) {
        first(folder);
        second(folder);
    };
}

// ---- Snapshots of a folder --------------------------------------------------------

struct Entry {
    fs::file_type type = fs::file_type::none;
    std::string content; // file bytes, link target or directory listing
    bool operator==(const Entry&) const = default;
};

std::map<std::string, Entry> snapshot(const fs::path& folder) {
    std::map<std::string, Entry> entries;
    for (const auto& item : fs::directory_iterator(folder)) {
        Entry entry;
        entry.type = item.symlink_status().type();
        if (entry.type == fs::file_type::regular) {
            entry.content = readFile(item.path());
        } else if (entry.type == fs::file_type::symlink) {
            entry.content = fs::read_symlink(item.path()).string();
        } else if (entry.type == fs::file_type::directory) {
            for (const auto& inner : fs::directory_iterator(item.path())) {
                entry.content += inner.path().filename().string() + "\n";
            }
        }
        entries[item.path().filename().string()] = entry;
    }
    return entries;
}

// ---- Cases --------------------------------------------------------------------------

enum class MapExpect {
    BannerOnly,       // exactly the eleven banner lines
    SameAsBaseline,   // byte for byte the map of the standard run
    Complete,         // 1212 well-formed lines (values not compared)
    PrefixOfBaseline, // cut short: a proper prefix of the standard map, nothing else
    Untouched,        // the map file was not a writable file; only the folder check applies
};

struct Case {
    std::string name;
    std::string stdinText = "1000\n";
    Prepare prepare = standardTable();
    StdinSource stdinSource = StdinSource::File;
    StdoutSink stdoutSink = StdoutSink::File;
    long fileSizeLimit = 0;
    int status = 0;
    std::vector<std::string> mentions{}; // texts the report on standard error names
    MapExpect map = MapExpect::SameAsBaseline;
    std::optional<std::string> transcript = dialogue(0, Ending::Stopped);
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const std::string kTenMegabytes(10'000'000, ' ');

std::vector<Case> cases() {
    std::string manyRejections;
    for (int i = 0; i < 3000; ++i) {
        manyRejections += "2000\n-0.1\n";
    }
    const auto atPrompt = dialogue(0, Ending::AtPrompt);
    const auto loadFailed = dialogue(0, Ending::Accepted);
    const auto tokens = tableTokens();

    return {
        // Console input.
        {.name = "EndOfInputAtPrompt",
         .stdinText = "",
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "OnlyBlankLinesThenEnd",
         .stdinText = "\n   \n\t\n\r\n",
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "Letters",
         .stdinText = "abc\n",
         .status = 1,
         .mentions = {"abc"},
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "NumberWithTrailingLetter",
         .stdinText = "1x\n",
         .status = 1,
         .mentions = {"1x"},
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "DoubleSign",
         .stdinText = "--1\n",
         .status = 1,
         .mentions = {"--1"},
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "BeyondDoubleRange",
         .stdinText = "1e999\n",
         .status = 1,
         .mentions = {"1e999"},
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "BinaryBytes",
         .stdinText = std::string("\x01\x7f\xfe\xff\x00\x80 7\n", 9),
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "EndlessZeroBytes",
         .stdinSource = StdinSource::ZeroStream,
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "InputIsADirectory",
         .stdinSource = StdinSource::Directory,
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "TenMegabyteNumber",
         .stdinText = std::string(10'000'000, '9') + "\n",
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = atPrompt},
        {.name = "TenMegabytesOfBlanksThenDate", .stdinText = kTenMegabytes + "1000\n"},
        {.name = "TenMegabytesOfJunkAfterDate",
         .stdinText = "1000 " + std::string(10'000'000, 'x') + "\n"},
        {.name = "NotANumberAndInfinitiesThenDate",
         .stdinText = "NaN\nInf\n-Infinity\n1000\n",
         .transcript = dialogue(3, Ending::Stopped)},
        {.name = "NotANumberThenEnd",
         .stdinText = "NaN\n",
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = dialogue(1, Ending::AtPrompt)},
        {.name = "ThousandsOutOfRangeThenEnd",
         .stdinText = manyRejections,
         .status = 1,
         .map = MapExpect::BannerOnly,
         .transcript = dialogue(6000, Ending::AtPrompt)},
        {.name = "DateWithCarriageReturn", .stdinText = "1000\r\n"},

        // Coefficient file.
        {.name = "TableMissing",
         .prepare = nothing(),
         .status = 1,
         .mentions = {kCoefficientFile},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableEmpty",
         .prepare = table(""),
         .status = 1,
         .mentions = {kCoefficientFile},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableShort",
         .prepare = table(layout({tokens.begin(), tokens.end() - 1})),
         .status = 1,
         .mentions = {kCoefficientFile, "7619"},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableOverLong",
         .prepare = table(layout(tokens) + layout({tokens.begin(), tokens.begin() + 20}) +
                          "these words are never read\n")},
        {.name = "TableNonNumeric",
         .prepare = table(layout(tokensWith(100, 5, "abc"))),
         .status = 1,
         .mentions = {kCoefficientFile, "abc", "100"},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableNotANumber",
         .prepare = table(layout(tokensWith(200, 3, "NaN"))),
         .status = 1,
         .mentions = {kCoefficientFile, "200"},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableBeyondDoubleRange",
         .prepare = table(layout(tokensWith(50, 1, "1e400"))),
         .status = 1,
         .mentions = {kCoefficientFile, "1e400"},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableBinary",
         .prepare = table(binaryBytes(4096)),
         .status = 1,
         .mentions = {kCoefficientFile},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableCarriageReturns", .prepare = table(layout(tokens, kColumns, " ", "\r\n"))},
        {.name = "TableTabs", .prepare = table(layout(tokens, kColumns, "\t"))},
        {.name = "TableCommas", .prepare = table(layout(tokens, kColumns, ", "))},
        {.name = "TableSevenPerLine", .prepare = table(layout(tokens, 7))},
        {.name = "TableIsADirectory",
         .prepare = [](const fs::path& folder) { fs::create_directory(folder / kCoefficientFile); },
         .status = 1,
         .mentions = {kCoefficientFile},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableEndlessZeroBytes",
         .prepare =
             [](const fs::path& folder) {
                 fs::create_symlink("/dev/zero", folder / kCoefficientFile);
             },
         .status = 1,
         .mentions = {kCoefficientFile},
         .map = MapExpect::BannerOnly,
         .transcript = loadFailed},
        {.name = "TableHugeValues",
         .prepare = table(layout(constantTokens("1.0e300"))),
         .map = MapExpect::Complete},
        {.name = "TableHugeNegativeValues",
         .prepare = table(layout(constantTokens("-1.7976931348623157e308"))),
         .map = MapExpect::Complete},
        {.name = "TableZeros",
         .prepare = table(layout(constantTokens("0"))),
         .map = MapExpect::Complete},
        {.name = "TableSubnormals",
         .prepare = table(layout(constantTokens("4.9e-324"))),
         .map = MapExpect::Complete},

        // Map file.
        {.name = "MapOnFullDisk",
         .prepare = also(
             standardTable(),
             [](const fs::path& folder) { fs::create_symlink("/dev/full", folder / kMapFile); }),
         .status = 1,
         .mentions = {kMapFile},
         .map = MapExpect::Untouched,
         .transcript = std::nullopt},
        {.name = "MapIsADirectory",
         .prepare = also(standardTable(),
                         [](const fs::path& folder) { fs::create_directory(folder / kMapFile); }),
         .status = 1,
         .mentions = {kMapFile},
         .map = MapExpect::Untouched,
         .transcript = ""},
        {.name = "MapCutShortByFileSizeLimit",
         .fileSizeLimit = 20000,
         .status = 1,
         .mentions = {kMapFile},
         .map = MapExpect::PrefixOfBaseline,
         .transcript = loadFailed},
        {.name = "MapReplacesLongerOldFile",
         .prepare = also(standardTable(),
                         [](const fs::path& folder) {
                             writeFile(folder / kMapFile, std::string(3'000'000, 'z'));
                         })},

        // Standard output.
        {.name = "OutputOnFullDisk",
         .stdoutSink = StdoutSink::FullDisk,
         .status = 1,
         .mentions = {"standard output"},
         .map = MapExpect::BannerOnly,
         .transcript = std::nullopt},
    };
}

// ---- Checks ---------------------------------------------------------------------------

// The map of the standard table for 1000 AD, made once per test process.
const std::string& baselineMap() {
    static const std::string map = [] {
        ScratchFolder scratch;
        const fs::path folder = scratch.path() / "run";
        fs::create_directory(folder);
        standardTable()(folder);
        const RunResult result = runProgram(kExecutable, {.folder = folder, .stdinText = "1000\n"});
        if (!result.exited || result.status != 0) {
            ADD_FAILURE() << "the standard run failed: " << result.describe();
            return std::string();
        }
        return readFile(folder / kMapFile);
    }();
    return map;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// Every line ends with CR LF, the last one included.
void expectCrLfLines(const std::string& text, const std::string& what) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << what << ": bare line feed at byte " << at;
    }
    if (!text.empty()) {
        EXPECT_TRUE(text.ends_with("\r\n")) << what << ": last line not ended";
    }
}

// Lat and Lon of every record follow the walk: longitude outer, latitude inner.
void expectCompleteMap(const std::string& map) {
    expectCrLfLines(map, "map file");
    const auto lines = splitLines(map);
    ASSERT_EQ(lines.size(), 1212u);
    EXPECT_TRUE(map.starts_with(kMapBanner));
    EXPECT_EQ(lines[11].size(), 16u);
    EXPECT_TRUE(lines[11].starts_with("Time: ")) << lines[11];
    std::size_t line = 16;
    for (int lon = -15; lon <= 30; ++lon) {
        for (int lat = 35; lat <= 60; ++lat, ++line) {
            char position[32];
            std::snprintf(position, sizeof position, "%7.2f%8.2f", double(lat), double(lon));
            std::string expected = position;
            if (lon == 0) {
                expected.replace(expected.size() - 4, 1, " "); // no zero before the point
            }
            ASSERT_EQ(lines[line].size(), 83u) << "line " << line + 1;
            ASSERT_EQ(lines[line].substr(0, 15), expected) << "line " << line + 1;
        }
    }
}

bool hasSanitizerReport(const std::string& err) {
    return err.find("Sanitizer") != std::string::npos ||
           err.find("runtime error:") != std::string::npos;
}

class BlackBox : public ::testing::TestWithParam<Case> {};

TEST_P(BlackBox, EndsAsSpecified) {
    const Case& c = GetParam();
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "run";
    fs::create_directory(folder);
    c.prepare(folder);
    const auto before = snapshot(folder);

    const RunResult result = runProgram(kExecutable, {.folder = folder,
                                                      .stdinSource = c.stdinSource,
                                                      .stdinText = c.stdinText,
                                                      .stdoutSink = c.stdoutSink,
                                                      .fileSizeLimit = c.fileSizeLimit});

    // The end of the run.
    ASSERT_TRUE(result.exited) << result.describe();
    ASSERT_FALSE(hasSanitizerReport(result.err)) << result.describe();
    EXPECT_EQ(result.status, c.status) << result.describe();
    EXPECT_LE(result.err.size(), kReportLimit) << result.describe();
    if (c.status == 1) {
        EXPECT_TRUE(result.err.starts_with("run-time error")) << result.describe();
        for (const auto& part : c.mentions) {
            EXPECT_NE(result.err.find(part), std::string::npos)
                << "the report does not name \"" << part << "\": " << result.err;
        }
    } else {
        EXPECT_EQ(result.err, "");
    }

    // The console.
    if (c.stdoutSink == StdoutSink::File) {
        expectCrLfLines(result.out, "console");
        const std::size_t stops = count(result.out, kStopLine);
        EXPECT_EQ(stops, (c.status == 0 || c.status == 2) ? 1u : 0u);
        if (c.transcript) {
            EXPECT_EQ(result.out, *c.transcript) << result.describe();
        }
    }

    // What the folder holds: the same entries as before plus the map file; every
    // prepared entry unchanged apart from a regular map file, which is replaced.
    const auto after = snapshot(folder);
    for (const auto& [name, entry] : before) {
        const bool replaceableMap = name == kMapFile && entry.type == fs::file_type::regular;
        ASSERT_TRUE(after.contains(name)) << name << " was removed";
        if (!replaceableMap) {
            EXPECT_TRUE(after.at(name) == entry) << name << " was changed";
        }
    }
    for (const auto& [name, entry] : after) {
        EXPECT_TRUE(before.contains(name) || name == kMapFile) << name << " was left behind";
    }

    // The map file.
    const fs::path map = folder / kMapFile;
    switch (c.map) {
    case MapExpect::BannerOnly:
        ASSERT_TRUE(after.contains(kMapFile));
        EXPECT_EQ(readFile(map), kMapBanner);
        break;
    case MapExpect::SameAsBaseline:
        ASSERT_TRUE(after.contains(kMapFile));
        EXPECT_TRUE(readFile(map) == baselineMap()) << "map differs from the standard run";
        break;
    case MapExpect::Complete:
        ASSERT_TRUE(after.contains(kMapFile));
        expectCompleteMap(readFile(map));
        break;
    case MapExpect::PrefixOfBaseline: {
        ASSERT_TRUE(after.contains(kMapFile));
        const std::string content = readFile(map);
        const std::string& full = baselineMap();
        EXPECT_LT(content.size(), full.size());
        EXPECT_EQ(content.size(), static_cast<std::size_t>(c.fileSizeLimit))
            << "bytes the disk would take were lost";
        EXPECT_TRUE(full.starts_with(content)) << "the cut map is not what was written";
        break;
    }
    case MapExpect::Untouched:
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BlackBox, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return info.param.name; });

// The standard run itself: a well-formed complete map.
TEST(BlackBoxStandardRun, WritesACompleteMap) {
    expectCompleteMap(baselineMap());
}

// The demonstration table shipped with the program runs clean from end to end.
TEST(BlackBoxStandardRun, DemonstrationTableRunsClean) {
    const fs::path demo = fs::path(ORMEDA_SOURCE_DIR) / "data" / kCoefficientFile;
    if (!fs::exists(demo)) {
        GTEST_SKIP() << "no demonstration table in data/";
    }
    for (const char* date : {"0\n", "1234.5\n", "1900\n"}) {
        ScratchFolder scratch;
        const fs::path folder = scratch.path() / "run";
        fs::create_directory(folder);
        fs::copy_file(demo, folder / kCoefficientFile);
        const RunResult result = runProgram(kExecutable, {.folder = folder, .stdinText = date});
        ASSERT_TRUE(result.exited) << result.describe();
        EXPECT_FALSE(hasSanitizerReport(result.err)) << result.describe();
        EXPECT_EQ(result.status, 0) << result.describe();
        EXPECT_EQ(result.out, dialogue(0, Ending::Stopped));
        expectCompleteMap(readFile(folder / kMapFile));
        EXPECT_TRUE(readFile(folder / kCoefficientFile) == readFile(demo));
    }
}

} // namespace
