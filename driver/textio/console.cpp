// Console records with the held-back CR LF.
#include "console.hpp"

#include "process_wide.hpp"
#include "program_stop.hpp"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace ormeda {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
}

Console::Console() : out_(&std::cout) {}
Console::Console(std::ostream& out) : out_(&out) {}

Console& Console::current() { return ProcessWide<Console>::current(); }

void Console::record(std::string_view record) {
    if (pending_) {
        *out_ << kLineEnd;
    }
    if (!record.empty() && record.front() == '0') {
        *out_ << kLineEnd;
    }
    if (!record.empty()) {
        *out_ << record.substr(1);
    }
    pending_ = true;
    checkStream();
}

void Console::freeRecord(std::string_view text) {
    if (pending_) {
        *out_ << kLineEnd;
    }
    *out_ << text;
    pending_ = true;
    checkStream();
}

void Console::beforeRead() {
    if (pending_) {
        *out_ << kLineEnd;
        pending_ = false;
    }
    out_->flush();
    checkStream();
}

bool Console::finish() noexcept {
    try {
        if (pending_) {
            *out_ << kLineEnd;
            pending_ = false;
        }
        out_->flush();
        return static_cast<bool>(*out_);
    } catch (...) {
        return false;
    }
}

void Console::checkStream() {
    if (!*out_) {
        const int reason = errno;
        out_->clear();
        failTextIo(std::string("cannot write to standard output: ") +
                   (reason != 0 ? std::strerror(reason) : "write failed"));
    }
}

} // namespace ormeda
