// The map file's lines and records, byte for byte, and its write failures.
#include "map_file.hpp"
#include "program_stop.hpp"
#include "scratch.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace ormeda {
namespace {

using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

const std::string kBanner = "      ORMEDA Regional Archaeomagnetic Model\r\n"
                            "         for Europe for the last 2000 years\r\n"
                            " \r\n"
                            " \r\n"
                            "  Reference model: ORMEDA, regional archaeomagnetic field model\r\n"
                            "  Palaeointensity and directional archaeomagnetic prediction\r\n"
                            "  for Europe for the last 2000 years\r\n"
                            "  Spherical cap harmonics: cap centre 45N 8E, half-angle 40 deg, "
                            "K=2\r\n"
                            "  Coefficients read from ORMEDA_coeff.inp\r\n"
                            " \r\n"
                            " \r\n";

TEST(GridRecord, FieldsInTheirColumns) {
    const std::string line = formatGridRecord({35.0, -15.0, -2.375, 61.5, 47.125, 0.85, -0.004, 0});
    ASSERT_EQ(line.size(), kGridRecordLength);
    EXPECT_EQ(line, "  35.00  -15.00     -2.38      61.50      47.13         .85        -.00"
                    "         .00");
    EXPECT_EQ(line.substr(0, 15), "  35.00  -15.00");
    // A field too wide for its columns fills them with asterisks, the others stay.
    const std::string wide = formatGridRecord({45.001, 8.001, 1e9, 0, 0, 0, 0, 0});
    EXPECT_EQ(wide.substr(0, 25), "  45.00    8.00**********");
    EXPECT_EQ(wide.size(), kGridRecordLength);
}

TEST(TimeLine, SixteenCharacters) {
    EXPECT_EQ(formatTimeLine(1900.0), "Time:   1900.0AD");
    EXPECT_EQ(formatTimeLine(0.0), "Time:       .0AD");
    EXPECT_EQ(formatTimeLine(12.5), "Time:     12.5AD");
    EXPECT_EQ(formatTimeLine(1234.25), "Time:   1234.3AD");
}

TEST(MapFile, LinesInOrderWithCrLf) {
    ScratchFolder folder;
    writeFile(kMapFile, std::string(100000, 'z')); // an old, longer map is replaced
    MapFile map;
    map.open();
    EXPECT_EQ(readFile(kMapFile), kBanner); // on disk before the dialogue starts
    map.writeHeader(1900.0);
    map.writeRecord({35.0, -15.0, 1, 2, 3, 4, 5, 6});
    map.close();
    EXPECT_FALSE(map.isOpen());
    const std::string header =
        "Time:   1900.0AD\r\n"
        " \r\n"
        "                            *Errors at 95% of confidence\r\n"
        " \r\n"
        "   Lat     Lon    Dec(deg.)  Inc(deg.)   Int(mT)    eDec(deg.)  eInc(deg.)  eInt(mT)"
        "\r\n";
    EXPECT_EQ(readFile(kMapFile),
              kBanner + header +
                  "  35.00  -15.00      1.00       2.00       3.00        4.00        5.00"
                  "        6.00\r\n");
}

std::string failureOf(void (*action)(MapFile&), MapFile& map) {
    try {
        action(map);
    } catch (const ProgramStop& stop) {
        EXPECT_EQ(stop.kind, ProgramStop::Kind::IoFailure);
        return stop.report;
    }
    ADD_FAILURE() << "no failure";
    return {};
}

TEST(MapFile, CannotCreate) {
    ScratchFolder folder;
    std::filesystem::create_directory(kMapFile);
    MapFile map;
    EXPECT_EQ(failureOf([](MapFile& m) { m.open(); }, map),
              std::string("cannot create grid_ormeda.dat: ") + std::strerror(EISDIR));
    EXPECT_EQ(map.closeAfterStop(), "");
}

TEST(MapFile, DiskFull) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no full device on this system";
    }
    ScratchFolder folder;
    std::filesystem::create_symlink("/dev/full", kMapFile);
    MapFile map;
    EXPECT_EQ(failureOf([](MapFile& m) { m.open(); }, map),
              std::string("cannot write grid_ormeda.dat: ") + std::strerror(ENOSPC));
    // Already reported: the close after the stop adds no second report.
    EXPECT_EQ(map.closeAfterStop(), "");
    EXPECT_FALSE(map.isOpen());
}

} // namespace
} // namespace ormeda
