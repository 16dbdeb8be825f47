// The sandbox's work folder going in (bwrap arguments and descriptors of the
// caller's files) and coming out (a walk of the tmpfs by descriptor, each
// step O_NOFOLLOW, as this may run as root). Relies on bwrap 0.8's --file.
#include "sandbox_stage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string describe(const std::string &what, int error) { return what + ": " + std::strerror(error); }

bool add_file(StagedFiles *out, const std::string &from, const std::string &inside, mode_t mode, std::string *error) {
    const int fd = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = describe("cannot read '" + from + "' for the sandbox", errno);
        return false;
    }
    out->fds.push_back(fd);
    char perms[8];
    std::snprintf(perms, sizeof perms, "%04o", static_cast<unsigned>(mode & 0777));
    out->args.insert(out->args.end(), {"--perms", perms, "--file", std::to_string(fd), inside});
    return true;
}

bool write_all(int fd, const char *data, size_t size) {
    while (size) {
        const ssize_t w = write(fd, data, size);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        data += w;
        size -= static_cast<size_t>(w);
    }
    return true;
}

bool copy_fd(int in, int out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!write_all(out, buffer, static_cast<size_t>(n))) return false;
    }
}

struct CopyOut {
    uid_t uid;
    gid_t gid;
    bool chown;
    size_t entries = 0;
    std::string *error;
    bool ok = true;
    void failed(const std::string &what, int e) {
        if (ok) *error = describe(what, e);
        ok = false;
    }
};

void copy_dir(int from, const std::string &to, int depth, CopyOut *c) {
    const int listing = dup(from);
    DIR *dir = listing >= 0 ? fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0) close(listing);
        c->failed("cannot read the sandbox's folder for '" + to + "'", errno);
        return;
    }
    while (const dirent *e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (++c->entries > kMaxCopiedEntries) {
            if (c->ok)
                *c->error =
                    "the program left more than " + std::to_string(kMaxCopiedEntries) + " files; the rest are dropped";
            c->ok = false;
            break;
        }
        const std::string target = to + "/" + name;
        struct stat st;
        if (fstatat(from, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        struct stat there;
        const bool exists = lstat(target.c_str(), &there) == 0;
        if (S_ISDIR(st.st_mode)) {
            if (depth >= kMaxCopiedDepth) continue;
            if (exists && !S_ISDIR(there.st_mode)) unlink(target.c_str());
            if ((!exists || !S_ISDIR(there.st_mode)) && mkdir(target.c_str(), (st.st_mode & 0777) | 0700) != 0) {
                c->failed("cannot make '" + target + "'", errno);
                continue;
            }
            if (c->chown && lchown(target.c_str(), c->uid, c->gid) != 0)
                c->failed("cannot hand over '" + target + "'", errno);
            const int sub = openat(from, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) continue;
            copy_dir(sub, target, depth + 1, c);
            close(sub);
        } else if (S_ISREG(st.st_mode)) {
            if (exists) fs::remove_all(target);
            const int in = openat(from, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            const int out =
                open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0777);
            const bool copied = in >= 0 && out >= 0 && copy_fd(in, out);
            const int e = errno;
            if (in >= 0) close(in);
            if (out >= 0 && close(out) != 0 && copied) c->failed("cannot write '" + target + "'", errno);
            if (!copied) {
                if (out >= 0) unlink(target.c_str());
                c->failed("cannot copy '" + target + "' out of the sandbox", e);
            } else if (c->chown && lchown(target.c_str(), c->uid, c->gid) != 0) {
                c->failed("cannot hand over '" + target + "'", errno);
            }
        }
    }
    closedir(dir);
}

}  // namespace

StagedFiles::~StagedFiles() {
    for (int fd : fds) close(fd);
}

bool stage_work_folder(const std::string &program, const std::string &workdir, StagedFiles *out, std::string *error) {
    // The program is a copy: nothing the sandbox does to it reaches the caller's file.
    if (!add_file(out, program, kInsideProgram, 0555, error)) return false;
    std::error_code ec;
    size_t count = 0;
    for (auto it = fs::recursive_directory_iterator(workdir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (++count > kMaxStagedEntries) {
            *error = "the work folder '" + workdir + "' holds more than " + std::to_string(kMaxStagedEntries) +
                     " files and folders for the sandbox";
            return false;
        }
        const std::string inside = std::string(kInsideWork) + "/" + fs::relative(it->path(), workdir, ec).string();
        const fs::file_status st = it->symlink_status(ec);
        if (fs::is_symlink(st)) {
            out->args.insert(out->args.end(), {"--symlink", fs::read_symlink(it->path(), ec).string(), inside});
        } else if (fs::is_directory(st)) {
            out->args.insert(out->args.end(), {"--dir", inside});
        } else if (fs::is_regular_file(st)) {
            if (!add_file(out, it->path().string(), inside, static_cast<mode_t>(st.permissions()), error)) return false;
        }
    }
    if (ec) {
        *error = "cannot read the work folder '" + workdir + "': " + ec.message();
        return false;
    }
    return true;
}

bool copy_out_work(int work_fd, const std::string &workdir, std::string *error) {
    struct stat st;
    if (stat(workdir.c_str(), &st) != 0) {
        *error = describe("the work folder '" + workdir + "' is gone", errno);
        return false;
    }
    CopyOut c{st.st_uid, st.st_gid, geteuid() == 0, 0, error};
    copy_dir(work_fd, workdir, 0, &c);
    return c.ok;
}
