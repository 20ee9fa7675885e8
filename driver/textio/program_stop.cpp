// The single way out of a run.
#include "program_stop.hpp"

#include "console.hpp"

#include <ostream>
#include <string>
#include <utility>

namespace ormeda {

void stopNormally() {
    throw ProgramStop{ProgramStop::Kind::Normal, kExitNormal, {}};
}

void stopAfterError() {
    throw ProgramStop{ProgramStop::Kind::ErrorAbort, kExitErrorAbort, {}};
}

void stopWithReturnCode(int code) {
    throw ProgramStop{ProgramStop::Kind::ReturnCode, code, {}};
}

void failTextIo(std::string report) {
    throw ProgramStop{ProgramStop::Kind::IoFailure, kExitIoFailure, std::move(report)};
}

int endRun(const ProgramStop& stop, Console& console, std::ostream& err) {
    int status = stop.status;
    std::string consoleReport; // set when standard output failed here
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
    } catch (const ProgramStop& failure) {
        consoleReport = failure.report;
    }
    if (!console.finish()) {
        consoleReport = console.failureReport();
    }
    if (stop.kind == ProgramStop::Kind::IoFailure) {
        err << "run-time error: " << stop.report << '\n';
    }
    if (!consoleReport.empty()) {
        err << "run-time error: " << consoleReport << '\n';
        if (status == kExitNormal) {
            status = kExitIoFailure;
        }
    }
    err.flush();
    return status;
}

} // namespace ormeda
