// The floor of a whole run: starts, reads the date line the operator types, writes the
// console text and the map file of a real run (taken from two files that a real run
// produced) and computes nothing. Timing it beside the real program shows what part
// of a run is start-up and output alone.
//
// Usage: ormeda_floor CONSOLE-TEXT MAP-FILE   (writes grid_ormeda.dat in the current
// directory and the console text to standard output)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

bool slurp(const char* path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ormeda_floor CONSOLE-TEXT MAP-FILE\n");
        return 2;
    }
    std::string console;
    std::string map;
    if (!slurp(argv[1], console) || !slurp(argv[2], map)) {
        std::fprintf(stderr, "ormeda_floor: cannot read its input files\n");
        return 2;
    }
    // The date, as the real program reads it; its value is not used.
    std::string date;
    std::getline(std::cin, date);

    std::FILE* out = std::fopen("grid_ormeda.dat", "wb");
    if (out == nullptr || std::fwrite(map.data(), 1, map.size(), out) != map.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "ormeda_floor: cannot write grid_ormeda.dat\n");
        return 1;
    }
    std::fwrite(console.data(), 1, console.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
