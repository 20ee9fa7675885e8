// ORMEDA: geomagnetic field maps over Europe for one date from 0 to 1900 AD.
#include "console.hpp"
#include "run.hpp"

#include <iostream>

int main() { return ormeda::runOrmeda(std::cin, ormeda::Console::current(), std::cerr); }
