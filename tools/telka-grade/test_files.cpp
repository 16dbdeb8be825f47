// Checking a test's files (test_files.h): regular files only, read through
// the tools' common reader (plain_file.h), links followed to regular files.
#include "test_files.h"

#include "plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool path_exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

TestFile read_test_file(const std::string &path, size_t limit, std::string *text, std::string *error) {
    switch (read_plain_file(path, limit, true, false, text, error)) {
        case PlainFile::read: return TestFile::Read;
        case PlainFile::missing: return TestFile::Missing;
        case PlainFile::refused: break;
    }
    return TestFile::Bad;
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
    const int fd = open_regular_file(folder + "/record.tsv", true, &missing, &why);
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
    const int text = open_regular_file(folder + "/text.txt", true, &missing, &why);
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
