// The error-message package: reports with severity levels, once-only warnings, the
// abort, the table of distinct messages with its summary, and the integer machine
// constants. Everything it prints goes to the console as records.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace ormeda {

class Console;

// Entry `index` (1 to 16) of the integer machine-constant table; any other index
// throws std::out_of_range.
int IMCON(int index);

// Saved settings, slots 1 to 9.
struct ErrorSettings {
    std::array<int, 9> slot{0, 2, 0, 10, 1, 0, 0, 0, 0};
};

// Distinct messages and their counts.
struct MessageTable {
    struct Entry {
        std::string key; // first 20 characters of the text, blank-padded
        int nerr = 0;
        int level = 0;
        int count = 0; // 0 marks a free entry
    };
    std::array<Entry, 10> entry{};
    int otherCount = 0;
};

class ErrorPackage {
public:
    // Without a console of its own, the package writes to whichever console is
    // process-wide at the moment of writing.
    ErrorPackage();
    explicit ErrorPackage(Console& console);

    void XERROR(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL);
    void ERRWRT(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL, int NI, int I1, int I2,
                int NR, double R1, double R2);
    void ERRLIN(std::string_view text);
    void ERRLUN(std::array<int, 5>& units, int& count) const;
    // Returns settings slot `slot` (1 to 9) and stores `value` there when `set` is not 0;
    // any other slot throws std::out_of_range.
    int ERRVAL(int slot, int value, int set);
    [[noreturn]] void ERRSTP(std::string_view MESSAGE, int MSGLEN, int count);
    void ERRTAB(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL, int& MSGCNT);

    const ErrorSettings& settings() const { return settings_; }
    const MessageTable& table() const { return table_; }
    Console& console() const;

    static ErrorPackage& current();

private:
    // The message units in list order, a unit 0 standing for the standard message unit.
    std::vector<int> messageUnits() const;
    void writeRecord(int unit, std::string_view record);

    Console* console_; // null: the process-wide console at the time of writing
    ErrorSettings settings_{};
    MessageTable table_{};
};

// Reports through the current process-wide package.
void XERROR(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL);

} // namespace ormeda
