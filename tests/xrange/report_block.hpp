// Test support: the console lines that the error package shows for the first
// recoverable error of a run under its fixed settings (the report block, the abort
// words and the one-row message summary), with the console's CR LF line ends.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace ormeda::testing {

inline std::string abortBlock(std::string_view message, int nerr) {
    char number[40];
    std::snprintf(number, sizeof number, "ERROR NUMBER =%10d", nerr);
    std::string key(message.substr(0, 20));
    key.resize(20, ' ');
    char row[80];
    std::snprintf(row, sizeof row, "%s%10d%10d%10d", key.c_str(), nerr, 1, 1);
    const std::string crlf = "\r\n";
    // The block opens with a line holding one blank; the summary ends with an empty line.
    return " " + crlf + "RECOVERABLE ERROR IN..." + crlf + std::string(message) + crlf + number +
           crlf + "JOB ABORT DUE TO UNRECOVERED ERROR." + crlf + crlf +
           "          ERROR MESSAGE SUMMARY" + crlf +
           "MESSAGE START             NERR     LEVEL     COUNT" + crlf + row + crlf + crlf;
}

} // namespace ormeda::testing
