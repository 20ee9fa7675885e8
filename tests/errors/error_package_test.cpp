// The error-message package as the console shows it: report blocks under every
// control setting, the count limits, the abort with its summary and exit status,
// the invalid-argument path, the 72-character pieces, the settings and the table
// of distinct messages. Every transcript is compared byte for byte, CR LF included.
#include "console.hpp"
#include "error_package.hpp"
#include "process_wide.hpp"
#include "program_stop.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ormeda {
namespace {

using Lines = std::vector<std::string>;

// The console bytes of the given lines.
std::string crlf(const Lines& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::string kStop = "Stop - Program terminated.";

// The summary as the console shows it, for the given table rows.
Lines summary(const Lines& rows) {
    return Lines{"", "          ERROR MESSAGE SUMMARY",
                 "MESSAGE START             NERR     LEVEL     COUNT"} +
           rows + Lines{""};
}

struct Outcome {
    std::string bytes; // console bytes written by this step
    bool stopped = false;
    int status = -1;
};

class ErrorPackageTest : public ::testing::Test {
protected:
    // Runs one step; when it ends the run, the end is carried out as the program does.
    Outcome run(const std::function<void()>& step) {
        Outcome outcome;
        try {
            step();
            console.finish();
        } catch (const ProgramStop& stop) {
            outcome.stopped = true;
            std::ostringstream err;
            outcome.status = endRun(stop, console, err);
            EXPECT_EQ(stop.kind, ProgramStop::Kind::ErrorAbort);
            EXPECT_EQ(err.str(), "");
        }
        const std::string all = out.str();
        outcome.bytes = all.substr(seen);
        seen = all.size();
        return outcome;
    }
    Outcome report(std::string_view text, int nerr, int level) {
        return run([&] { pkg.XERROR(text, static_cast<int>(text.size()), nerr, level); });
    }
    void set(int slot, int value) { pkg.ERRVAL(slot, value, 1); }

    std::ostringstream out;
    Console console{out};
    ErrorPackage pkg{console};
    std::size_t seen = 0;
};

TEST_F(ErrorPackageTest, FirstRecoverableErrorUnderDefaultsAbortsWithSummaryAndStatusTwo) {
    console.freeRecord("THETA: 1.5");
    const Outcome o = report("XDLEGF: THETA OUT OF RANGE", 2, 1);
    EXPECT_TRUE(o.stopped);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.bytes, "THETA: 1.5\r\n"
                       " \r\n"
                       "RECOVERABLE ERROR IN...\r\n"
                       "XDLEGF: THETA OUT OF RANGE\r\n"
                       "ERROR NUMBER =         2\r\n"
                       "JOB ABORT DUE TO UNRECOVERED ERROR.\r\n"
                       "\r\n"
                       "          ERROR MESSAGE SUMMARY\r\n"
                       "MESSAGE START             NERR     LEVEL     COUNT\r\n"
                       "XDLEGF: THETA OUT OF         2         1         1\r\n"
                       "\r\n"
                       "Stop - Program terminated.\r\n");
    EXPECT_EQ(pkg.settings().slot[0], 2); // LastError
    EXPECT_EQ(pkg.table().entry[0].count, 1) << "the abort's summary keeps the table";
}

TEST_F(ErrorPackageTest, InvalidArgumentsEndTheRunUncounted) {
    struct Case {
        int msglen, nerr, level;
    };
    for (const Case c :
         {Case{26, 2, 3}, Case{26, 2, -2}, Case{26, 0, 1}, Case{0, 2, 1}, Case{-1, 2, 1}}) {
        SCOPED_TRACE(testing::Message() << c.msglen << " " << c.nerr << " " << c.level);
        const Outcome o =
            run([&] { pkg.XERROR("XDLEGF: THETA OUT OF RANGE", c.msglen, c.nerr, c.level); });
        EXPECT_TRUE(o.stopped);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.bytes, crlf({"FATAL ERROR IN...", "XERROR -- INVALID INPUT",
                                 "JOB ABORT DUE TO FATAL ERROR.", kStop}));
        EXPECT_EQ(pkg.settings().slot[0], 0);
        EXPECT_EQ(pkg.table().entry[0].count, 0);
    }
}

