// Replays the fuzz corpus and a few generated hostile files through the same
// driver as the fuzz target, so the regular and sanitizer builds check them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "script_fuzz_input.h"

namespace {

bool feed(const std::string &bytes) {
    return script_fuzz_one(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

TEST(ScriptCorpus, EveryCorpusFilePlaysBackSafely) {
    std::vector<std::filesystem::path> files;
    for (const auto &e : std::filesystem::directory_iterator(TELKA_FUZZ_CORPUS_DIR))
        if (e.is_regular_file()) files.push_back(e.path());
    ASSERT_GE(files.size(), 5u);
    for (const auto &path : files) {
        std::ifstream f(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(feed(bytes)) << path;
    }
}

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
    for (const std::string &in : inputs) EXPECT_TRUE(feed(in)) << in.substr(0, 40);
}

}  // namespace
