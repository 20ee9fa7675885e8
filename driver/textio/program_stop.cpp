// The single way out of a run.
#include "program_stop.hpp"

#include "console.hpp"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>

namespace ormeda {

void stopNormally() { throw ProgramStop{ProgramStop::Kind::Normal, kExitNormal, {}}; }

void stopAfterError() { throw ProgramStop{ProgramStop::Kind::ErrorAbort, kExitErrorAbort, {}}; }

void stopWithReturnCode(int code) { throw ProgramStop{ProgramStop::Kind::ReturnCode, code, {}}; }

void failTextIo(std::string report) {
    throw ProgramStop{ProgramStop::Kind::IoFailure, kExitIoFailure, std::move(report)};
}

int endRun(const ProgramStop& stop, Console& console, std::ostream& err) {
    int status = stop.status;
    bool consoleWritten = true;
    try {
        switch (stop.kind) {
        case ProgramStop::Kind::Normal:
        case ProgramStop::Kind::ErrorAbort:
            console.freeRecord(kStopLine);
            break;
        case ProgramStop::Kind::ReturnCode:
            console.freeRecord("Return code " + std::to_string(stop.status));
            break;
        case ProgramStop::Kind::IoFailure:
            break;
        }
    } catch (const ProgramStop&) {
        consoleWritten = false;
    }
    errno = 0;
    if (!console.finish()) {
        consoleWritten = false;
    }
    if (stop.kind == ProgramStop::Kind::IoFailure) {
        err << "run-time error: " << stop.report << '\n';
    }
    if (!consoleWritten) {
        const int reason = errno;
        err << "run-time error: cannot write to standard output: "
            << (reason != 0 ? std::strerror(reason) : "write failed") << '\n';
        if (status == kExitNormal) {
            status = kExitIoFailure;
        }
    }
    err.flush();
    return status;
}

} // namespace ormeda
