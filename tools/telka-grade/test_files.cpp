// Checking a test's files (test_files.h) with lstat/stat before opening, so
// a FIFO is never waited on and a device never read from; the file is then
// opened non-blocking and checked again, in case it changed in between.
#include "test_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *kind_of(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Opens `path` for reading if it is a regular file; -1 with *error otherwise.
int open_regular(const std::string &path, bool *missing, std::string *error) {
    *missing = false;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        *missing = errno == ENOENT;
        *error = "'" + path + "' cannot be read: " + std::strerror(errno);
        return -1;
    }
    const bool link = S_ISLNK(st.st_mode);
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

std::string size_text(size_t bytes) {
    return bytes % (1024 * 1024) == 0 ? std::to_string(bytes / (1024 * 1024)) + " MiB"
                                      : std::to_string(bytes) + " bytes";
}

}  // namespace

bool path_exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

TestFile read_test_file(const std::string &path, size_t limit, std::string *text, std::string *error) {
    bool missing = false;
    const int fd = open_regular(path, &missing, error);
    if (fd < 0) return missing ? TestFile::Missing : TestFile::Bad;
    text->clear();
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = "'" + path + "' cannot be read: " + std::strerror(errno);
            ok = false;
            break;
        }
        if (n == 0) break;
        if (text->size() + static_cast<size_t>(n) > limit) {
            *error = "'" + path + "' is larger than a test's file may be (" + size_text(limit) + ")";
            ok = false;
            break;
        }
        text->append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return ok ? TestFile::Read : TestFile::Bad;
}

bool check_saved_run(const std::string &folder, std::string *error) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = "'" + folder + "' is not a folder holding a saved run";
        return false;
    }
    const std::string broken = "the saved run '" + folder + "' is broken (delete it to have it made again): ";
    bool missing = false;
    std::string why;
    const int fd = open_regular(folder + "/record.tsv", &missing, &why);
    if (fd < 0) {
        *error = broken + why;
        return false;
    }
    // Only the frame lines are counted here; telka-run reads the rest.
    FILE *record = fdopen(fd, "r");
    size_t frames = 0, line_number = 0;
    char *line = nullptr;
    size_t capacity = 0;
    bool ok = record != nullptr;
    while (ok && getline(&line, &capacity, record) >= 0) {
        ++line_number;
        const bool known = std::strncmp(line, "frame\t", 6) == 0 || std::strncmp(line, "call\t", 5) == 0 ||
                           std::strncmp(line, "end", 3) == 0 || line[0] == '\n' || line[0] == '\r';
        if (!known) {
            *error = broken + "record.tsv:" + std::to_string(line_number) + " is not a frame, call or end line";
            ok = false;
        }
        frames += std::strncmp(line, "frame\t", 6) == 0;
    }
    std::free(line);
    if (record)
        std::fclose(record);
    else
        close(fd);
    if (!ok) return false;
    const int text = open_regular(folder + "/text.txt", &missing, &why);
    if (text < 0) {
        *error = broken + why;
        return false;
    }
    close(text);
    for (size_t n = 1; n <= frames; ++n) {
        char name[48];
        std::snprintf(name, sizeof name, "/frames/frame-%06zu.png", n);
        if (stat((folder + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            *error = broken + "record.tsv has " + std::to_string(frames) + (frames == 1 ? " frame" : " frames") +
                     " but there is no " + (name + 1);
            return false;
        }
    }
    return true;
}
