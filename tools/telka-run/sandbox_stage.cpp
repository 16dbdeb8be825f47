// The staging folder of a sandboxed run made by root: nobody's folder under
// /tmp holding the program's copy and the work folder's files, and their
// way back. Relies on rename within a file system, a copy across them.
#include "sandbox_stage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string describe(const std::string &what, int error) { return what + ": " + std::strerror(error); }

// Hands a tree to a user without following the links in it: a link is
// changed itself, never what it points at.
bool hand_tree_to(const std::string &root, uid_t uid, gid_t gid, std::string *error) {
    if (lchown(root.c_str(), uid, gid) != 0) {
        *error = describe("cannot hand '" + root + "' to user " + std::to_string(uid), errno);
        return false;
    }
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (lchown(it->path().c_str(), uid, gid) != 0) {
            *error = describe("cannot hand '" + it->path().string() + "' to user " + std::to_string(uid), errno);
            return false;
        }
    }
    if (ec) *error = "cannot walk '" + root + "': " + ec.message();
    return !ec;
}

// Copies a plain file the program wrote; O_NOFOLLOW on both ends, so a file
// swapped for a link in the meantime is not followed (this runs as root).
bool copy_plain_file(const std::string &from, const std::string &to) {
    const int in = open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st;
    bool ok = fstat(in, &st) == 0 && S_ISREG(st.st_mode);
    const int out =
        ok ? open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0777) : -1;
    ok = ok && out >= 0;
    char buffer[65536];
    ssize_t n = 0;
    while (ok && (n = read(in, buffer, sizeof buffer)) > 0) {
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            done += w > 0 ? w : 0;
        }
    }
    ok = ok && n == 0;
    if (out >= 0 && close(out) != 0) ok = false;
    close(in);
    if (!ok) unlink(to.c_str());
    return ok;
}

// Moves the plain files and folders of `from` into `to`, given to uid:gid;
// links, pipes and devices stay behind and go with the staging folder.
bool move_back(const std::string &from, const std::string &to, uid_t uid, gid_t gid, std::string *error) {
    std::error_code ec;
    bool ok = true;
    for (auto it = fs::directory_iterator(from, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string source = it->path().string();
        const std::string target = to + "/" + it->path().filename().string();
        struct stat st;
        if (lstat(source.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            struct stat there;
            const bool exists = lstat(target.c_str(), &there) == 0;
            if (exists && !S_ISDIR(there.st_mode)) unlink(target.c_str());
            if ((!exists || !S_ISDIR(there.st_mode)) && mkdir(target.c_str(), st.st_mode & 0777) != 0) {
                *error = describe("cannot make '" + target + "'", errno);
                ok = false;
                continue;
            }
            if (lchown(target.c_str(), uid, gid) != 0) ok = false;
            ok = move_back(source, target, uid, gid, error) && ok;
        } else if (S_ISREG(st.st_mode)) {
            if (rename(source.c_str(), target.c_str()) != 0 && (errno != EXDEV || !copy_plain_file(source, target))) {
                *error = describe("cannot move '" + source + "' back to '" + target + "'", errno);
                ok = false;
                continue;
            }
            // Swapped for something else between the look and the move: dropped.
            struct stat moved;
            if (lstat(target.c_str(), &moved) != 0 || !S_ISREG(moved.st_mode))
                fs::remove_all(target, ec);
            else if (lchown(target.c_str(), uid, gid) != 0)
                ok = false;
        }
    }
    if (ec) {
        *error = "cannot read '" + from + "': " + ec.message();
        ok = false;
    }
    return ok;
}

// The caller's own files going in are trusted; a copy keeps their links.
bool move_in(const std::string &from, const std::string &to, std::string *error) {
    std::error_code ec;
    std::vector<fs::path> entries;
    for (auto it = fs::directory_iterator(from, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        entries.push_back(it->path());
    if (ec) {
        *error = "cannot read '" + from + "': " + ec.message();
        return false;
    }
    for (const fs::path &entry : entries) {
        const fs::path target = fs::path(to) / entry.filename();
        if (rename(entry.c_str(), target.c_str()) == 0) continue;
        if (errno != EXDEV) {
            *error = describe("cannot move '" + entry.string() + "' into the sandbox's folder", errno);
            return false;
        }
        fs::copy(entry, target, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
        if (!ec) fs::remove_all(entry, ec);
        if (ec) {
            *error = "cannot copy '" + entry.string() + "' into the sandbox's folder: " + ec.message();
            return false;
        }
    }
    return true;
}

}  // namespace

bool stage_sandbox(const std::string &program, const std::string &workdir, SandboxStage *stage, std::string *error) {
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/telka-sandbox-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        *error = describe("cannot make the sandbox's folder (" + pattern + ")", errno);
        return false;
    }
    stage->dir = buffer.data();
    stage->program = stage->dir + "/program";
    stage->workdir = stage->dir + "/work";
    std::error_code ec;
    const auto give_up = [&] {
        struct stat st;
        if (stat(workdir.c_str(), &st) == 0) {
            std::string ignored;
            move_back(stage->workdir, workdir, st.st_uid, st.st_gid, &ignored);
        }
        fs::remove_all(stage->dir, ec);
        return false;
    };
    // The copy stays root's: the sandbox's user may run it, not change it.
    if (!fs::copy_file(program, stage->program, ec) || chmod(stage->program.c_str(), 0555) != 0) {
        *error =
            "cannot copy '" + program + "' into the sandbox's folder: " + (ec ? ec.message() : std::strerror(errno));
        return give_up();
    }
    if (mkdir(stage->workdir.c_str(), 0700) != 0) {
        *error = describe("cannot make '" + stage->workdir + "'", errno);
        return give_up();
    }
    if (!move_in(workdir, stage->workdir, error) || !hand_tree_to(stage->workdir, kSandboxUid, kSandboxGid, error) ||
        lchown(stage->dir.c_str(), kSandboxUid, kSandboxGid) != 0) {
        if (error->empty()) *error = describe("cannot hand '" + stage->dir + "' to the sandbox's user", errno);
        return give_up();
    }
    return true;
}

bool unstage_sandbox(const SandboxStage &stage, const std::string &workdir, std::string *error) {
    struct stat st;
    bool ok = stat(workdir.c_str(), &st) == 0;
    if (!ok)
        *error = describe("the work folder '" + workdir + "' is gone", errno);
    else
        ok = move_back(stage.workdir, workdir, st.st_uid, st.st_gid, error);
    std::error_code ec;
    fs::remove_all(stage.dir, ec);
    if (ec && ok) {
        *error = "cannot remove '" + stage.dir + "': " + ec.message();
        ok = false;
    }
    return ok;
}
