// telka-run: runs a TELKA program headless for grading and tests. It makes
// a folder for the program to run in (where the script goes, as TELKA.SCR),
// sets the stand-in's STANDIN_ variables that select the headless backend,
// the frames and text to keep and the run's start and end, runs the program
// there and returns its exit status. The stand-in does the rest in-process
// (platform/session, platform/backends/headless).
#include "run_options.h"
#include "script_prep.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace {

// What the TELKA library calls its graphics window and its Run menu's playback item.
const char *const kGraphicsWindow = "TELKA Graphics";
const char *const kPlaybackItem = "&Playback Script";

constexpr double kDefaultSeconds = 60;
constexpr double kDefaultSecondsWithScript = 3600;

std::string absolute(const std::string &path) {
    std::error_code ec;
    const fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

bool executable_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A path runs as given (made absolute, as the program starts in another
// folder); a bare name is looked for in the current folder, then in PATH.
std::string program_to_run(const std::string &program) {
    if (program.find('/') != std::string::npos) return absolute(program);
    if (executable_file(program)) return absolute(program);
    return program;
}

// Frames of an earlier run would mix with this one's.
bool prepare_frames_dir(const std::string &dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "telka-run: cannot make the folder '%s'\n", dir.c_str());
        return false;
    }
    for (const auto &entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        const bool ours = name == "last.png" || (name.rfind("frame-", 0) == 0 && entry.path().extension() == ".png");
        if (ours) fs::remove(entry.path(), ec);
    }
    return true;
}

bool make_workdir(RunOptions *o, bool *temporary) {
    std::error_code ec;
    if (!o->workdir.empty()) {
        fs::create_directories(o->workdir, ec);
        if (!fs::is_directory(o->workdir, ec)) {
            std::fprintf(stderr, "telka-run: cannot make the folder '%s'\n", o->workdir.c_str());
            return false;
        }
        o->workdir = absolute(o->workdir);
        *temporary = false;
        return true;
    }
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/telka-run-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        std::fprintf(stderr, "telka-run: cannot make a folder to run in (%s): %s\n", pattern.c_str(),
                     std::strerror(errno));
        return false;
    }
    o->workdir = buffer.data();
    *temporary = true;
    return true;
}

std::string number_text(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

// The stand-in's settings for this run; any others the caller had set are
// dropped, so the run depends on its options alone.
void set_environment(const RunOptions &o) {
    std::vector<std::string> names;
    for (char **e = environ; *e; ++e)
        if (std::strncmp(*e, "STANDIN_", 8) == 0) names.emplace_back(*e, std::strchr(*e, '=') - *e);
    for (const std::string &n : names) unsetenv(n.c_str());

    setenv("STANDIN_BACKEND", "headless", 1);
    setenv("STANDIN_HEADLESS_WINDOW", kGraphicsWindow, 1);
    const double seconds = o.seconds ? *o.seconds : o.has_script() ? kDefaultSecondsWithScript : kDefaultSeconds;
    setenv("STANDIN_HEADLESS_SECONDS", number_text(seconds).c_str(), 1);
    if (o.max_frames) setenv("STANDIN_HEADLESS_FRAMES", std::to_string(o.max_frames).c_str(), 1);
    if (o.has_script()) setenv("STANDIN_HEADLESS_PLAY_ITEM", kPlaybackItem, 1);
    if (!o.frames_dir.empty()) {
        setenv("STANDIN_HEADLESS_DUMP", absolute(o.frames_dir).c_str(), 1);
        // Without a choice, every frame; --last alone keeps only the last.
        const uint64_t every = o.every ? o.every : o.last ? 0 : 1;
        setenv("STANDIN_HEADLESS_DUMP_EVERY", std::to_string(every).c_str(), 1);
        if (o.last) setenv("STANDIN_HEADLESS_DUMP_LAST", "1", 1);
    }
    if (!o.text_file.empty()) {
        setenv("STANDIN_HEADLESS_TEXT", absolute(o.text_file).c_str(), 1);
    }
}

// The shell's statuses for a program that does not start: 127 when it is not
// there (nor in PATH), 126 for everything else that stops it (not executable,
// a folder, not a program, no process to run it in).
constexpr int kNotFound = 127;
constexpr int kCannotRun = 126;

int run_program(const std::string &program, const std::string &workdir) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "telka-run: cannot start '%s': %s\n", program.c_str(), std::strerror(errno));
        return kCannotRun;
    }
    if (child == 0) {
        if (chdir(workdir.c_str()) != 0) {
            std::fprintf(stderr, "telka-run: cannot enter '%s': %s\n", workdir.c_str(), std::strerror(errno));
            _exit(kCannotRun);
        }
        char *argv[] = {const_cast<char *>(program.c_str()), nullptr};
        execvp(program.c_str(), argv);
        const int error = errno;
        std::fprintf(stderr, "telka-run: cannot run '%s': %s\n", program.c_str(), std::strerror(error));
        _exit(error == ENOENT || error == ENOTDIR ? kNotFound : kCannotRun);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) {
        std::fprintf(stderr, "telka-run: '%s' was ended by signal %d (%s)\n", program.c_str(), WTERMSIG(status),
                     strsignal(WTERMSIG(status)));
        return 128 + WTERMSIG(status);
    }
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    RunOptions o;
    if (!parse_run_options(argc, argv, &o)) return 2;
    if (o.help) {
        std::fputs(run_usage(), stdout);
        return 0;
    }
    const std::string program = program_to_run(o.program);
    if (!o.frames_dir.empty() && !prepare_frames_dir(o.frames_dir)) return 2;
    if (!o.text_file.empty()) {
        std::ofstream probe(o.text_file, std::ios::trunc);
        if (!probe) {
            std::fprintf(stderr, "telka-run: cannot write '%s'\n", o.text_file.c_str());
            return 2;
        }
    }
    bool temporary = false;
    if (!make_workdir(&o, &temporary)) return 2;
    int status = 2;
    if (!o.has_script() || write_run_script(o.workdir + "/TELKA.SCR", o.script_file, o.events, o.max_events)) {
        set_environment(o);
        status = run_program(program, o.workdir);
    }
    if (temporary) {
        std::error_code ec;
        fs::remove_all(o.workdir, ec);
    }
    return status;
}
