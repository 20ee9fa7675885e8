// Test support: a fresh console over a string, a fresh error package and fresh
// extended-range parameters, installed as the process-wide instances for one test.
#pragma once

#include "console.hpp"
#include "error_package.hpp"
#include "extended_range.hpp"
#include "process_wide.hpp"

#include <sstream>
#include <string>

namespace ormeda::testing {

class FreshState {
public:
    FreshState()
        : console_(out_), errors_(console_), consoleGuard_(console_), errorsGuard_(errors_),
          rangeGuard_(range_) {}

    // What the console shows so far, with the pending line ended.
    std::string transcript() {
        console_.finish();
        return out_.str();
    }
    Console& console() { return console_; }
    ErrorPackage& errors() { return errors_; }
    ExtendedRange& range() { return range_; }

private:
    std::ostringstream out_;
    Console console_;
    ErrorPackage errors_;
    ExtendedRange range_;
    ProcessWide<Console>::Override consoleGuard_;
    ProcessWide<ErrorPackage>::Override errorsGuard_;
    ProcessWide<ExtendedRange>::Override rangeGuard_;
};

} // namespace ormeda::testing
