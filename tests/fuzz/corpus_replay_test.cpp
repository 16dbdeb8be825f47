// Replays every fuzz target's seed corpus, and a few generated hostile
// scripts, through the same drivers as the fuzz targets, so the regular and
// sanitizer builds check them. Each test runs in a process of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dialog_fuzz_input.h"
#include "draw_fuzz_input.h"
#include "script_fuzz_input.h"

namespace {

using Driver = std::function<bool(const uint8_t *, size_t)>;

bool feed(const Driver &driver, const std::string &bytes) {
    return driver(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

void replay_corpus(const std::string &target, const Driver &driver) {
    std::vector<std::filesystem::path> files;
    for (const auto &e : std::filesystem::directory_iterator(std::string(TELKA_FUZZ_CORPUS_DIR) + "/" + target))
        if (e.is_regular_file()) files.push_back(e.path());
    ASSERT_GE(files.size(), 5u);
    for (const auto &path : files) {
        std::ifstream f(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(feed(driver, bytes)) << path;
    }
}

TEST(ScriptCorpus, EveryCorpusFilePlaysBackSafely) { replay_corpus("script", script_fuzz_one); }

TEST(ScriptCorpus, GeneratedHostileFilesPlayBackSafely) {
    std::vector<std::string> inputs = {
        "",
        "\n",
        "\r\n\r\n",
        "TELKA_",
        "TELKA_M",
        "TELKA_M\n",
        std::string(511, 'K') + "\n",
        "TELKA_K" + std::string(504, '9') + "\n",
        "TELKA_M" + std::string(503, '-') + "1\n",
        std::string(5000, '\n'),
        std::string("TELKA_P\0(3);\n", 13),
    };
    for (int c = 0; c < 256; ++c) inputs.push_back(std::string("TELKA_") + static_cast<char>(c) + "(1, 2);\n");
    for (const std::string &in : inputs) EXPECT_TRUE(feed(script_fuzz_one, in)) << in.substr(0, 40);
}

TEST(DialogCorpus, EveryTemplateRunsToItsEndOrIsRefused) { replay_corpus("dialog", dialog_fuzz_one); }

TEST(DrawCorpus, EveryOperationListDrawsSafely) { replay_corpus("draw", draw_fuzz_one); }

}  // namespace
