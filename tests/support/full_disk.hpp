// Test support: a stream buffer on a full disk, where every write fails with ENOSPC.
#pragma once

#include <cerrno>
#include <streambuf>

namespace ormeda::testing {

class FullDisk : public std::streambuf {
protected:
    int_type overflow(int_type) override {
        errno = ENOSPC;
        return traits_type::eof();
    }
    std::streamsize xsputn(const char*, std::streamsize) override {
        errno = ENOSPC;
        return 0;
    }
};

} // namespace ormeda::testing
