// The differential checks of the fast paths (fuzz/diff_*.cpp) on a fixed
// sweep of pseudo-random inputs, so that every run of the suite compares
// each fast path with its reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "differential.h"

TEST(Differential, FastPathsAnswerAsTheirReferences) {
    struct Row {
        const char* path;
        void (*check)(FuzzInput&);
        int inputs;
        size_t maxBytes;
    } rows[] = {
        {"name-value list", [](FuzzInput& in) { CheckNameValueList(in, false); }, 300, 400},
        {"catalog index", [](FuzzInput& in) { CheckNameValueList(in, true); }, 30, 12000},
        {"name-value reader", CheckNameValueReader, 300, 600},
        {"name-value reader at the edges", [](FuzzInput&) { CheckNameValueReaderEdges(); }, 1, 0},
        {"template output", CheckTemplateOutput, 200, 3000},
        {"UTF-8 search and cut", CheckUtf8SearchAndCut, 3000, 200},
        {"UTF-8 steps after every byte", [](FuzzInput&) { CheckUtf8Steps(); }, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        std::mt19937 random(20261207);
        std::vector<uint8_t> bytes;
        for (int i = 0; i < row.inputs; ++i) {
            bytes.resize(random() % (row.maxBytes + 1));
            for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
            FuzzInput in(bytes.data(), bytes.size());
            row.check(in);
        }
    }
}
