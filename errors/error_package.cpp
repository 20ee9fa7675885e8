// Error reporting, the once-only warnings, the abort, the table of distinct messages
// with its summary, and the integer machine constants.
//
// Every line goes out as one console record whose first character is carriage
// control: ' ' for a plain line, '0' for a line preceded by an empty one. Unit 6,
// the console, is the only unit the program connects, so every message unit in the
// list lands there; a list of two units shows each line twice.
#include "error_package.hpp"

#include "console.hpp"
#include "process_wide.hpp"
#include "program_stop.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace ormeda {

namespace {

// Integer machine constants of IEEE double precision and 32-bit integers, with the
// unit numbers of the console (entries 1 to 4).
constexpr std::array<int, 16> kMachineConstants{
    5,          // standard input unit
    6,          // standard output unit
    7,          // punch unit
    6,          // standard message unit
    32,         // bits per integer
    4,          // characters per integer
    2,          // radix of integers
    31,         // binary digits of an integer
    2147483647, // largest integer
    2,          // radix of floating-point numbers
    24,         // mantissa digits, single precision
    -125,       // smallest exponent, single precision
    128,        // largest exponent, single precision
    53,         // mantissa digits, double precision
    -1021,      // smallest exponent, double precision
    1024,       // largest exponent, double precision
};

constexpr int kStandardMessageUnitEntry = 4;

// Settings slots, numbered from 1.
constexpr int kLastError = 1;
constexpr int kControl = 2;
constexpr int kFirstUnit = 3;
constexpr int kMaxCount = 4;
constexpr int kUnitCount = 5;
constexpr int kMaxUnits = 5;

constexpr std::size_t kPieceLength = 72; // characters per printed line of a text
constexpr std::size_t kKeyLength = 20;   // characters of a message kept in the table
constexpr int kIntegerWidth = 10;

constexpr std::string_view kAbortUnrecovered = "JOB ABORT DUE TO UNRECOVERED ERROR.";
constexpr std::string_view kAbortFatal = "JOB ABORT DUE TO FATAL ERROR.";
constexpr std::string_view kFatalHeading = "FATAL ERROR IN...";
constexpr std::string_view kInvalidInput = "XERROR -- INVALID INPUT";

std::string_view heading(int level) {
    switch (level) {
    case -1:
        return "WARNING MESSAGE...THIS MESSAGE WILL ONLY BE PRINTED ONCE.";
    case 0:
        return "WARNING IN...";
    case 1:
        return "RECOVERABLE ERROR IN...";
    default:
        return kFatalHeading;
    }
}

// An integer right-justified in `width` columns. A number wider than its field is
// written whole rather than as asterisks, so that it stays readable.
std::string integerField(int value, int width) {
    std::string digits = std::to_string(value);
    if (digits.size() < static_cast<std::size_t>(width)) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
    }
    return digits;
}

// A double with 17 significant digits, enough to give back the stored value.
std::string realField(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%24.16E", value);
    return buffer;
}

std::string messageKey(std::string_view text) {
    std::string key(text.substr(0, std::min(text.size(), kKeyLength)));
    key.resize(kKeyLength, ' ');
    return key;
}

} // namespace

int IMCON(int index) {
    if (index < 1 || index > static_cast<int>(kMachineConstants.size())) {
        throw std::out_of_range("IMCON: no machine constant " + std::to_string(index));
    }
    return kMachineConstants[static_cast<std::size_t>(index - 1)];
}

ErrorPackage::ErrorPackage() : console_(nullptr) {}
ErrorPackage::ErrorPackage(Console& console) : console_(&console) {}

ErrorPackage& ErrorPackage::current() {
    return ProcessWide<ErrorPackage>::current();
}

Console& ErrorPackage::console() const {
    return console_ != nullptr ? *console_ : Console::current();
}

void ErrorPackage::XERROR(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL) {
    ERRWRT(MESSAGE, MSGLEN, NERR, LEVEL, 0, 0, 0, 0, 0.0, 0.0);
}

