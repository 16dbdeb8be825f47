// Capping a program's output: the head is written through as it comes, the
// tail kept in memory (at most twice kOutputTailBytes) until the end.
#include "output_cap.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

void write_all(int fd, const char *data, size_t size) {
    while (size) {
        const ssize_t w = write(fd, data, size);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        data += w;
        size -= static_cast<size_t>(w);
    }
}

}  // namespace

OutputCap::OutputCap(int in, int out) : in_(in), out_(out) {
    if (in_ >= 0) fcntl(in_, F_SETFL, fcntl(in_, F_GETFL) | O_NONBLOCK);
}

OutputCap::~OutputCap() {
    if (in_ >= 0) close(in_);
}

void OutputCap::take() {
    char buffer[65536];
    while (in_ >= 0) {
        const ssize_t n = read(in_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return;  // nothing more for now
        if (n == 0) {
            close(in_);
            in_ = -1;
            return;
        }
        size_t offset = 0;
        if (total_ < kOutputHeadBytes) {
            offset = std::min(static_cast<size_t>(n), static_cast<size_t>(kOutputHeadBytes - total_));
            write_all(out_, buffer, offset);
        }
        total_ += static_cast<uint64_t>(n);
        tail_.append(buffer + offset, static_cast<size_t>(n) - offset);
        if (tail_.size() > 2 * kOutputTailBytes) tail_.erase(0, tail_.size() - kOutputTailBytes);
    }
}

void OutputCap::finish() {
    take();
    if (tail_.size() > kOutputTailBytes) tail_.erase(0, tail_.size() - kOutputTailBytes);
    const uint64_t left_out = total_ - std::min<uint64_t>(total_, kOutputHeadBytes) - tail_.size();
    if (left_out) {
        const std::string note =
            "\n[telka-run: " + std::to_string(left_out) + " bytes of the program's output left out here]\n";
        write_all(out_, note.data(), note.size());
    }
    write_all(out_, tail_.data(), tail_.size());
    tail_.clear();
}
