// The sandboxed program's stdout and stderr, read from pipes by the runner:
// the first and the last bytes of each are handed on to the runner's own,
// what lies between is counted and left out, so a program printing without
// end leaves a log of bounded size. POSIX.
#pragma once

#include <cstdint>
#include <string>

// What is kept of each stream: the first and the last this many bytes.
constexpr size_t kOutputHeadBytes = size_t{64} << 10;
constexpr size_t kOutputTailBytes = size_t{64} << 10;

class OutputCap {
public:
    // `in` is the pipe's read end (made non-blocking here), `out` where the kept bytes go.
    OutputCap(int in, int out);
    ~OutputCap();
    OutputCap(const OutputCap &) = delete;
    OutputCap &operator=(const OutputCap &) = delete;

    int fd() const { return in_; }  // -1 once the pipe is at its end
    // Reads what the pipe holds now.
    void take();
    // Reads the rest (every writer is gone) and hands on the tail.
    void finish();

private:
    int in_;
    int out_;
    uint64_t total_ = 0;
    std::string tail_;
};