TEST_F(ErrorPackageTest, InvalidArgumentsPrintAndEmptyATableInUse) {
    report("SOME WARNING", 5, 0);
    const Outcome o = run([&] { pkg.XERROR("SOME WARNING", 12, 5, 7); });
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.bytes,
              crlf(Lines{"FATAL ERROR IN...", "XERROR -- INVALID INPUT",
                         "JOB ABORT DUE TO FATAL ERROR."} +
                   summary({"SOME WARNING                 5         0         1"}) + Lines{kStop}));
    EXPECT_EQ(pkg.table().entry[0].count, 0);
    EXPECT_EQ(pkg.settings().slot[0], 5) << "the invalid report is not the last error";
}

TEST_F(ErrorPackageTest, InvalidArgumentsUnderQuietControlPrintOnlyTheWords) {
    for (const int control : {0, -1, -2}) {
        SCOPED_TRACE(control);
        ErrorPackage quiet(console);
        quiet.ERRVAL(2, control, 1);
        int count = 0;
        quiet.ERRTAB("IN THE TABLE", 12, 1, 0, count);
        const Outcome o = run([&] { quiet.XERROR("", 0, 1, 1); });
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.bytes, crlf({"XERROR -- INVALID INPUT", kStop}));
        EXPECT_EQ(quiet.table().entry[0].count, 1) << "no summary, so the table stays";
    }
}

// What one first report shows under each control value and level.
TEST_F(ErrorPackageTest, ControlValuesChooseWhatIsPrintedAndWhetherTheRunEnds) {
    enum Shape { Nothing, TextOnly, Block, BlockAndAbort };
    struct Case {
        int control, level;
        Shape shape;
        bool stops;
    };
    const Case cases[] = {
        {3, -1, Block, false},       {3, 1, BlockAndAbort, true}, // above 2 acts as 2
        {2, -1, Block, false},       {2, 0, Block, false},        {2, 1, BlockAndAbort, true},
        {2, 2, BlockAndAbort, true}, {1, -1, Block, false},       {1, 0, Block, false},
        {1, 1, Block, false},        {1, 2, BlockAndAbort, true}, {0, -1, Nothing, false},
        {0, 0, Nothing, false},      {0, 1, Nothing, false},      {0, 2, TextOnly, true},
        {-1, -1, TextOnly, false},   {-1, 0, TextOnly, false},    {-1, 1, TextOnly, false},
        {-1, 2, TextOnly, true},     {-2, -1, TextOnly, false},   {-2, 0, TextOnly, false},
        {-2, 1, TextOnly, true},     {-2, 2, TextOnly, true},     {-5, 1, TextOnly, true},
        {-5, 0, TextOnly, false}, // below -2 acts as -2
    };
    const char* headings[] = {"WARNING MESSAGE...THIS MESSAGE WILL ONLY BE PRINTED ONCE.",
                              "WARNING IN...", "RECOVERABLE ERROR IN...", "FATAL ERROR IN..."};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Control " << c.control << " LEVEL " << c.level);
        ErrorPackage fresh(console);
        fresh.ERRVAL(2, c.control, 1);
        const Outcome o = run([&] { fresh.XERROR("CHECK THE CONTROL", 17, 4, c.level); });
        Lines expected;
        if (c.shape == TextOnly) {
            expected = {"CHECK THE CONTROL"};
        } else if (c.shape != Nothing) {
            expected = {" ", headings[c.level + 1], "CHECK THE CONTROL",
                        "ERROR NUMBER =         4"};
        }
        if (c.shape == BlockAndAbort) {
            expected = expected +
                       Lines{c.level == 1 ? "JOB ABORT DUE TO UNRECOVERED ERROR."
                                          : "JOB ABORT DUE TO FATAL ERROR."} +
                       summary({"CHECK THE CONTROL            4" + std::string(9, ' ') +
                                std::to_string(c.level) + "         1"});
        }
        if (c.stops) {
            expected.push_back(kStop);
        }
        EXPECT_EQ(o.stopped, c.stops);
        EXPECT_EQ(o.bytes, crlf(expected));
        EXPECT_EQ(fresh.table().entry[0].count, 1) << "every valid report is counted";
    }
}

TEST_F(ErrorPackageTest, OnceOnlyWarningPrintsAtItsFirstReportOnly) {
    const Outcome first = report("XDSET: LOW PRECISION", 7, -1);
    EXPECT_FALSE(first.stopped);
    EXPECT_EQ(first.bytes, crlf({" ", "WARNING MESSAGE...THIS MESSAGE WILL ONLY BE PRINTED ONCE.",
                                 "XDSET: LOW PRECISION", "ERROR NUMBER =         7"}));
    const Outcome second = report("XDSET: LOW PRECISION", 7, -1);
    EXPECT_FALSE(second.stopped);
    EXPECT_EQ(second.bytes, "");
    EXPECT_EQ(pkg.table().entry[0].count, 2);

    ErrorPackage never(console);
    never.ERRVAL(4, 0, 1); // MaxCount 0
    EXPECT_EQ(run([&] { never.XERROR("XDSET: LOW PRECISION", 20, 7, -1); }).bytes, "");
}

