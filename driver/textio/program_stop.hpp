// The ways a run can end, and the one place where each end is carried out.
// Deep routines throw ProgramStop; the program's entry point catches it after the
// files have been closed and hands it to endRun, which writes the stop line or the
// report and gives the exit status. Tests catch ProgramStop the same way.
#pragma once

#include <iosfwd>
#include <string>

namespace ormeda {

class Console;

inline constexpr int kExitNormal = 0;
inline constexpr int kExitIoFailure = 1;
inline constexpr int kExitErrorAbort = 2; // the error package ended the run
inline constexpr int kBasisReturnCode = 150;

// Deliberately not derived from std::exception, so that no generic handler swallows it.
struct ProgramStop {
    enum class Kind {
        Normal,     // complete run: stop line, status 0
        ErrorAbort, // error package stop: stop line, status 2
        ReturnCode, // "Return code n", status n
        IoFailure,  // "run-time error" report on standard error, status 1
    };
    Kind kind = Kind::Normal;
    int status = kExitNormal;
    std::string report; // IoFailure: the report's text after "run-time error: "
};

[[noreturn]] void stopNormally();
[[noreturn]] void stopAfterError();
[[noreturn]] void stopWithReturnCode(int code);
[[noreturn]] void failTextIo(std::string report);

inline constexpr const char* kStopLine = "Stop - Program terminated.";

// Carries out the end of a run: ends the console line, writes the stop line or the
// "Return code" line to the console, or the "run-time error" report to `err`, and
// returns the exit status.
int endRun(const ProgramStop& stop, Console& console, std::ostream& err);

} // namespace ormeda
