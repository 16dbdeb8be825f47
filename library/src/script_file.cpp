// Opening the script file without blocking and refusing what is not a
// regular file: fopen on a FIFO waits for a second process and so froze the
// window, and a directory read as an empty script. POSIX calls that the
// Windows C runtime offers too; O_NONBLOCK exists only where FIFOs block.
#include "script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE *script_file_open(const char *name, bool writing) {
    int flags = writing ? (O_WRONLY | O_CREAT | O_TRUNC) : O_RDONLY;
#ifdef O_NONBLOCK
    flags |= O_NONBLOCK;
#endif
#ifdef O_TEXT
    flags |= O_TEXT;
#endif
    const int fd = open(name, flags, 0666);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
#ifdef O_NONBLOCK
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
    FILE *file = fdopen(fd, writing ? "wt" : "rt");
    if (file == nullptr) {
        close(fd);
        return nullptr;
    }
    // Unbuffered, a failed write leaves nothing behind for fclose to retry.
    if (writing) std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

void script_file_cut(FILE *file, long size) {
    if (size >= 0 && ftruncate(fileno(file), size) == 0) std::fseek(file, size, SEEK_SET);
}
