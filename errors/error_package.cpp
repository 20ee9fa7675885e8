// Error reporting, abort and message table.
#include "error_package.hpp"

#include "console.hpp"
#include "process_wide.hpp"
#include "program_stop.hpp"

namespace ormeda {

ErrorPackage::ErrorPackage() : console_(&Console::current()) {}
ErrorPackage::ErrorPackage(Console& console) : console_(&console) {}

ErrorPackage& ErrorPackage::current() { return ProcessWide<ErrorPackage>::current(); }

void XERROR(std::string_view MESSAGE, int MSGLEN, int NERR, int LEVEL) {
    ErrorPackage::current().XERROR(MESSAGE, MSGLEN, NERR, LEVEL);
}

} // namespace ormeda
