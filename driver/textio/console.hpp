// The console as a sequence of records. The first character of every record is
// carriage control and is not shown: ' ' starts a new line, '0' starts a new line
// after one empty line. A line's CR LF is held back until the next line begins, a
// console read starts, or the run ends, so the last line is always ended.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace ormeda {

class Console {
public:
    // The process-wide console writes to standard output.
    Console();
    explicit Console(std::ostream& out);

    // Writes one record; record[0] is the carriage-control character.
    void record(std::string_view record);
    // A free-format record: one blank (the carriage control) before the text.
    void freeRecord(std::string_view text);
    // Ends the pending line and flushes, before the console is read.
    void beforeRead();
    // Ends the pending line and flushes at the end of the run. Never throws;
    // returns false if standard output could not be written. Once a write has failed
    // (and been reported through failTextIo), nothing more is written and finish
    // returns true: the failure is not reported twice.
    bool finish() noexcept;
    // The report on the last failed write: "cannot write to standard output: <reason>".
    std::string failureReport() const;

    static Console& current();

private:
    void endPendingLine();
    void checkStream();

    std::ostream* out_;
    bool pending_ = false;
    bool failed_ = false;
    int failure_ = 0; // errno of the failed write, 0 if unknown
};

} // namespace ormeda
