#include "view/wave_summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "document/le_bytes.h"

namespace {

// Stereo frames of pseudo-random samples over the full 16-bit range, with
// rare extremes so that minima and maxima land inside blocks, not at ends.
std::vector<unsigned char> random_frames(std::int64_t n, std::uint32_t seed) {
    std::vector<unsigned char> b(static_cast<std::size_t>(n) * 4);
    for (std::int64_t i = 0; i < 2 * n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const std::uint32_t h = seed >> 8;  // the low bits of this generator repeat quickly
        int v = static_cast<int>(h % 20001) - 10000;
        if (h % 1999 == 7) v = (h & 0x10000u) != 0 ? 32767 : -32768;
        le_put_i16(&b[static_cast<std::size_t>(2 * i)], static_cast<std::int16_t>(v));
    }
    return b;
}

void fold_plain(const std::vector<unsigned char>& b, int c, std::int64_t from, std::int64_t n, int& lo, int& hi) {
    for (std::int64_t i = from; i < from + n; ++i) {
        const int v = le_get_i16(&b[static_cast<std::size_t>(4 * i + 2 * c)]);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

// Every kind of range: inside one fine block, across fine blocks only,
// across coarse blocks and chunk boundaries, the ragged end of the buffer,
// the whole buffer; each compared with reading every sample.
TEST(wave_summary, FoldsEveryRangeExactlyAsReadingEverySample) {
    const std::int64_t n = 3 * wave_summary::chunk_len + 12345;
    const auto b = random_frames(n, 17);
    wave_summary s;
    s.reset(b.data(), n);
    std::uint32_t r = 99;
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges = {
        {0, 1}, {5, 50}, {60, 10}, {63, 2}, {0, 64}, {64, 4096}, {1, 8190}, {4095, 4098},
        {wave_summary::chunk_len - 3, 7}, {wave_summary::chunk_len - 5000, 70000}, {n - 1, 1},
        {n - 100000, 100000}, {0, n}};
    for (int k = 0; k < 300; ++k) {
        r = r * 1664525u + 1013904223u;
        const std::int64_t from = static_cast<std::int64_t>(r >> 8) % n;
        r = r * 1664525u + 1013904223u;
        const std::int64_t len = 1 + static_cast<std::int64_t>(r >> 8) % std::min<std::int64_t>(n - from, 1 << (k % 18));
        ranges.emplace_back(from, len);
    }
    for (const auto& [from, len] : ranges) {
        for (int c = 0; c < 2; ++c) {
            int lo = 32767, hi = -32768, plo = 32767, phi = -32768;
            s.fold(c, from, len, lo, hi);
            fold_plain(b, c, from, len, plo, phi);
            ASSERT_EQ(lo, plo) << "channel " << c << " from " << from << " length " << len;
            ASSERT_EQ(hi, phi) << "channel " << c << " from " << from << " length " << len;
        }
    }
}

// The fold only widens what it is given, an empty range leaves it alone,
// and the blocks are made a chunk at a time where a range needs them.
TEST(wave_summary, FoldWidensTheGivenBoundsAndBuildsOnlyTheChunksItReads) {
    const std::int64_t n = 4 * wave_summary::chunk_len;
    std::vector<unsigned char> b(static_cast<std::size_t>(n) * 4, 0);
    le_put_i16(&b[4 * 100], 300);
    wave_summary s;
    s.reset(b.data(), n);
    EXPECT_EQ(s.chunks_built(), 0);

    int lo = -5, hi = 5;
    s.fold(0, 0, 0, lo, hi);
    s.fold(0, 10, -3, lo, hi);
    EXPECT_EQ(lo, -5);
    EXPECT_EQ(hi, 5);

    s.fold(0, 0, 200, lo, hi);
    EXPECT_EQ(lo, -5);
    EXPECT_EQ(hi, 300);
    s.fold(0, 2 * wave_summary::chunk_len + 1, 3 * wave_summary::coarse_len, lo, hi);
    EXPECT_EQ(s.chunks_built(), 2);

    s.fold(1, 0, n, lo, hi);
    EXPECT_EQ(s.chunks_built(), 4);
}

// The set hands out one summary per buffer; a change announced for some
// buffers of the document drops just those, and a change of another
// document drops nothing.
TEST(wave_summary_set, AnnouncedChangesDropOnlyTheNamedBuffersOfThatDocument) {
    const int doc = 0, other_doc = 0;
    const std::int64_t n = wave_summary::chunk_len;
    auto orgn = random_frames(n, 1), copy = random_frames(n, 2), part = random_frames(n, 3);
    wave_summary_set set(&doc);
    auto max_of = [](wave_summary* s) {
        int lo = 0, hi = -32768;
        s->fold(0, 0, s->frame_count(), lo, hi);
        return hi;
    };
    auto set_all = [](std::vector<unsigned char>& b, int v) {
        for (std::size_t i = 0; i < b.size(); i += 4) le_put_i16(&b[i], static_cast<std::int16_t>(v));
    };
    EXPECT_EQ(set.original(nullptr, n), nullptr);
    EXPECT_EQ(set.part(-1, part.data(), n), nullptr);
    EXPECT_EQ(set.part(wave_summary_set::part_slots, part.data(), n), nullptr);
    ASSERT_EQ(max_of(set.original(orgn.data(), n)), 32767);
    ASSERT_EQ(max_of(set.copy(copy.data(), n)), 32767);
    ASSERT_EQ(max_of(set.part(3, part.data(), n)), 32767);

    // Written without an announcement, a summary still tells the old values.
    set_all(orgn, 11);
    set_all(copy, 22);
    set_all(part, 33);
    EXPECT_EQ(max_of(set.copy(copy.data(), n)), 32767);

    note_wave_change(&other_doc, wave_all);
    EXPECT_EQ(max_of(set.copy(copy.data(), n)), 32767);

    note_wave_change(&doc, wave_parts);  // an extraction tick
    EXPECT_EQ(max_of(set.part(3, part.data(), n)), 33);
    EXPECT_EQ(max_of(set.copy(copy.data(), n)), 32767);
    EXPECT_EQ(max_of(set.original(orgn.data(), n)), 32767);

    note_wave_change(&doc, wave_copy);  // a new mix
    EXPECT_EQ(max_of(set.copy(copy.data(), n)), 22);
    EXPECT_EQ(max_of(set.original(orgn.data(), n)), 32767);

    note_wave_change(&doc);  // everything
    EXPECT_EQ(max_of(set.original(orgn.data(), n)), 11);

    // Another buffer or length starts the summary afresh.
    auto other = random_frames(n / 2, 4);
    set_all(other, -7);
    EXPECT_EQ(max_of(set.copy(other.data(), n / 2)), -7);
}

}  // namespace
