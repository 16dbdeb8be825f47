// New temporary folders for the tools: each under TMPDIR (or /tmp when it
// is unset or empty) with a name of its own, and an owner that removes one
// with everything in it.
#pragma once

#include <string>
#include <utility>

// Makes TMPDIR/<prefix>-XXXXXX; empty with *error, "cannot make <what>
// (TMPDIR/<prefix>-XXXXXX): <why>", when it cannot.
std::string make_temp_folder(const std::string &prefix, const std::string &what, std::string *error);

// Owns a folder made by make_temp_folder: removed, with its contents, when
// the owner goes, unless it was released.
class TempFolder {
public:
    TempFolder() = default;
    explicit TempFolder(std::string path) : path_(std::move(path)) {}
    ~TempFolder();
    TempFolder(TempFolder &&other) noexcept : path_(other.release()) {}
    TempFolder &operator=(TempFolder &&) = delete;
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &path() const { return path_; }
    bool empty() const { return path_.empty(); }
    // Gives the folder up: it stays when the owner goes.
    std::string release();

private:
    std::string path_;
};
