// The tools' command lines, read through getopt_long from a table: each
// tool lists its options and where each value goes, and this checks that a
// value is there and that a number is one and in range, in the tool's words.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// Where an option's value goes; the kind of pointer says what it takes: a
// bool is a flag, a string any text (a vector: each time the option is
// given), the others a number.
using OptionTarget = std::variant<bool *, std::string *, std::optional<std::string> *, std::vector<std::string> *,
                                  unsigned *, uint64_t *, std::optional<uint64_t> *, double *, std::optional<double> *>;

struct CommandLineOption {
    const char *name;  // "script" for --script
    OptionTarget target;
    // A number outside [min, max] (above min, not at it, when above_min) is
    // refused as "--name wants <wants>, not 'TEXT'"; whole-number targets
    // take digits only.
    double min = 0;
    double max = std::numeric_limits<double>::infinity();
    bool above_min = false;
    const char *wants = nullptr;
    bool flag_value = true;  // what a flag sets
    bool *given = nullptr;   // set when the option is on the line
};

struct CommandLine {
    const char *tool;          // the messages' first word
    const char *no_value;      // "--name <no_value>" when the line ends after it
    const char *unknown_hint;  // follows "unknown option 'WORD'"
    std::vector<CommandLineOption> options;
    // Each word that is not an option, in order; false once it has said
    // on stderr why that word is one too many.
    std::function<bool(const char *)> operand;
};

// Reads argv[1..] into the options' targets. -h or --help stops the reading
// with *help set. Options are taken as written, "--name VALUE": a shortened
// name, "--name=VALUE" or "--" is an unknown option. False after a message
// on stderr.
bool parse_command_line(const CommandLine &line, int argc, char **argv, bool *help);
