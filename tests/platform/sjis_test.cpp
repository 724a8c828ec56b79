#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace {

TEST(sjis, TheDefaultFontNameIsThirteenCp932Bytes) {
    const std::string bytes = utf8_to_cp932("ＭＳ ゴシック");
    EXPECT_EQ(bytes, "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(cp932_to_utf8(bytes), "ＭＳ ゴシック");
}

TEST(sjis, HalfWidthKatakanaAndIdeographicSpacesRoundTrip) {
    const char* text = "ﾒｲﾝｳｲﾝﾄﾞｳの巾!!　　";
    const std::string bytes = utf8_to_cp932(text);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xD2) << "ﾒ is one byte";
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\x81\x40\x81\x40");
    EXPECT_EQ(cp932_to_utf8(bytes), text);
}

TEST(sjis, ALoneLeadByteAtTheEndIsReplacedNotDropped) {
    EXPECT_EQ(cp932_to_utf8("AB\x82"), "AB\xEF\xBF\xBD");
}

TEST(sjis, AnInvalidPairKeepsTheByteAfterTheLeadByte) {
    // 0x82 0x20 is not a character; the blank after it is still converted.
    EXPECT_EQ(cp932_to_utf8("\x82 x"), "\xEF\xBF\xBD x");
}

TEST(sjis, CharactersWithoutACp932FormBecomeQuestionMarks) {
    EXPECT_EQ(utf8_to_cp932("a\xF0\x9F\x8E\xB5" "b"), "a?b");  // a musical note emoji
    EXPECT_EQ(utf8_to_cp932("a\xFF" "b"), "a?b");               // not UTF-8 at all
    EXPECT_EQ(utf8_to_cp932("a\xE3\x81"), "a?");                // truncated sequence
}

TEST(sjis, LeadBytesAndBoundedLengths) {
    EXPECT_TRUE(is_cp932_lead_byte(0x81));
    EXPECT_TRUE(is_cp932_lead_byte(0x9F));
    EXPECT_TRUE(is_cp932_lead_byte(0xE0));
    EXPECT_TRUE(is_cp932_lead_byte(0xFC));
    EXPECT_FALSE(is_cp932_lead_byte(0xA1)) << "half-width katakana are single bytes";
    EXPECT_FALSE(is_cp932_lead_byte('A'));
    const char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(bounded_strlen(full, 4), 4u);
    EXPECT_EQ(bounded_strlen("ab", 4), 2u);
}

}  // namespace
