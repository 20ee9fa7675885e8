// Console records and the end of a run, compared byte for byte.
#include "console.hpp"
#include "full_disk.hpp"
#include "program_stop.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>

namespace ormeda {
namespace {

TEST(Console, CarriageControlAndHeldBackLineEnd) {
    std::ostringstream out;
    Console console(out);
    console.record(" first");
    EXPECT_EQ(out.str(), "first"); // the line end waits for the next line
    console.record("0second");
    console.freeRecord("third");
    console.freeRecord(" ");
    console.beforeRead();
    EXPECT_EQ(out.str(), "first\r\n\r\nsecond\r\nthird\r\n \r\n");
    console.beforeRead(); // nothing pending: nothing written
    console.freeRecord("last");
    EXPECT_TRUE(console.finish());
    EXPECT_TRUE(console.finish());
    EXPECT_EQ(out.str(), "first\r\n\r\nsecond\r\nthird\r\n \r\nlast\r\n");
}

TEST(Console, FirstRecordWithZeroStartsWithAnEmptyLine) {
    std::ostringstream out;
    Console console(out);
    console.record("0text");
    console.finish();
    EXPECT_EQ(out.str(), "\r\ntext\r\n");
}

struct EndCase {
    ProgramStop stop;
    int status;
    const char* console;
    const char* err;
};

TEST(EndRun, EachKindOfEnd) {
    const EndCase cases[] = {
        {{ProgramStop::Kind::Normal, kExitNormal, {}},
         0,
         "text\r\nStop - Program terminated.\r\n",
         ""},
        {{ProgramStop::Kind::ErrorAbort, kExitErrorAbort, {}},
         2,
         "text\r\nStop - Program terminated.\r\n",
         ""},
        {{ProgramStop::Kind::ReturnCode, 150, {}}, 150, "text\r\nReturn code 150\r\n", ""},
        {{ProgramStop::Kind::IoFailure, kExitIoFailure, "standard input: end of input"},
         1,
         "text\r\n",
         "run-time error: standard input: end of input\n"},
    };
    for (const EndCase& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        Console console(out);
        console.freeRecord("text");
        EXPECT_EQ(endRun(c.stop, console, err), c.status);
        EXPECT_EQ(out.str(), c.console);
        EXPECT_EQ(err.str(), c.err);
    }
}

TEST(EndRun, StopsCarryTheirStatus) {
    const auto caught = [](void (*stop)()) {
        try {
            stop();
        } catch (const ProgramStop& s) {
            return s;
        }
        return ProgramStop{};
    };
    EXPECT_EQ(caught([] { stopNormally(); }).status, 0);
    EXPECT_EQ(caught([] { stopAfterError(); }).status, 2);
    EXPECT_EQ(caught([] { stopWithReturnCode(150); }).status, 150);
    const ProgramStop io = caught([] { failTextIo("why"); });
    EXPECT_EQ(io.kind, ProgramStop::Kind::IoFailure);
    EXPECT_EQ(io.status, 1);
    EXPECT_EQ(io.report, "why");
}

using ormeda::testing::FullDisk;

TEST(Console, FailedWriteIsReportedOnceWithItsReason) {
    FullDisk disk;
    std::ostream out(&disk);
    Console console(out);
    const std::string report =
        std::string("cannot write to standard output: ") + std::strerror(ENOSPC);
    try {
        console.freeRecord("banner");
        FAIL() << "the write failure went unnoticed";
    } catch (const ProgramStop& stop) {
        EXPECT_EQ(stop.kind, ProgramStop::Kind::IoFailure);
        EXPECT_EQ(stop.report, report);
        std::ostringstream err;
        EXPECT_EQ(endRun(stop, console, err), 1);
        EXPECT_EQ(err.str(), "run-time error: " + report + "\n");
    }
}

TEST(EndRun, FailedStopLineTurnsANormalEndIntoStatusOne) {
    FullDisk disk;
    std::ostream out(&disk);
    Console console(out);
    std::ostringstream err;
    EXPECT_EQ(endRun({ProgramStop::Kind::Normal, kExitNormal, {}}, console, err), 1);
    EXPECT_EQ(err.str(), std::string("run-time error: cannot write to standard output: ") +
                             std::strerror(ENOSPC) + "\n");
    // An error-package stop keeps its own failure status.
    Console second(out);
    std::ostringstream err2;
    EXPECT_EQ(endRun({ProgramStop::Kind::ErrorAbort, kExitErrorAbort, {}}, second, err2), 2);
    EXPECT_NE(err2.str().find("standard output"), std::string::npos);
}

} // namespace
} // namespace ormeda
