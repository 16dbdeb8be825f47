// getopt_long under the table of command_line.h. Its own messages are off
// (opterr = 0) so the tools keep theirs, and it returns operands in order
// ("-" first in the option string), whatever POSIXLY_CORRECT says.
#include "command_line.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace {

// getopt_long's value for the option at index i of the table; above any character.
constexpr int kFirstOption = 256;

bool whole_number(const CommandLineOption &o, const char *text, uint64_t *out) {
    char *end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    const double d = static_cast<double>(v);
    if (!*text || *end || text[0] == '-' || d < o.min || (o.above_min && d == o.min) || d > o.max) return false;
    *out = v;
    return true;
}

bool real_number(const CommandLineOption &o, const char *text, double *out) {
    char *end = nullptr;
    const double v = std::strtod(text, &end);
    if (!*text || *end || !(o.above_min ? v > o.min : v >= o.min) || v > o.max) return false;
    *out = v;
    return true;
}

// Stores `text` where option `o` keeps its value; false for a number that is not one.
bool store(const CommandLineOption &o, const char *text) {
    uint64_t whole = 0;
    double real = 0;
    return std::visit(
        [&](auto *target) {
            using T = std::remove_pointer_t<decltype(target)>;
            if constexpr (std::is_same_v<T, bool>) {
                *target = o.flag_value;
            } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::optional<std::string>>) {
                *target = text;
            } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
                target->push_back(text);
            } else if constexpr (std::is_same_v<T, double> || std::is_same_v<T, std::optional<double>>) {
                if (!real_number(o, text, &real)) return false;
                *target = real;
            } else {
                if (!whole_number(o, text, &whole)) return false;
                *target = static_cast<std::conditional_t<std::is_same_v<T, unsigned>, unsigned, uint64_t>>(whole);
            }
            return true;
        },
        o.target);
}

bool takes_value(const CommandLineOption &o) { return !std::holds_alternative<bool *>(o.target); }

}  // namespace

bool parse_command_line(const CommandLine &line, int argc, char **argv, bool *help) {
    std::vector<option> table;
    for (size_t i = 0; i < line.options.size(); ++i)
        table.push_back({line.options[i].name, takes_value(line.options[i]) ? required_argument : no_argument, nullptr,
                         kFirstOption + static_cast<int>(i)});
    table.push_back({"help", no_argument, nullptr, 'h'});
    table.push_back({nullptr, 0, nullptr, 0});
    const auto unknown = [&](const char *word) {
        std::fprintf(stderr, "%s: unknown option '%s'%s\n", line.tool, word, line.unknown_hint);
        return false;
    };
    opterr = 0;
    optind = 0;  // glibc starts afresh, so a second parse reads its own argv
    for (;;) {
        const int at = optind > 0 ? optind : 1;
        const char *word = at < argc ? argv[at] : "";
        if (std::strcmp(word, "--") == 0) return unknown(word);
        const int c = getopt_long(argc, argv, "-:h", table.data(), nullptr);
        if (c == -1) return true;
        if (c == 1) {
            if (!line.operand(optarg)) return false;
            continue;
        }
        if (c == 'h') {
            if (std::strcmp(word, "-h") != 0 && std::strcmp(word, "--help") != 0) return unknown(word);
            *help = true;
            return true;
        }
        const int index = (c == ':' ? optopt : c) - kFirstOption;
        if (c == '?' || index < 0 || index >= static_cast<int>(line.options.size())) return unknown(word);
        const CommandLineOption &o = line.options[static_cast<size_t>(index)];
        if (std::strncmp(word, "--", 2) != 0 || std::strcmp(word + 2, o.name) != 0) return unknown(word);
        if (c == ':') {
            std::fprintf(stderr, "%s: %s %s\n", line.tool, word, line.no_value);
            return false;
        }
        if (!store(o, optarg)) {
            std::fprintf(stderr, "%s: %s wants %s, not '%s'\n", line.tool, word, o.wants, optarg);
            return false;
        }
        if (o.given) *o.given = true;
    }
}
