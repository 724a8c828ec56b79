// The part files of `tonewarp-cli extract` are made a piece at a time from
// each part's records: every piece must hold what the mix of that part
// alone holds there, and the file what Save writes of that mix.

#include "cli/part_window.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "document/wave_writer.h"
#include "engine/part_mix.h"
#include "tests/engine/part_fixture.h"

namespace {

class part_window : public part_test {
   protected:
    // The frames of the mix of part p alone, as the engine builds it.
    std::vector<unsigned char> engine_mix(int p) {
        std::fill_n(st->prt_mix_flg, prt_slot_cnt, 0);
        st->prt_mix_flg[p] = 1;
        make_mdfy_dt_from_each_part(*st, *doc);
        return {doc->mdfy_dt, doc->mdfy_dt + 4 * 4 * N};
    }
    // The same frames made in pieces of `piece` frames.
    std::vector<unsigned char> in_pieces(int p, std::int64_t piece) {
        std::vector<unsigned char> out(4 * 4 * N, 0xA5);
        for (std::int64_t f = 0; f < 4 * N; f += piece)
            mix_part_window(*doc, p, f, std::min<std::int64_t>(piece, 4 * N - f), out.data() + 4 * f);
        return out;
    }
};

TEST_F(part_window, EveryPieceHoldsTheMixOfThePartAloneAtTheEdgesOfTheRecordingAndOfThePart) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    const int a = add_part(), b = add_part();
    const std::int32_t c = static_cast<std::int32_t>(cap(a));
    for (const int p : {a, b})
        for (std::int64_t f = 0; f < cap(p); ++f) put_wave(p, f, 0, sample(rng)), put_wave(p, f, 1, sample(rng));
    const std::int32_t end = 4 * N;
    // Records that reach past every edge, each channel its own way, and
    // overlapping ones whose sums wrap.
    std::vector<msc_prt_inf_t> recs = {
        {1, 1, 0, -5, 3, 0, 10, 40, 0, 0, 500, 20},          // before the part's waveform
        {1, 1, 0, c - 3, c - 50, 0, 100, 100, 0, 0, 10, 90},  // past its end
        {1, 1, 0, 0, 7, 0, 100, 30, 0, 0, end - 6, end - 1},  // past the recording's end
        {1, 1, 0, 40, 0, 0, 50, 50, 0, 0, -20, -60},          // before its start
        {1, 1, 0, 0, 0, 0, 2000, 2000, 0, 0, 300, 301},
        {1, 1, 0, 100, 100, 0, 2000, 1000, 0, 0, 301, 300},
    };
    std::uniform_int_distribution<int> at(-100, end + 100), ofs(-50, c + 50), len(0, 3000);
    for (int k = 0; k < 20; ++k)
        recs.push_back({1, 1, 0, ofs(rng), ofs(rng), 0, len(rng), len(rng), 0, 0, at(rng), at(rng)});
    for (std::size_t r = 0; r < recs.size(); ++r) rec(a, static_cast<int>(r)) = recs[r];
    doc->intPart_Inf_Cnt[a] = static_cast<std::int32_t>(recs.size());
    doc->intPart_Inf_Cnt[b] = 1;
    rec(b, 0) = {1, 1, 0, 0, 0, 0, 3000, 3000, 0, 0, 250, 250};  // never in a's pieces

    for (const int p : {a, b}) {
        const std::vector<unsigned char> want = engine_mix(p);
        for (const std::int64_t piece : {1, 7, 1000, 4 * N}) EXPECT_EQ(in_pieces(p, piece), want) << p << " " << piece;
    }
    // A part the document does not hold plays nothing.
    EXPECT_EQ(in_pieces(2, 333), std::vector<unsigned char>(4 * 4 * N, 0));
}

TEST_F(part_window, AFileMadeInPiecesIsTheFileSaveWritesOfTheSameFrames) {
    std::mt19937 rng(5);
    for (int f = 0; f < 4 * 4 * N; ++f) doc->mdfy_dt[f] = static_cast<unsigned char>(rng());
    const auto copy = [&](std::int64_t first, std::int64_t count, unsigned char* out) {
        std::copy_n(doc->mdfy_dt + 4 * first, 4 * count, out);
    };
    std::vector<unsigned char> scratch(4 * 3 + 2);  // three whole frames a piece
    for (const auto& [first, count] : std::vector<std::pair<int, int>>{
             {0, 4 * N}, {10, 1001}, {-7, 40}, {4 * N - 5, 100}, {4 * N + 3, 10}, {20, 0}, {20, -4}}) {
        doc->extr_stt_ptr = first;
        doc->extr_dt_cnt = count;
        memory_ostream want, got;
        ASSERT_EQ(doc->write_wave_file(want), 0);
        ASSERT_EQ(write_wave_file_made(*doc, got, copy, scratch), 0);
        EXPECT_EQ(got.bytes(), want.bytes()) << first << " " << count;
    }
}

}  // namespace