TEST_F(ErrorPackageTest, RecoverableErrorsUnderControlOneStopPrintingAfterMaxCount) {
    set(2, 1);
    const std::string block =
        crlf({" ", "RECOVERABLE ERROR IN...", "REPEATED", "ERROR NUMBER =        12"});
    for (int n = 1; n <= 10; ++n) {
        const Outcome o = report("REPEATED", 12, 1);
        EXPECT_FALSE(o.stopped);
        EXPECT_EQ(o.bytes, block) << "report " << n;
    }
    const Outcome eleventh = report("REPEATED", 12, 1);
    EXPECT_FALSE(eleventh.stopped);
    EXPECT_EQ(eleventh.bytes, "");
    EXPECT_EQ(pkg.table().entry[0].count, 11);
}

TEST_F(ErrorPackageTest, WarningsFollowMaxCount) {
    set(4, 2);
    const std::string block = crlf({" ", "WARNING IN...", "W", "ERROR NUMBER =         1"});
    EXPECT_EQ(report("W", 1, 0).bytes, block);
    EXPECT_EQ(report("W", 1, 0).bytes, block);
    EXPECT_EQ(report("W", 1, 0).bytes, "");
}

TEST_F(ErrorPackageTest, AbortsBeyondMaxCountSkipTheAbortWordsButStillEndTheRun) {
    set(4, 1);
    report("AGAIN", 3, 1);
    const Outcome recoverable = report("AGAIN", 3, 1);
    EXPECT_EQ(recoverable.status, 2);
    EXPECT_EQ(recoverable.bytes,
              crlf({" ", "RECOVERABLE ERROR IN...", "AGAIN", "ERROR NUMBER =         3", kStop}));

    report("FATAL AGAIN", 3, 2);
    const Outcome fatal = report("FATAL AGAIN", 3, 2);
    EXPECT_EQ(fatal.status, 2);
    EXPECT_EQ(fatal.bytes, crlf({kStop}));
}

TEST_F(ErrorPackageTest, FatalErrorPrintsOnceEvenWhenMaxCountIsZero) {
    set(4, 0);
    const Outcome o = report("FATAL", 9, 2);
    EXPECT_EQ(o.bytes,
              crlf(Lines{" ", "FATAL ERROR IN...", "FATAL", "ERROR NUMBER =         9",
                         "JOB ABORT DUE TO FATAL ERROR."} +
                   summary({"FATAL                        9         2         1"}) + Lines{kStop}));
}

// A text whose characters tell their own positions apart.
std::string numberedText(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>('A' + i % 26);
    }
    return text;
}

