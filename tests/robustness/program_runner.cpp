// Child-process runner for the black-box cases (POSIX: fork, exec, waitpid).
#include "program_runner.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ormeda::robustness {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string RunResult::describe() const {
    std::ostringstream text;
    if (timedOut) {
        text << "timed out (killed)";
    } else if (!exited) {
        text << "killed by signal " << signal << " (" << strsignal(signal) << ")";
    } else {
        text << "exit status " << status;
    }
    constexpr std::size_t kShown = 2000;
    text << "\n--- standard error (" << err.size() << " bytes) ---\n" << err.substr(0, kShown);
    text << "\n--- standard output (" << out.size() << " bytes), last part ---\n"
         << (out.size() > kShown ? out.substr(out.size() - kShown) : out);
    return text.str();
}

namespace {

// In the child: only async-signal-safe calls until exec.
[[noreturn]] void startChild(const fs::path& executable, const RunOptions& options,
                             const std::string& inPath, const std::string& outPath,
                             const std::string& errPath) {
    if (chdir(options.folder.c_str()) != 0) {
        _exit(126);
    }
    int in = -1;
    switch (options.stdinSource) {
    case StdinSource::File:
        in = open(inPath.c_str(), O_RDONLY);
        break;
    case StdinSource::Directory:
        in = open(".", O_RDONLY | O_DIRECTORY);
        break;
    case StdinSource::ZeroStream:
        in = open("/dev/zero", O_RDONLY);
        break;
    }
    const int out = options.stdoutSink == StdoutSink::FullDisk
                        ? open("/dev/full", O_WRONLY)
                        : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
        _exit(126);
    }
    if (options.fileSizeLimit > 0) {
        // Writes past the limit fail with EFBIG instead of raising SIGXFSZ.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = static_cast<rlim_t>(options.fileSizeLimit);
        limit.rlim_max = static_cast<rlim_t>(options.fileSizeLimit);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(126);
        }
    }
    execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

} // namespace

RunResult runProgram(const fs::path& executable, const RunOptions& options) {
    const std::string base = (options.folder.parent_path() / options.folder.filename()).string();
    const std::string inPath = base + ".stdin";
    const std::string outPath = base + ".stdout";
    const std::string errPath = base + ".stderr";
    if (options.stdinSource == StdinSource::File) {
        writeFile(inPath, options.stdinText);
    }

    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    }
    if (child == 0) {
        startChild(executable, options, inPath, outPath, errPath);
    }

    RunResult result;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    int waitStatus = 0;
    for (;;) {
        const pid_t done = waitpid(child, &waitStatus, WNOHANG);
        if (done == child) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            throw std::runtime_error(std::string("waitpid failed: ") + std::strerror(errno));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &waitStatus, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!result.timedOut && WIFEXITED(waitStatus)) {
        result.exited = true;
        result.status = WEXITSTATUS(waitStatus);
    } else if (WIFSIGNALED(waitStatus)) {
        result.signal = WTERMSIG(waitStatus);
    }
    if (options.stdoutSink == StdoutSink::File) {
        result.out = readFile(outPath);
    }
    result.err = readFile(errPath);
    return result;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "ormeda-robust-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error(std::string("mkdtemp failed: ") + std::strerror(errno));
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

} // namespace ormeda::robustness
