// Regular files only (plain_file.h): lstat, then stat for a link, before
// opening, so a FIFO is never waited on and a device never opened; the
// file is opened non-blocking and checked again, in case it changed in
// between.
#include "plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char *kind_of(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return "not a regular file";
}

std::string size_text(uint64_t bytes) {
    return bytes % (1024 * 1024) == 0 ? std::to_string(bytes / (1024 * 1024)) + " MiB"
                                      : std::to_string(bytes) + " bytes";
}

}  // namespace

int open_regular_file(const std::string &path, bool follow_link, bool *missing, std::string *error) {
    *missing = false;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        *missing = errno == ENOENT;
        *error = "'" + path + "' cannot be read: " + std::strerror(errno);
        return -1;
    }
    const bool link = S_ISLNK(st.st_mode) && follow_link;
    if (link && stat(path.c_str(), &st) != 0) {
        *error = "'" + path + "' is a link to nothing that can be read";
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = "'" + path + "' is " + (link ? "a link to " : "") + kind_of(st.st_mode) + ", not a regular file";
        return -1;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (link ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        *error = "'" + path + "' cannot be opened: " + std::strerror(errno);
        return -1;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = "'" + path + "' changed while it was checked: it is no longer a regular file";
        close(fd);
        return -1;
    }
    return fd;
}

PlainFile read_plain_file(const std::string &path, uint64_t cap, bool follow_link, bool cut, std::string *text,
                          std::string *error) {
    text->clear();
    bool missing = false;
    const int fd = open_regular_file(path, follow_link, &missing, error);
    if (fd < 0) return missing ? PlainFile::missing : PlainFile::refused;
    PlainFile result = PlainFile::read;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = "'" + path + "' cannot be read: " + std::strerror(errno);
            result = PlainFile::refused;
            break;
        }
        if (n == 0) break;
        if (text->size() + static_cast<uint64_t>(n) > cap) {
            if (cut) {
                text->append(buffer, static_cast<size_t>(cap - text->size()));
                break;
            }
            *error = "'" + path + "' is larger than " + size_text(cap);
            result = PlainFile::refused;
            break;
        }
        text->append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return result;
}
