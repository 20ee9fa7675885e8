// ORMEDA: geomagnetic field maps over Europe for one date from 0 to 1900 AD.
#include "console.hpp"
#include "run.hpp"
#include "stdio_input.hpp"

#include <cstdio>
#include <iostream>

int main() {
    // Standard input through C stdio, so that a failed read reports the system's reason.
    ormeda::StdioInput input(stdin);
    std::istream in(&input);
    return ormeda::runOrmeda(in, ormeda::Console::current(), std::cerr);
}