void ErrorPackage::ERRWRT(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL, int NI, int I1,
                          int I2, int NR, double R1, double R2) {
    const int control = ERRVAL(kControl, 0, 0);
    const int maxCount = ERRVAL(kMaxCount, 0, 0);

    if (MSGLEN < 1 || NERR == 0 || LEVEL < -1 || LEVEL > 2) {
        // A report that cannot be trusted is neither counted nor kept as the last
        // error; it ends the run at once.
        if (control > 0) {
            ERRLIN(kFatalHeading);
        }
        ERRLIN(kInvalidInput);
        if (control > 0) {
            ERRLIN(kAbortFatal);
            int unused = 0;
            ERRTAB(MESSAGE, 0, NERR, LEVEL, unused);
        }
        ERRSTP(MESSAGE, MSGLEN, 0);
    }

    ERRVAL(kLastError, NERR, 1);
    int MSGCNT = 0;
    ERRTAB(MESSAGE, MSGLEN, NERR, LEVEL, MSGCNT);

    const int K = std::clamp(control, -2, 2);
    const bool silenced = (LEVEL < 2 && K == 0) ||
                          (LEVEL == -1 && MSGCNT > std::min(1, maxCount)) ||
                          (LEVEL == 0 && MSGCNT > maxCount) ||
                          (LEVEL == 1 && MSGCNT > maxCount && std::abs(K) == 1) ||
                          (LEVEL == 2 && MSGCNT > std::max(1, maxCount));
    if (!silenced) {
        if (K > 0) {
            ERRLIN(" ");
            ERRLIN(heading(LEVEL));
        }
        ERRLIN(MESSAGE);
        // Values given with the message, one line each; counts beyond 2 show two.
        const int integers = std::clamp(NI, 0, 2);
        const int reals = std::clamp(NR, 0, 2);
        for (int i = 1; i <= integers; ++i) {
            ERRLIN("INTEGER VALUE " + std::to_string(i) + " =" +
                   integerField(i == 1 ? I1 : I2, kIntegerWidth));
        }
        for (int i = 1; i <= reals; ++i) {
            ERRLIN("REAL VALUE " + std::to_string(i) + " =" + realField(i == 1 ? R1 : R2));
        }
        if (K > 0) {
            const std::string line = " ERROR NUMBER =" + integerField(NERR, kIntegerWidth);
            for (const int unit : messageUnits()) {
                writeRecord(unit, line);
            }
        }
    }

    const bool aborts = LEVEL == 2 || (LEVEL == 1 && std::abs(K) == 2);
    if (!aborts) {
        return;
    }
    if (K > 0 && MSGCNT <= std::max(1, maxCount)) {
        ERRLIN(LEVEL == 1 ? kAbortUnrecovered : kAbortFatal);
        int unused = 0;
        ERRTAB(MESSAGE, -1, NERR, LEVEL, unused);
    }
    ERRSTP(MESSAGE, MSGLEN, MSGCNT);
}

void ErrorPackage::ERRLIN(std::string_view text) {
    for (const int unit : messageUnits()) {
        for (std::size_t start = 0; start < text.size(); start += kPieceLength) {
            std::string record(" ");
            record += text.substr(start, kPieceLength);
            writeRecord(unit, record);
        }
    }
}

void ErrorPackage::ERRLUN(std::array<int, 5>& units, int& count) const {
    // The count is held to the five places of the list.
    count = std::clamp(settings_.slot[kUnitCount - 1], 0, kMaxUnits);
    if (count >= 1) {
        units[0] = settings_.slot[kFirstUnit - 1];
    }
    for (int j = 2; j <= count; ++j) {
        units[static_cast<std::size_t>(j - 1)] = settings_.slot[static_cast<std::size_t>(j + 3)];
    }
}

int ErrorPackage::ERRVAL(int slot, int value, int set) {
    if (slot < 1 || slot > static_cast<int>(settings_.slot.size())) {
        throw std::out_of_range("ERRVAL: no settings slot " + std::to_string(slot));
    }
    int& stored = settings_.slot[static_cast<std::size_t>(slot - 1)];
    const int previous = stored;
    if (set != 0) {
        stored = value;
    }
    return previous;
}

void ErrorPackage::ERRSTP(std::string_view /*MESSAGE*/, int /*MSGLEN*/, int /*count*/) {
    // The stop line, the end of the pending console line and the closing of the map
    // file happen where the run is ended.
    stopAfterError();
}

void ErrorPackage::ERRTAB(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL, int& MSGCNT) {
    if (MSGLEN >= 1) {
        const std::string key = messageKey(MESSAGE);
        for (auto& entry : table_.entry) {
            if (entry.count == 0) {
                entry = {key, NERR, LEVEL, 1};
                MSGCNT = 1;
                return;
            }
            if (entry.key == key && entry.nerr == NERR && entry.level == LEVEL) {
                MSGCNT = ++entry.count;
                return;
            }
        }
        ++table_.otherCount;
        MSGCNT = 1;
        return;
    }

    if (table_.entry[0].count == 0) {
        return;
    }
    for (const int unit : messageUnits()) {
        writeRecord(unit, "0          ERROR MESSAGE SUMMARY");
        writeRecord(unit, " MESSAGE START             NERR     LEVEL     COUNT");
        for (const auto& entry : table_.entry) {
            if (entry.count == 0) {
                break;
            }
            writeRecord(unit, " " + entry.key + integerField(entry.nerr, kIntegerWidth) +
                                  integerField(entry.level, kIntegerWidth) +
                                  integerField(entry.count, kIntegerWidth));
        }
        if (table_.otherCount != 0) {
            writeRecord(unit, "0OTHER ERRORS NOT INDIVIDUALLY TABULATED=" +
                                  integerField(table_.otherCount, kIntegerWidth));
        }
        writeRecord(unit, " ");
    }
    if (MSGLEN == 0) {
        for (auto& entry : table_.entry) {
            entry.count = 0;
        }
        table_.otherCount = 0;
    }
}

std::vector<int> ErrorPackage::messageUnits() const {
    std::array<int, 5> units{};
    int count = 0;
    ERRLUN(units, count);
    std::vector<int> list(units.begin(), units.begin() + count);
    for (int& unit : list) {
        if (unit == 0) {
            unit = IMCON(kStandardMessageUnitEntry);
        }
    }
    return list;
}

void ErrorPackage::writeRecord(int /*unit*/, std::string_view record) {
    // Every unit number stands for the console, the only unit connected.
    console().record(record);
}

void XERROR(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL) {
    ErrorPackage::current().XERROR(MESSAGE, MSGLEN, NERR, LEVEL);
}

} // namespace ormeda
