// Our raw-deflate decoder against zlib's encoder: stored, fixed and dynamic blocks, and a second
// stream whose matches reach into the output of the first, as MSZIP blocks do.

#include "xfile/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

// Shared with the loader's bounds test, which packs its MSZIP blocks with it.
std::vector<std::uint8_t> deflateRaw(const std::vector<std::uint8_t>& data, int level, int strategy,
                                     const std::vector<std::uint8_t>& dictionary) {
    z_stream stream{};
    EXPECT_EQ(Z_OK, deflateInit2(&stream, level, Z_DEFLATED, -15, 8, strategy));
    if (!dictionary.empty()) {
        deflateSetDictionary(&stream, dictionary.data(), static_cast<uInt>(dictionary.size()));
    }
    std::vector<std::uint8_t> packed(deflateBound(&stream, data.size()));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = packed.data();
    stream.avail_out = static_cast<uInt>(packed.size());
    EXPECT_EQ(Z_STREAM_END, deflate(&stream, Z_FINISH));
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

namespace {

// Text-like data with repeats near and far, and noise that defeats matching.
std::vector<std::uint8_t> sample(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        data[i] = i % 3000 < 2000 ? "0.125;-1.5,\n"[(i * 7 + seed % 2) % 12]
                                  : static_cast<std::uint8_t>(seed >> 16);
    }
    return data;
}

TEST(InflateTest, DecodesWhatZlibEncodesAcrossChainedBlocks) {
    const struct {
        int level;
        int strategy;
    } settings[] = {{0, Z_DEFAULT_STRATEGY},
                    {1, Z_FIXED},
                    {6, Z_DEFAULT_STRATEGY},
                    {9, Z_HUFFMAN_ONLY},
                    {9, Z_RLE}};
    for (const auto& setting : settings) {
        const std::vector<std::uint8_t> first = sample(40000, 1);
        const std::vector<std::uint8_t> second(first.begin() + 100, first.begin() + 30000);
        std::vector<std::uint8_t> output;
        std::string error;
        for (const auto* block : {&first, &second}) {
            const std::vector<std::uint8_t> dictionary =
                block == &first ? std::vector<std::uint8_t>{} : first;
            const std::vector<std::uint8_t> packed =
                deflateRaw(*block, setting.level, setting.strategy, dictionary);
            ASSERT_TRUE(inflateRaw(packed.data(), packed.size(), block->size(), output, error))
                << error << " at level " << setting.level;
        }
        std::vector<std::uint8_t> expected = first;
        expected.insert(expected.end(), second.begin(), second.end());
        EXPECT_TRUE(expected == output) << "level " << setting.level;
    }
}

TEST(InflateTest, RefusesOutputPastItsLimitAndCutStreams) {
    const std::vector<std::uint8_t> data = sample(5000, 2);
    const std::vector<std::uint8_t> packed = deflateRaw(data, 9, Z_DEFAULT_STRATEGY, {});
    std::vector<std::uint8_t> output;
    std::string error;
    EXPECT_FALSE(inflateRaw(packed.data(), packed.size(), data.size() - 1, output, error));
    for (std::size_t cut = 0; cut < packed.size(); cut += 7) {
        output.clear();
        EXPECT_FALSE(inflateRaw(packed.data(), cut, data.size(), output, error)) << cut;
    }
}

} // namespace
