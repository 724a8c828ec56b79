#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/param_rules.h"
#include "app/sys_param.h"
#include "tests/app/decimal_comma.h"

namespace {

std::vector<std::string> shown(std::span<const param_field_rule> rules, const sys_param_t& p) {
    std::vector<std::string> texts;
    for (const auto& r : rules) texts.push_back(format_field(r, p));
    return texts;
}

sys_param_t defaults() {
    sys_param_t p;
    set_default_sys_param(p);
    return p;
}

TEST(number_reading, IsLenientLikeTheDialogsFields) {
    EXPECT_EQ(read_int_field("  42abc", 5), 42);
    EXPECT_EQ(read_int_field("-7", 5), -7);
    EXPECT_EQ(read_int_field("+9", 5), 9);
    EXPECT_EQ(read_int_field("abc", 5), 0);
    EXPECT_EQ(read_int_field("", 5), 0);
    EXPECT_EQ(read_int_field("12.9", 5), 12);
    EXPECT_DOUBLE_EQ(read_real_field(" 1.5e3x", 19), 1500.0);
    EXPECT_DOUBLE_EQ(read_real_field(".5", 19), 0.5);
    EXPECT_DOUBLE_EQ(read_real_field("7.", 19), 7.0);
    EXPECT_DOUBLE_EQ(read_real_field("3e", 19), 3.0) << "an exponent without digits is not taken";
    EXPECT_DOUBLE_EQ(read_real_field("-.", 19), 0.0);
    EXPECT_DOUBLE_EQ(read_real_field("abc", 19), 0.0);
    EXPECT_DOUBLE_EQ(read_real_field("nan", 19), 0.0) << "only digits make a number";
    EXPECT_DOUBLE_EQ(read_real_field("0x10", 19), 0.0);
}

TEST(number_reading, LongerTextIsCutToTheFieldLength) {
    EXPECT_EQ(read_int_field("123456", 5), 12345);
    EXPECT_EQ(read_int_field("   256", 5), 25) << "blanks count as characters";
    EXPECT_EQ(read_int_field("99999999999999", 19), 2147483647);
    EXPECT_EQ(cut_chars("ｱｲｳｴｵ", 3), "ｱｲｳ") << "characters, not bytes";
}

using comma_locale_fields = decimal_comma;

TEST_F(comma_locale_fields, ShowAndReadAPointSoAnUntouchedOkChangesNothing) {
    const sys_param_t p = defaults();
    const auto texts = shown(sys_param_rules(), p);
    EXPECT_EQ(texts[7], "    5000.000");
    EXPECT_EQ(texts[9], "  355632.475");
    EXPECT_EQ(texts[12], "      32.375");
    EXPECT_DOUBLE_EQ(read_real_field("123.5", 19), 123.5);
    EXPECT_DOUBLE_EQ(read_real_field(" 1.5e3", 19), 1500.0);
    EXPECT_DOUBLE_EQ(read_real_field("1,5", 19), 1.0) << "a comma ends the number as any other letter";

    sys_param_t q = p;
    ASSERT_EQ(param_dlg_ok(sys_param_rules(), texts, q), nullptr);
    EXPECT_EQ(q.set_prm1, 355632.475);
    EXPECT_EQ(q.set_prm2, 123.5);
    EXPECT_EQ(q.set_prm4, 32.375);
    EXPECT_EQ(std::memcmp(&p, &q, sizeof p), 0) << "every field as it was";
}

TEST(ext_param_dialog, ShowsTheThreeFieldsInTheirFormats) {
    const auto texts = shown(ext_param_rules(), defaults());
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "  8");
    EXPECT_EQ(texts[1], "    5000.000");
    EXPECT_EQ(texts[2], "    3000.000");
    EXPECT_EQ(ext_param_rules()[0].ctl_id, 1039);
    EXPECT_EQ(ext_param_rules()[1].ctl_id, 1042);
    EXPECT_EQ(ext_param_rules()[2].ctl_id, 1044);
}

TEST(ext_param_dialog, OkStoresAllFieldsOnlyWhenEveryTestPasses) {
    sys_param_t p = defaults();
    std::vector<std::string> texts{"16", "600", "700"};
    EXPECT_EQ(param_dlg_ok(ext_param_rules(), texts, p), nullptr);
    EXPECT_EQ(p.part_max, 16);
    EXPECT_EQ(p.min_vol_prm, 600.0);
    EXPECT_EQ(p.sim_snd_prm, 700.0);

    sys_param_t q = defaults();
    texts = {"16", "600", "499"};
    EXPECT_STREQ(param_dlg_ok(ext_param_rules(), texts, q), "類似音判断用ﾊﾟﾗﾒｰﾀの値が不正です!!　　");
    EXPECT_EQ(q.part_max, 8) << "nothing is stored when a later field fails";
    EXPECT_EQ(q.min_vol_prm, 5000.0);
}

