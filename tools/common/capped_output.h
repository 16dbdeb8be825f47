// A child's output read from a pipe with bounds: the first bytes written
// through to a descriptor as they come (or kept in memory), the last kept
// until the end, and what lies between counted and left out, so a program
// printing without end leaves a log of bounded size. POSIX.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CappedOutput {
public:
    // `in` is the pipe's read end (made non-blocking here, closed with this;
    // -1 for none). The first `head` bytes go to `out` as they come, or into
    // head() when `out` is -1; the last `tail` bytes are kept for finish().
    CappedOutput(int in, int out, size_t head, size_t tail);
    ~CappedOutput();
    CappedOutput(const CappedOutput &) = delete;
    CappedOutput &operator=(const CappedOutput &) = delete;

    int fd() const { return in_; }  // -1 once the pipe is at its end
    // Reads what the pipe holds now, without waiting for more.
    void take();
    // Reads what is left; with an `out`, writes there note(left_out()) when
    // bytes were left out, then the tail.
    void finish(const std::function<std::string(uint64_t)> &note = nullptr);

    const std::string &head() const { return head_; }
    // Bytes in neither the head nor the tail (once finished).
    uint64_t left_out() const;

private:
    int in_;
    int out_;
    size_t head_bytes_;
    size_t tail_bytes_;
    uint64_t total_ = 0;
    std::string head_;
    std::string tail_;
};
