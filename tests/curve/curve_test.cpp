// ormeda-curve as a user runs it: a site on a grid node gives, at every date, the very
// digits the map prints for that node; wrong command lines, a missing table and sites
// outside the model's cap are refused with their documented statuses.
#include "fixed_point.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kDemoTable = fs::path(ORMEDA_SOURCE_DIR) / "data" / "ORMEDA_coeff.inp";

// A fresh folder for one test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device seed;
        path_ = fs::temp_directory_path() / ("ormeda-curve-test-" + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> dataLines(const std::string& text) {
    std::vector<std::string> out;
    for (auto& line : lines(text)) {
        if (!line.empty() && line.front() != '#') {
            out.push_back(line);
        }
    }
    return out;
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args` in `folder`, standard input from `input`.
Outcome runIn(const fs::path& folder, const std::string& program, const std::string& args,
              const std::string& input = "") {
    const fs::path in = folder / ".stdin", out = folder / ".stdout", err = folder / ".stderr";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command = "cd " + quoted(folder.string()) + " && " + quoted(program) + " " +
                                args + " <" + quoted(in.string()) + " >" + quoted(out.string()) +
                                " 2>" + quoted(err.string());
    const int raw = std::system(command.c_str());
    Outcome run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(out);
    run.err = readFile(err);
    fs::remove(in);
    fs::remove(out);
    fs::remove(err);
    return run;
}

Outcome curve(const fs::path& folder, const std::string& args) {
    return runIn(folder, ORMEDA_CURVE_EXE, args);
}

class CurveWithTable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kDemoTable)) << "the demonstration table is missing: " << kDemoTable;
        fs::copy_file(kDemoTable, folder_.path() / "ORMEDA_coeff.inp");
    }
    const fs::path& folder() const { return folder_.path(); }

private:
    ScratchFolder folder_;
};

// Columns 16 to 83 of a map record (D to eF) against the curve line after its
// year (F8.1): the same six fields, character for character.
TEST_F(CurveWithTable, GridNodesGiveTheMapDigitsAtEveryDate) {
    struct Node {
        int lat, lon;
    };
    // The grid's corners, both nudged positions and their crossing, and inner nodes.
    const std::vector<Node> nodes = {{35, -15}, {60, -15}, {35, 30}, {60, 30}, {45, 8},
                                     {45, -15}, {52, 8},   {38, 22}, {57, -4}};
    // The first and last epochs, one inside, and dates between epochs at both ends.
    const std::vector<double> dates = {0.0, 2.5, 12.5, 1000.0, 1337.5, 1897.5, 1900.0};

    std::vector<std::vector<std::string>> curves;
    for (const Node& node : nodes) {
        const Outcome run = curve(folder(), std::to_string(node.lat) + " " +
                                                std::to_string(node.lon) + " --step 2.5");
        ASSERT_EQ(run.status, 0) << run.err;
        curves.push_back(dataLines(run.out));
        ASSERT_EQ(curves.back().size(), 761u);
    }
    for (const double date : dates) {
        std::ostringstream typed;
        typed << date << "\n";
        const Outcome map = runIn(folder(), ORMEDA_MAP_EXE, "", typed.str());
        ASSERT_EQ(map.status, 0) << map.err;
        const auto records = lines(readFile(folder() / "grid_ormeda.dat"));
        ASSERT_EQ(records.size(), 1212u);
        const std::string year = ormeda::fixedField(date, 8, 1);
        for (std::size_t n = 0; n < nodes.size(); ++n) {
            const std::size_t index = 16 + (nodes[n].lon + 15) * 26 + (nodes[n].lat - 35);
            const std::string& record = records[index];
            const auto& lineAt = curves[n][static_cast<std::size_t>(date / 2.5)];
            ASSERT_EQ(lineAt.substr(0, 8), year);
            EXPECT_EQ(lineAt.substr(8), record.substr(15))
                << "node " << nodes[n].lat << ", " << nodes[n].lon << " at " << date << " AD";
        }
    }
}

TEST_F(CurveWithTable, CsvCarriesTheTextDigits) {
    const Outcome text = curve(folder(), "47 3");
    const Outcome csv = curve(folder(), "47 3 --csv");
    ASSERT_EQ(text.status, 0);
    ASSERT_EQ(csv.status, 0);
    const auto rows = lines(csv.out);
    ASSERT_EQ(rows.front(), "year_AD,D_deg,I_deg,F_uT,eD_deg,eI_deg,eF_uT");
    const auto textRows = dataLines(text.out);
    ASSERT_EQ(rows.size(), textRows.size() + 1);
    for (std::size_t i = 0; i < textRows.size(); ++i) {
        std::istringstream fields(textRows[i]);
        std::string expected, field;
        while (fields >> field) {
            if (field.front() == '.') {
                field.insert(0, "0");
            } else if (field.starts_with("-.")) {
                field.insert(1, "0");
            }
            expected += (expected.empty() ? "" : ",") + field;
        }
        EXPECT_EQ(rows[i + 1], expected);
    }
}

TEST_F(CurveWithTable, DatesFollowTheStep) {
    struct Case {
        std::string args;
        std::size_t count;
        std::string first, last;
    };
    const std::vector<Case> cases = {
        {"50 10", 381, "      .0", "  1900.0"},              // the table's epochs
        {"50 10 --step 7", 272, "      .0", "  1897.0"},     // ends before 1900
        {"50 10 --step=0.1", 19001, "      .0", "  1900.0"}, // the finest step
        {"50 10 --step 1900", 2, "      .0", "  1900.0"},    // the two ends only
    };
    for (const Case& c : cases) {
        const Outcome run = curve(folder(), c.args);
        ASSERT_EQ(run.status, 0) << c.args << ": " << run.err;
        EXPECT_EQ(run.err, "") << c.args;
        const auto rows = dataLines(run.out);
        ASSERT_EQ(rows.size(), c.count) << c.args;
        EXPECT_EQ(rows.front().substr(0, 8), c.first) << c.args;
        EXPECT_EQ(rows.back().substr(0, 8), c.last) << c.args;
    }
}

TEST_F(CurveWithTable, HeaderNamesSiteUnitsAndColumns) {
    const Outcome run = curve(folder(), "45 8");
    ASSERT_EQ(run.status, 0);
    const auto all = lines(run.out);
    ASSERT_GE(all.size(), 6u);
    EXPECT_NE(all[1].find("latitude 45.001, longitude 8.001"), std::string::npos) << all[1];
    EXPECT_NE(run.out.find("errors at 95% of confidence"), std::string::npos);
    EXPECT_EQ(all[5],
              "#   Year    D(deg)     I(deg)      F(uT)     eD(deg)     eI(deg)      eF(uT)");
    for (std::size_t i = 6; i < all.size(); ++i) {
        ASSERT_EQ(all[i].size(), 76u) << all[i];
    }
}

// Inside the cap but off the map: computed, with a warning on standard error only.
TEST_F(CurveWithTable, SiteOutsideTheMapIsComputedWithAWarning) {
    const Outcome run = curve(folder(), "30 8");
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("warning"), std::string::npos);
    EXPECT_NE(run.err.find("outside the map's region"), std::string::npos);
    EXPECT_EQ(dataLines(run.out).size(), 381u);
}

TEST_F(CurveWithTable, SitesBeyondTheCapAreRefused) {
    // (0, 8) lies 45 degrees south of the pole, (45, 75) far to its east, (90, 0) at the
    // geographic pole 45 degrees from it.
    for (const std::string site : {"0 8", "45 75", "90 0", "-45 8"}) {
        const Outcome run = curve(folder(), site);
        EXPECT_EQ(run.status, 3) << site;
        EXPECT_EQ(run.out, "") << site;
        EXPECT_NE(run.err.find("refused"), std::string::npos) << site << ": " << run.err;
        EXPECT_NE(run.err.find("40 degrees"), std::string::npos) << site << ": " << run.err;
    }
    // Just inside the cap's edge, south of the pole along its meridian.
    EXPECT_EQ(curve(folder(), "10 8").status, 0);
}

// A hair from the cap's pole the frame rotations break down: no NaN reaches the output.
TEST_F(CurveWithTable, NonFiniteResultsAreNeverPrinted) {
    const Outcome run = curve(folder(), "45.19 8.0000001");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("no finite value"), std::string::npos) << run.err;
}

TEST_F(CurveWithTable, OutputFileIsWrittenWhole) {
    const Outcome run = curve(folder(), "50 10 --output curve.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dataLines(readFile(folder() / "curve.txt")).size(), 381u);

    // A folder that does not exist: nothing is written anywhere, and the status says so.
    const Outcome missing = curve(folder(), "50 10 -o no-such-folder/curve.txt");
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(fs::exists(folder() / "no-such-folder"));
    // Only the table, the earlier curve and nothing half-written are left.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ORMEDA_coeff.inp", "curve.txt"}));
}

TEST(Curve, TableFaultsEndWithStatusOneAndLeaveNoFile) {
    ScratchFolder folder;
    const Outcome missing = curve(folder.path(), "50 10");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("ORMEDA_coeff.inp"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(folder.path() / "ORMEDA_coeff.inp")) << "the table was created";

    std::ofstream(folder.path() / "short.inp") << "1 2 3\n";
    const Outcome shortTable = curve(folder.path(), "50 10 --table short.inp");
    EXPECT_EQ(shortTable.status, 1);
    EXPECT_EQ(shortTable.out, "");
    EXPECT_NE(shortTable.err.find("short.inp"), std::string::npos) << shortTable.err;
}

TEST(Curve, WrongCommandLinesAreRefusedWithStatusTwo) {
    ScratchFolder folder;
    struct Case {
        std::string args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"", "no site"},
        {"45", "no longitude"},
        {"45 8 9", "too many"},
        {"north 8", "not a number"},
        {"45 8e", "not a number"},
        {"nan 8", "not a number"},
        {"inf 8", "not a number"},
        {"90.5 8", "latitude"},
        {"45 -180.5", "longitude"},
        {"45 8 --step 0", "--step"},
        {"45 8 --step -5", "--step"},
        {"45 8 --step 2.55", "--step"},
        {"45 8 --step 1901", "--step"},
        {"45 8 --step", "needs a value"},
        {"45 8 --table", "needs a value"},
        {"45 8 --table=", "--table"},
        {"45 8 --colour", "unknown option"},
    };
    for (const Case& c : cases) {
        const Outcome run = curve(folder.path(), c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_EQ(run.out, "") << c.args;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.args << ": " << run.err;
        EXPECT_NE(run.err.find("--help"), std::string::npos) << c.args;
    }
}

TEST(Curve, HelpAndVersionNeedNoSite) {
    ScratchFolder folder;
    const Outcome help = curve(folder.path(), "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: ormeda-curve LAT LON")) << help.out;
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(help.err, "");
    const Outcome version = curve(folder.path(), "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("ormeda-curve (ORMEDA) ")) << version.out;
}

// A negative longitude is a number, not an option.
TEST_F(CurveWithTable, NegativeCoordinatesAreNumbers) {
    const Outcome west = curve(folder(), "40 -10 --step 950");
    ASSERT_EQ(west.status, 0) << west.err;
    EXPECT_NE(west.out.find("longitude -10 "), std::string::npos) << west.out;
}

} // namespace
