// Run sequence of the map program.
#include "run.hpp"

#include "console.hpp"
#include "program_stop.hpp"

namespace ormeda {

int runOrmeda(std::istream&, Console& console, std::ostream& err) {
    try {
        stopNormally();
    } catch (const ProgramStop& stop) {
        return endRun(stop, console, err);
    }
}

} // namespace ormeda
