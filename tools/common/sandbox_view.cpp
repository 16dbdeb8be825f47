// The system view of the tools' sandboxes. A folder that is a symbolic link
// on this machine (/bin -> usr/bin on a merged /usr) is the same link inside.
#include "sandbox_view.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const char *const kSystemFolders[] = {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/etc"};

}  // namespace

void add_system_view(std::vector<std::string> *argv, uint64_t tmp_bytes) {
    for (const char *path : kSystemFolders) {
        std::error_code ec;
        if (fs::is_symlink(path, ec)) {
            const fs::path target = fs::read_symlink(path, ec);
            if (!ec) {
                argv->insert(argv->end(), {"--symlink", target.string(), path});
                continue;
            }
        }
        if (fs::is_directory(path, ec)) argv->insert(argv->end(), {"--ro-bind", path, path});
    }
    if (tmp_bytes) argv->insert(argv->end(), {"--size", std::to_string(tmp_bytes)});
    argv->insert(argv->end(), {"--tmpfs", "/tmp", "--dev", "/dev", "--proc", "/proc"});
}

bool in_system_folder(const std::string &path) {
    for (const std::string folder : kSystemFolders)
        if (path == folder || path.rfind(folder + "/", 0) == 0) return true;
    return false;
}
