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

Console& Console::current() {
    return ProcessWide<Console>::current();
}

void Console::record(std::string_view record) {
    if (failed_) {
        return;
    }
    errno = 0;
    endPendingLine();
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
    if (failed_) {
        return;
    }
    errno = 0;
    endPendingLine();
    *out_ << text;
    pending_ = true;
    checkStream();
}

void Console::beforeRead() {
    if (failed_) {
        return;
    }
    errno = 0;
    endPendingLine();
    out_->flush();
    checkStream();
}

bool Console::finish() noexcept {
    if (failed_) {
        return true; // the failure has been reported already
    }
    try {
        errno = 0;
        endPendingLine();
        out_->flush();
        if (!*out_) {
            failed_ = true;
            failure_ = errno;
            return false;
        }
        return true;
    } catch (...) {
        failed_ = true;
        failure_ = errno;
        return false;
    }
}

void Console::endPendingLine() {
    if (pending_) {
        *out_ << kLineEnd;
        pending_ = false;
    }
}

void Console::checkStream() {
    if (!*out_) {
        // Standard output is gone: report it once and write nothing more to it.
        failed_ = true;
        failure_ = errno;
        failTextIo(failureReport());
    }
}

std::string Console::failureReport() const {
    return std::string("cannot write to standard output: ") +
           (failure_ != 0 ? std::strerror(failure_) : "write failed");
}

} // namespace ormeda