TEST(ext_param_dialog, TheFirstFailingFieldWins) {
    sys_param_t p = defaults();
    std::vector<std::string> texts{"abc", "1", "1"};
    EXPECT_STREQ(param_dlg_ok(ext_param_rules(), texts, p), "音楽パート抽出Max数の値が不正です!!　　");
    texts = {"256", "1000000000", "1"};
    EXPECT_STREQ(param_dlg_ok(ext_param_rules(), texts, p), "最小音量認識ﾊﾟﾗﾒｰﾀの値が不正です!!　　");
    texts = {"1", "999999999", "500"};
    EXPECT_EQ(param_dlg_ok(ext_param_rules(), texts, p), nullptr) << "both range ends are inclusive";
}

TEST(sys_param_dialog, FillsEveryFieldAndKeepsTheTableOrder) {
    const auto rules = sys_param_rules();
    ASSERT_EQ(rules.size(), 13u);
    const int ids[] = {1025, 1026, 1027, 1028, 1029, 1030, 1038, 1031, 1032, 1033, 1034, 1035, 1036};
    for (std::size_t k = 0; k < rules.size(); ++k) EXPECT_EQ(rules[k].ctl_id, ids[k]);
    const auto texts = shown(rules, defaults());
    EXPECT_EQ(texts[0], "  10");
    EXPECT_EQ(texts[2], "1000");
    EXPECT_EQ(texts[4], "12");
    EXPECT_EQ(texts[5], "ＭＳ ゴシック");
    EXPECT_EQ(texts[9], "  355632.475");
    EXPECT_EQ(texts[12], "      32.375");
}

TEST(sys_param_dialog, ReportsEachFieldsMessageInOrder) {
    const auto rules = sys_param_rules();
    const std::vector<std::string> good = shown(rules, defaults());
    const std::pair<std::size_t, const char*> cases[] = {
        {0, "-1"}, {1, "4000"}, {2, "99"}, {3, "4000"}, {4, "5"}, {5, "abcd"},
        {6, "0"}, {7, "499.9"}, {8, "1e9x"},
    };
    for (const auto& [field, bad] : cases) {
        std::vector<std::string> texts = good;
        texts[field] = bad;
        sys_param_t p = defaults();
        const char* msg = param_dlg_ok(rules, texts, p);
        ASSERT_NE(msg, nullptr) << field;
        EXPECT_STREQ(msg, rules[field].message);
        // Every later field broken as well: the earlier message still wins.
        for (std::size_t k = field + 1; k < 9; ++k) texts[k] = "-99999";
        EXPECT_STREQ(param_dlg_ok(rules, texts, p), rules[field].message);
    }
}

TEST(sys_param_dialog, AcceptsWhatTheNextStartWillReplace) {
    // Font size 6 and a 5-byte font name pass the dialog (but not the next load).
    std::vector<std::string> texts = shown(sys_param_rules(), defaults());
    texts[4] = "6";
    texts[5] = "ＡＢ ";  // 5 CP932 bytes
    texts[9] = "abc";
    texts[11] = "500";  // set_prm3 above set_prm2: used as entered
    sys_param_t p = defaults();
    EXPECT_EQ(param_dlg_ok(sys_param_rules(), texts, p), nullptr);
    EXPECT_EQ(p.font_size, 6);
    EXPECT_EQ(std::string(p.font_name), "\x82\x60\x82\x61 ");
    EXPECT_EQ(p.set_prm1, 0.0);
    EXPECT_EQ(p.set_prm3, 500.0);
}

TEST(sys_param_dialog, FontNameLengthCountsCp932Bytes) {
    std::vector<std::string> texts = shown(sys_param_rules(), defaults());
    sys_param_t p = defaults();
    texts[5] = "ＡＢ";  // 4 bytes: too short although it looks like 2 characters
    EXPECT_STREQ(param_dlg_ok(sys_param_rules(), texts, p), "システム使用フォント名称が不正です!!　　");
    texts[5] = std::string(70, 'x');  // cut to 59 bytes, which passes
    EXPECT_EQ(param_dlg_ok(sys_param_rules(), texts, p), nullptr);
    EXPECT_EQ(std::string(p.font_name), std::string(59, 'x'));
}

}  // namespace
