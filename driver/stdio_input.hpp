// An input stream buffer over a C stdio file, so that a failed read reaches the reader
// as a stream failure with the system's reason in errno (for example reading a
// directory), where a plain end of input would hide it.
#pragma once

#include <array>
#include <cstdio>
#include <streambuf>

namespace ormeda {

class StdioInput : public std::streambuf {
public:
    explicit StdioInput(std::FILE* file) : file_(file) {}

protected:
    // Refills up to the end of one line, so that a console read returns as soon as the
    // operator ends the line. Throws on a read error; the stream turns that into badbit.
    int_type underflow() override;

private:
    std::FILE* file_;
    std::array<char, 4096> buffer_{};
};

} // namespace ormeda
