// Line-at-a-time refill of an input stream buffer from a C stdio file.
#include "stdio_input.hpp"

#include <cerrno>
#include <ios>

namespace ormeda {

StdioInput::int_type StdioInput::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    std::size_t n = 0;
    while (n < buffer_.size()) {
        const int c = std::getc(file_);
        if (c == EOF) {
            break;
        }
        buffer_[n++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    if (n == 0) {
        if (std::ferror(file_)) {
            const int reason = errno;
            std::ios_base::failure failure("read error");
            errno = reason; // left for the reader, which reports it
            throw failure;
        }
        return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
    return traits_type::to_int_type(*gptr());
}

} // namespace ormeda
