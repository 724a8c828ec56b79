// The files of an extraction are written with their zero blocks left as
// holes: what is read back must be every byte as written, the length
// included, however the writes fall on the blocks.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>

#include "document/file_stream.h"
#include "tests/support/test_dir.h"

namespace {

class zero_holes : public in_test_dir {};

// Writes bytes in the pieces given (the rest in one), holes left, and reads the file back.
std::string written(const std::string& bytes, std::initializer_list<std::size_t> pieces, bool to_disk = false) {
    file_replace_ostream out;
    EXPECT_EQ(out.open("f.wav"), 0);
    out.leave_zero_blocks_as_holes();
    std::size_t at = 0;
    for (const std::size_t n : pieces) {
        EXPECT_TRUE(out.write(bytes.data() + at, static_cast<std::int64_t>(n)));
        at += n;
    }
    EXPECT_TRUE(out.write(bytes.data() + at, static_cast<std::int64_t>(bytes.size() - at)));
    EXPECT_EQ(out.commit(to_disk), 0);
    return read_file_bytes("f.wav");
}

TEST_F(zero_holes, ZeroRunsAnywhereComeBackAsZerosAndTheLengthIsKept) {
    std::mt19937 rng(3);
    std::string bytes(16 * 65536, '\0');  // a whole number of blocks: it can end in a hole
    bytes[0] = 'R';  // a header-like start
    for (std::size_t i = 300000; i < 300100; ++i) bytes[i] = static_cast<char>(rng() | 1);  // between holes
    bytes[65536 * 7 - 1] = 1;  // the last byte of a block
    bytes[65536 * 9] = 1;      // the first byte of one
    EXPECT_EQ(written(bytes, {44, 100000, 333333}), bytes);  // ends in a hole
    struct stat st {};
    ASSERT_EQ(::stat("f.wav", &st), 0);
    EXPECT_LT(st.st_blocks * 512, 600000) << "no holes were left";

    bytes.back() = 'z';  // ends in data, written in one piece
    EXPECT_EQ(written(bytes, {}, true), bytes);
    EXPECT_EQ(written(std::string(4 * 65536, '\0'), {10}), std::string(4 * 65536, '\0'));  // nothing but zeros
}

}  // namespace
