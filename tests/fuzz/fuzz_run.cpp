// Fuzzing target: one whole run of the map program on arbitrary console input and
// coefficient-file bytes, in a scratch folder of its own. The input is the console
// input, optionally followed by the marker line "==== ORMEDA_coeff.inp" and the
// bytes of the coefficient file; without the marker the file is missing. A crash,
// a leak, a hang, an escaping exception or a run that ends against the program's
// rules (wrong status, missing report, a changed or created coefficient file, an
// incomplete map after a normal end) is a finding.
#include "fresh_state.hpp"
#include "run.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMarker = "\n==== ORMEDA_coeff.inp\n";
constexpr const char* kCoefficientFile = "ORMEDA_coeff.inp";
constexpr const char* kMapFile = "grid_ormeda.dat";

fs::path scratch;
fs::path home; // where libFuzzer runs: its corpus and artefact paths are relative to it

void removeScratch() {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
}

[[noreturn]] void broken(const char* what, int status, const std::string& err) {
    std::fprintf(stderr, "run: %s (status %d, report: %.300s)\n", what, status, err.c_str());
    __builtin_trap();
}

bool readBack(const char* name, std::string& bytes) {
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (fs::temp_directory_path() / "ormeda-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("scratch folder");
        std::abort();
    }
    scratch = pattern;
    home = fs::current_path();
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t marker = input.find(kMarker);
    const std::string console(input.substr(0, marker));
    const bool hasTable = marker != std::string_view::npos;
    const std::string tableBytes =
        hasTable ? std::string(input.substr(marker + kMarker.size())) : std::string();

    // The run works in the current folder: the scratch folder, for this input only.
    struct InScratch {
        InScratch() { fs::current_path(scratch); }
        ~InScratch() { fs::current_path(home); }
    } inScratch;

    std::error_code ignored;
    fs::remove(kCoefficientFile, ignored);
    fs::remove(kMapFile, ignored);
    if (hasTable) {
        std::ofstream(kCoefficientFile, std::ios::binary) << tableBytes;
    }

    int status = -1;
    std::string report;
    {
        ormeda::testing::FreshState state;
        std::istringstream in(console);
        std::ostringstream err;
        status = ormeda::runOrmeda(in, state.console(), err);
        report = err.str();
    }

    if (status != 0 && status != 1 && status != 2 && status != 150) {
        broken("unknown exit status", status, report);
    }
    if ((status == 1) != report.starts_with("run-time error")) {
        broken("report and status disagree", status, report);
    }
    if (status == 0 && !report.empty()) {
        broken("a report after a normal end", status, report);
    }
    std::string after;
    if (readBack(kCoefficientFile, after) != hasTable || after != tableBytes) {
        broken("the coefficient file was changed or created", status, report);
    }
    std::string map;
    if (!readBack(kMapFile, map)) {
        broken("no map file", status, report);
    }
    if (status == 0) {
        std::size_t lines = 0;
        for (std::size_t at = map.find("\r\n"); at != std::string::npos;
             at = map.find("\r\n", at + 2)) {
            ++lines;
        }
        if (lines != 1212 || !map.ends_with("\r\n")) {
            broken("incomplete map after a normal end", status, report);
        }
    }
    return 0;
}
