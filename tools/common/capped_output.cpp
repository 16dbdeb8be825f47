// Capping a child's output (capped_output.h): the head is handed on as it
// comes, the tail kept in memory (at most twice its size) until the end.
#include "capped_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

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

CappedOutput::CappedOutput(int in, int out, size_t head, size_t tail)
    : in_(in), out_(out), head_bytes_(head), tail_bytes_(tail) {
    if (in_ >= 0) fcntl(in_, F_SETFL, fcntl(in_, F_GETFL) | O_NONBLOCK);
}

CappedOutput::~CappedOutput() {
    if (in_ >= 0) close(in_);
}

void CappedOutput::take() {
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
        const size_t got = static_cast<size_t>(n);
        const size_t offset =
            total_ < head_bytes_ ? static_cast<size_t>(std::min<uint64_t>(got, head_bytes_ - total_)) : 0;
        if (out_ >= 0)
            write_all(out_, buffer, offset);
        else
            head_.append(buffer, offset);
        total_ += got;
        if (!tail_bytes_) continue;
        tail_.append(buffer + offset, got - offset);
        if (tail_.size() > 2 * tail_bytes_) tail_.erase(0, tail_.size() - tail_bytes_);
    }
}

void CappedOutput::finish(const std::function<std::string(uint64_t)> &note) {
    take();
    if (tail_.size() > tail_bytes_) tail_.erase(0, tail_.size() - tail_bytes_);
    if (out_ < 0) return;
    if (left_out() && note) {
        const std::string text = note(left_out());
        write_all(out_, text.data(), text.size());
    }
    write_all(out_, tail_.data(), tail_.size());
}

uint64_t CappedOutput::left_out() const { return total_ - std::min<uint64_t>(total_, head_bytes_) - tail_.size(); }
