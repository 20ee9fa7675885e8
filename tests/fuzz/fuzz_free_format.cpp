// Fuzzing target: the free-format numeric reader on arbitrary bytes. The first byte
// chooses how many values one read asks for; the reader is then called until the
// input is used up or a read fails. A crash, a leak, a hang or a broken promise of
// the reader's interface is a finding.
#include "free_format.hpp"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "free-format reader: %s\n", what);
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t count = data[0] % 64 + 1;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    ormeda::FreeFormatReader reader(in);
    std::vector<double> targets(count, -12345.0);
    long lastLine = 0;
    for (int read = 0; read < 16; ++read) {
        try {
            reader.read(targets);
        } catch (const ormeda::FreeFormatError& error) {
            if (error.itemsRead() > count) {
                broken("more items read than asked for");
            }
            if (error.line() < lastLine) {
                broken("line number went back");
            }
            break;
        }
        if (reader.line() < lastLine) {
            broken("line number went back");
        }
        lastLine = reader.line();
    }
    return 0;
}
