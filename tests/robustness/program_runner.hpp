// Runs the real ormeda executable as a child process in a folder of its own, with
// standard input, output and error redirected, and collects what it left behind.
#pragma once

#include <filesystem>
#include <string>

namespace ormeda::robustness {

enum class StdinSource {
    File,       // the bytes of RunOptions::stdinText
    Directory,  // a directory opened as standard input: every read fails
    ZeroStream, // an endless stream of zero bytes
};

enum class StdoutSink {
    File,     // captured for the transcript
    FullDisk, // a device on which every write fails with "no space left"
};

struct RunOptions {
    std::filesystem::path folder{}; // the working folder of the run
    StdinSource stdinSource = StdinSource::File;
    std::string stdinText{};
    StdoutSink stdoutSink = StdoutSink::File;
    long fileSizeLimit = 0; // bytes; 0 leaves the limit as it is
    int timeoutSeconds = 120;
};

struct RunResult {
    bool exited = false; // false: killed by a signal or by the time limit
    int status = -1;     // exit status when exited
    int signal = 0;      // terminating signal otherwise
    bool timedOut = false;
    std::string out; // standard output (empty when it went to the full disk)
    std::string err; // standard error

    std::string describe() const;
};

// Runs `executable` with no arguments; the capture files live beside the folder,
// so that the folder holds only what the program made.
RunResult runProgram(const std::filesystem::path& executable, const RunOptions& options);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh, empty temporary folder, removed with its content when the object dies.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace ormeda::robustness
