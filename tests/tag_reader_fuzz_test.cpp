// The fuzz target's rules as an ordinary test: its seed corpus (and every input the fuzzer
// ever found to break a rule, kept there) replayed, and a fixed series of corpus mutations for
// builds without libFuzzer.
#include "tag_reader_invariants.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

    std::vector<std::filesystem::path> corpusFiles()
    {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(VARNOK_FUZZ_CORPUS)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    // The input in a form that survives a test log: printable bytes as they are, others as \xNN.
    std::string escaped(const std::string& bytes)
    {
        static const char hex[] = "0123456789abcdef";
        std::string out;
        for (const char c : bytes) {
            const auto u = static_cast<unsigned char>(c);
            if (u >= 0x20 && u < 0x7f && c != '\\') {
                out.push_back(c);
            } else {
                out += std::string("\\x") + hex[u >> 4] + hex[u & 15];
            }
        }
        return out;
    }

    TEST(TagReaderFuzz, CorpusKeepsTheRules)
    {
        const std::vector<std::filesystem::path> files = corpusFiles();
        ASSERT_FALSE(files.empty()) << "no corpus in " << VARNOK_FUZZ_CORPUS;
        for (const auto& file : files) {
            SCOPED_TRACE(file.filename().string());
            EXPECT_EQ(checkTagReader(readFile(file)), "");
        }
    }

    // What the fuzzer does, in small: corpus inputs cut, spliced and sprinkled with the bytes
    // the reader cares about, from a fixed seed so that every run checks the same inputs.
    TEST(TagReaderFuzz, MutatedCorpusKeepsTheRules)
    {
        std::vector<std::string> corpus;
        for (const auto& file : corpusFiles()) {
            corpus.push_back(readFile(file));
        }
        ASSERT_FALSE(corpus.empty());
        static constexpr char MARKUP[] = "[]\"{}\n\r\0 AEW1-0*/";
        const std::string markup(MARKUP, sizeof MARKUP - 1);
        std::mt19937 random(20240611);
        auto below = [&random](std::size_t n) {
            return n == 0 ? 0 : static_cast<std::size_t>(random() % n);
        };
        for (int round = 0; round < 2000; ++round) {
            std::string input = corpus[below(corpus.size())];
            const std::size_t mutations = 1 + below(4);
            for (std::size_t m = 0; m < mutations; ++m) {
                const std::size_t at = below(input.size() + 1);
                switch (below(4)) {
                case 0: // a markup byte in place of another, or added
                    if (at < input.size()) {
                        input[at] = markup[below(markup.size())];
                    } else {
                        input.push_back(markup[below(markup.size())]);
                    }
                    break;
                case 1: // any byte inserted
                    input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                        static_cast<char>(random() & 0xff));
                    break;
                case 2: // a piece cut out
                    input.erase(at, below(16));
                    break;
                default: { // a piece of another input spliced in
                    const std::string& other = corpus[below(corpus.size())];
                    const std::size_t from = below(other.size());
                    input.insert(at, other.substr(from, below(64)));
                    break;
                }
                }
            }
            const std::string broken = checkTagReader(input);
            if (!broken.empty()) {
                ADD_FAILURE() << "round " << round << ": " << broken
                              << "\ninput: " << escaped(input);
                return;
            }
        }
    }

} // namespace
} // namespace varnok
