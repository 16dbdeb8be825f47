// A run as telka-run keeps it: the record of frames and drawing calls the
// program writes (record.tsv), the automation's end-of-run report, the text
// window's lines, and the folder layout of a saved run. The record's and
// the report's formats are the automation's (run_record.h, run_report.h).
#pragma once

#include "run_record.h"
#include "run_report.h"

#include <cstdint>
#include <string>
#include <vector>

// A saved run's files, relative to its folder.
constexpr const char *kFramesDir = "frames";
constexpr const char *kRecordFile = "record.tsv";
constexpr const char *kTextFile = "text.txt";
constexpr const char *kResultFile = "result.json";

// The largest frame read back: a frame is the graphics window on the
// screen (601 x 540 with its menu bar), and twice that leaves room for any
// frame of the library's while bounding what a forged header makes the
// runner allocate to 1202 * 1080 * 4 bytes, 5 MB.
constexpr int kMaxFrameWidth = 2 * 601;
constexpr int kMaxFrameHeight = 2 * 540;

using standin::RecordFrame;
using standin::RunRecord;
using standin::RunReport;

// The most of each file of a run that is read back: the program writes
// them, so they are bounded like its frames. A 10-minute game's record is
// some 10 MiB.
constexpr uint64_t kLargestRecord = uint64_t{64} << 20;
constexpr uint64_t kLargestText = uint64_t{16} << 20;
constexpr uint64_t kLargestReport = uint64_t{1} << 20;

// Reads record.tsv; false with `*error` set when the file cannot be read
// (not a plain file, over kLargestRecord) or a line is not one of the record's.
bool read_record(const std::string &path, RunRecord *out, std::string *error);

// The automation's report; a run with none has the report's defaults.
RunReport read_report(const std::string &path);

// The lines of a text file (no newlines), of its first kLargestText bytes;
// all of them when `limit` is 0, else the last `limit` lines.
std::vector<std::string> read_lines(const std::string &path, size_t limit = 0);

// frames/frame-NNNNNN.png for frame n.
std::string frame_file(const std::string &run_dir, uint64_t n);

// Moves `from` to `to` (replacing it), copying across file systems.
bool move_path(const std::string &from, const std::string &to);

// Writes `text` to `path` through a temporary file and a rename, so a reader
// never sees half a result; false with a message on stderr.
bool write_file_atomically(const std::string &path, const std::string &text);
