#include "tests/document/doc_fixture.h"

using buffer_ops = doc_test;

TEST_F(buffer_ops, centre_cancel_writes_the_wrapped_difference_and_restore_undoes_it) {
    const std::string samples =
        sample_bytes({32767, -32768, -32768, 32767, 100, 100}) + pattern_samples(2000);
    read_bytes(*doc, stereo_wave(samples));
    const std::int32_t frames = doc->frame_count();
    doc->mdfy_dt[4 * frames] = 0x5A;  // a sentinel in the padding

    EXPECT_EQ(doc->make_cancel_dt(), 0);
    for (int f = 0; f < frames; ++f) {
        // Independent wrap: the low 16 bits of the difference, as two's complement.
        const auto d = static_cast<std::int16_t>(get_le(samples, 4 * f, 2) - get_le(samples, 4 * f + 2, 2));
        ASSERT_EQ(get_frame_sample(doc->mdfy_dt, f, 0), d) << f;
        ASSERT_EQ(get_frame_sample(doc->mdfy_dt, f, 1), d) << f;
    }
    EXPECT_EQ(get_frame_sample(doc->mdfy_dt, 0, 1), -1);
    EXPECT_EQ(get_frame_sample(doc->mdfy_dt, 1, 0), 1);
    EXPECT_EQ(bytes_of(doc->orgn_dt, samples.size()), samples);

    EXPECT_EQ(doc->restore_copy_dt(), 0);
    EXPECT_EQ(bytes_of(doc->mdfy_dt, samples.size()), samples);
    EXPECT_EQ(doc->mdfy_dt[4 * frames], 0x5A);

    auto empty = std::make_unique<CTonewarpDoc>();  // no buffers: nothing to do
    le_put_i32(empty->wv_data_hdr + 4, 4096);
    EXPECT_EQ(empty->make_cancel_dt(), 0);
    EXPECT_EQ(empty->restore_copy_dt(), 0);
}
