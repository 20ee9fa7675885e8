// The whole run of the map program: banner, date dialogue, table, grid walk, end.
#pragma once

#include <iosfwd>

namespace ormeda {

class Console;
class NodeModel;

// Runs the program in the current directory with `in` as the console input. Returns
// the exit status; every end of the run goes through endRun.
int runOrmeda(std::istream& in, Console& console, std::ostream& err);

// The same run with `model` evaluating the nodes in place of the cap harmonic chain.
int runOrmeda(std::istream& in, Console& console, std::ostream& err, NodeModel& model);

} // namespace ormeda
