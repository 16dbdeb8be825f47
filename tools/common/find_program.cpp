// The PATH search of find_program.h, by stat and access: a folder or a
// file without the x bit is passed over, as execvp passes over it.
#include "find_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

bool executable_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string find_program(const std::string &name) {
    if (name.find('/') != std::string::npos) return name;
    const char *path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (executable_file(candidate)) return std::filesystem::absolute(candidate).lexically_normal().string();
        start = end + 1;
    }
    return "";
}
