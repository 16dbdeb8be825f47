// Temporary folders (temp_folder.h) by mkdtemp, so no two runs of the tools,
// nor two threads of one, ever share one.
#include "temp_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

std::string make_temp_folder(const std::string &prefix, const std::string &what, std::string *error) {
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    const std::string asked = pattern;
    if (!mkdtemp(pattern.data())) {
        *error = "cannot make " + what + " (" + asked + "): " + std::strerror(errno);
        return "";
    }
    return pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::release() { return std::exchange(path_, std::string()); }
