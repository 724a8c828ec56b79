#include <cstring>

#include "document/byte_stream.h"
#include "document/le_bytes.h"
#include "tests/document/doc_fixture.h"

using buffer_ops = doc_test;

TEST_F(buffer_ops, centre_cancel_puts_the_wrapped_channel_difference_in_both_channels) {
    const std::string samples = sample_bytes({32767, -32768, -32768, 32767, 100, 100, 0, -1}) +
                                pattern_samples(2000, 7);
    const std::string file = stereo_wave(samples);
    memory_istream in(file);
    doc->read_wave_file(in);
    const std::string orgn_before = bytes_of(doc->orgn_dt, samples.size());
    const std::int32_t frames = doc->frame_count();
    doc->mdfy_dt[4 * frames] = 0x5A;  // a sentinel in the padding after the frames

    EXPECT_EQ(doc->make_cancel_dt(), 0);
    const int expect_first[4] = {-1, 1, 0, 1};
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(get_frame_sample(doc->mdfy_dt, f, 0), expect_first[f]) << f;
        EXPECT_EQ(get_frame_sample(doc->mdfy_dt, f, 1), expect_first[f]) << f;
    }
    for (int f = 0; f < frames; ++f) {
        const std::int64_t l = get_le(samples, 4 * f, 2);
        const std::int64_t r = get_le(samples, 4 * f + 2, 2);
        std::int64_t d = (l - r) & 0xFFFF;
        if (d >= 0x8000) d -= 0x10000;
        ASSERT_EQ(get_frame_sample(doc->mdfy_dt, f, 0), d) << f;
        ASSERT_EQ(get_frame_sample(doc->mdfy_dt, f, 1), d) << f;
    }
    EXPECT_EQ(doc->mdfy_dt[4 * frames], 0x5A);
    EXPECT_EQ(bytes_of(doc->orgn_dt, samples.size()), orgn_before);

    EXPECT_EQ(doc->restore_copy_dt(), 0);
    EXPECT_EQ(bytes_of(doc->mdfy_dt, samples.size()), orgn_before);
    EXPECT_EQ(doc->mdfy_dt[4 * frames], 0x5A);
}

TEST_F(buffer_ops, do_nothing_on_a_document_without_buffers) {
    EXPECT_EQ(doc->make_cancel_dt(), 0);
    EXPECT_EQ(doc->restore_copy_dt(), 0);
    le_put_i32(doc->wv_data_hdr + 4, 4096);  // a length but no buffers
    EXPECT_EQ(doc->make_cancel_dt(), 0);
    EXPECT_EQ(doc->restore_copy_dt(), 0);
}