TEST_F(ErrorPackageTest, LongTextsAreSplitIntoPiecesOf72) {
    struct Case {
        std::size_t length;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {{0, {}},         {1, {1}},        {72, {72}},        {73, {72, 1}},
                          {100, {72, 28}}, {144, {72, 72}}, {145, {72, 72, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text = numberedText(c.length);
        Lines expected;
        std::size_t start = 0;
        for (const std::size_t piece : c.pieces) {
            expected.push_back(text.substr(start, piece));
            start += piece;
        }
        EXPECT_EQ(run([&] { pkg.ERRLIN(text); }).bytes, crlf(expected));
    }
}

TEST_F(ErrorPackageTest, LongMessageIsSplitInItsBlockAndKeyedByItsFirst20Characters) {
    const std::string text = numberedText(100);
    const Outcome o = report(text, 1, 1);
    EXPECT_EQ(o.bytes,
              crlf(Lines{" ", "RECOVERABLE ERROR IN...",
                         "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRST",
                         "UVWXYZABCDEFGHIJKLMNOPQRSTUV", "ERROR NUMBER =         1",
                         "JOB ABORT DUE TO UNRECOVERED ERROR."} +
                   summary({"ABCDEFGHIJKLMNOPQRST         1         1         1"}) + Lines{kStop}));
}

TEST_F(ErrorPackageTest, ErrvalReturnsTheOldValueAndSetsOnlyWhenAsked) {
    const int initial[] = {0, 2, 0, 10, 1, 0, 0, 0, 0};
    for (int slot = 1; slot <= 9; ++slot) {
        EXPECT_EQ(pkg.ERRVAL(slot, 99, 0), initial[slot - 1]) << "slot " << slot;
    }
    EXPECT_EQ(pkg.ERRVAL(4, 25, 1), 10);
    EXPECT_EQ(pkg.ERRVAL(4, 3, 0), 25);
    EXPECT_EQ(pkg.settings().slot[3], 25);
    EXPECT_THROW(pkg.ERRVAL(0, 1, 1), std::out_of_range);
    EXPECT_THROW(pkg.ERRVAL(10, 1, 0), std::out_of_range);
}

TEST_F(ErrorPackageTest, ErrlunListsTheUnitsOfTheSettings) {
    std::array<int, 5> units{-1, -1, -1, -1, -1};
    int count = 0;
    pkg.ERRLUN(units, count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(units[0], 0);

    set(3, 6);
    set(5, 3);
    set(6, 16);
    set(7, 17);
    pkg.ERRLUN(units, count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(units[0], 6);
    EXPECT_EQ(units[1], 16);
    EXPECT_EQ(units[2], 17);

    set(5, 40); // more units than the list holds
    pkg.ERRLUN(units, count);
    EXPECT_EQ(count, 5);
}

TEST_F(ErrorPackageTest, EveryLineGoesToAllUnitsBeforeTheNext) {
    set(5, 2);
    set(6, 6);
    const Outcome o = report("TWICE", 8, 1);
    const Lines one = summary({"TWICE                        8         1         1"});
    EXPECT_EQ(o.bytes, crlf(Lines{" ", " ", "RECOVERABLE ERROR IN...", "RECOVERABLE ERROR IN...",
                                  "TWICE", "TWICE", "ERROR NUMBER =         8",
                                  "ERROR NUMBER =         8", "JOB ABORT DUE TO UNRECOVERED ERROR.",
                                  "JOB ABORT DUE TO UNRECOVERED ERROR."} +
                            one + one + Lines{kStop}));
}

TEST_F(ErrorPackageTest, ValuesArePrintedUnderTheMessageOneLineEach) {
    set(2, 1);
    const Outcome o = run([&] { pkg.ERRWRT("WITH VALUES", 11, 6, 0, 5, -42, 7, 1, 0.1, 2.5); });
    EXPECT_EQ(o.bytes,
              crlf({" ", "WARNING IN...", "WITH VALUES", "INTEGER VALUE 1 =       -42",
                    "INTEGER VALUE 2 =         7", "REAL VALUE 1 =  1.0000000000000001E-01",
                    "ERROR NUMBER =         6"}));
    set(2, -1);
    EXPECT_EQ(run([&] { pkg.ERRWRT("QUIET", 5, 6, 0, 0, 0, 0, 2, -3.0, 1e300); }).bytes,
              crlf({"QUIET", "REAL VALUE 1 = -3.0000000000000000E+00",
                    "REAL VALUE 2 = 1.0000000000000001E+300"}));
    // A number wider than its ten columns is written whole, not as asterisks.
    EXPECT_EQ(run([&] { pkg.ERRWRT("WIDE", 4, 6, 0, 1, -2147483647 - 1, 0, 0, 0.0, 0.0); }).bytes,
              crlf({"WIDE", "INTEGER VALUE 1 =-2147483648"}));
}

TEST_F(ErrorPackageTest, TableKeysOnTwentyCharactersErrorNumberAndLevel) {
    struct Case {
        const char* text;
        int nerr, level, msgcnt;
    };
    const Case cases[] = {
        {"ERR IN XDSET...IMPROPER VALUE OF NBITS", 3, 1, 1},
        {"ERR IN XDSET...IMPROPER VALUE OF DZERO", 2, 1, 1}, // same key, other number
        {"ERR IN XDSET...IMPROPER VALUE OF DZERO", 3, 1, 2}, // differs after 20: shared
        {"ABC", 1, 0, 1},
        {"ABC", 1, 1, 1}, // other level
        {"ABC", 1, 0, 2},
    };
    for (const Case& c : cases) {
        int msgcnt = -1;
        pkg.ERRTAB(c.text, static_cast<int>(std::string_view(c.text).size()), c.nerr, c.level,
                   msgcnt);
        EXPECT_EQ(msgcnt, c.msgcnt) << c.text << " " << c.nerr << " " << c.level;
    }
    EXPECT_EQ(pkg.table().entry[2].key, "ABC                 ");
    int unused = 0;
    EXPECT_EQ(run([&] { pkg.ERRTAB("", -1, 0, 0, unused); }).bytes,
              crlf(summary({"ERR IN XDSET...IMPRO         3         1         2",
                            "ERR IN XDSET...IMPRO         2         1         1",
                            "ABC                          1         0         2",
                            "ABC                          1         1         1"})));
}

TEST_F(ErrorPackageTest, EleventhDistinctMessageGoesToOtherCount) {
    Lines rows;
    for (int n = 1; n <= 10; ++n) {
        const std::string text = "MESSAGE " + std::to_string(n);
        int msgcnt = 0;
        pkg.ERRTAB(text, static_cast<int>(text.size()), n, 1, msgcnt);
        rows.push_back(text + std::string(20 - text.size(), ' ') +
                       std::string(n < 10 ? 9 : 8, ' ') + std::to_string(n) +
                       "         1         1");
    }
    for (const int other : {1, 2}) {
        int msgcnt = -1;
        pkg.ERRTAB("MESSAGE 11", 10, 11, 1, msgcnt);
        EXPECT_EQ(msgcnt, 1) << "a message left out of the table is never held back";
        EXPECT_EQ(pkg.table().otherCount, other);
    }
    for (const auto& entry : pkg.table().entry) {
        EXPECT_EQ(entry.count, 1);
    }
    int unused = 0;
    EXPECT_EQ(run([&] { pkg.ERRTAB("", -1, 0, 0, unused); }).bytes,
              crlf(Lines{"", "          ERROR MESSAGE SUMMARY",
                         "MESSAGE START             NERR     LEVEL     COUNT"} +
                   rows + Lines{"", "OTHER ERRORS NOT INDIVIDUALLY TABULATED=         2", ""}));
}

TEST_F(ErrorPackageTest, UntabulatedReportsArePrintedEveryTime) {
    set(2, 1);
    set(4, 1);
    for (int n = 1; n <= 10; ++n) {
        report("FILLER " + std::to_string(n), n, 0);
    }
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(report("OVERFLOW", 11, 0).bytes,
                  crlf({" ", "WARNING IN...", "OVERFLOW", "ERROR NUMBER =        11"}));
    }
}

TEST_F(ErrorPackageTest, SummaryModeKeepsOrEmptiesTheTable) {
    int unused = 0;
    const auto summaryCall = [&](int msglen) {
        return run([&] { pkg.ERRTAB("IGNORED", msglen, 0, 0, unused); }).bytes;
    };
    EXPECT_EQ(summaryCall(-1), "") << "an empty table prints nothing, not even the title";

    int msgcnt = 0;
    pkg.ERRTAB("KEPT", 4, 1, 2, msgcnt);
    const std::string table = crlf(summary({"KEPT                         1         2         1"}));
    EXPECT_EQ(summaryCall(-1), table);
    EXPECT_EQ(summaryCall(-1), table);
    EXPECT_EQ(summaryCall(0), table);
    EXPECT_EQ(summaryCall(0), "");

    pkg.ERRTAB("NEW", 3, 5, 0, msgcnt);
    EXPECT_EQ(msgcnt, 1);
    EXPECT_EQ(summaryCall(-1),
              crlf(summary({"NEW                          5         0         1"})));
}

TEST_F(ErrorPackageTest, MachineConstants) {
    const int expected[] = {5,          6, 7,  6,    32,  4,  2,     31,
                            2147483647, 2, 24, -125, 128, 53, -1021, 1024};
    for (int index = 1; index <= 16; ++index) {
        EXPECT_EQ(IMCON(index), expected[index - 1]) << "entry " << index;
    }
    EXPECT_THROW(IMCON(0), std::out_of_range);
    EXPECT_THROW(IMCON(17), std::out_of_range);
}

TEST_F(ErrorPackageTest, ProcessWideReportsReachTheProcessWideConsole) {
    ProcessWide<Console>::Override consoleGuard(console);
    ErrorPackage standing; // bound to whichever console is current when it writes
    ProcessWide<ErrorPackage>::Override packageGuard(standing);
    EXPECT_EQ(run([] { XERROR("THROUGH THE PROCESS", 19, 4, 0); }).bytes,
              crlf({" ", "WARNING IN...", "THROUGH THE PROCESS", "ERROR NUMBER =         4"}));
    EXPECT_EQ(standing.table().entry[0].count, 1);
}

} // namespace
} // namespace ormeda
