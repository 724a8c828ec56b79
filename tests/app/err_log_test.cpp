#include <gtest/gtest.h>

#include <filesystem>

#include "app/err_log.h"
#include "tests/app/decimal_comma.h"
#include "tests/support/test_dir.h"

namespace {

using err_log = in_test_dir;

TEST_F(err_log, EachLineIsCp932WithCrLfAndAppendsAcrossCalls) {
    put_err_log("<alloc_temp_area_add>  Limit reached !!");
    put_err_log("確認");
    EXPECT_EQ(read_file_bytes(err_log_file_name),
              "<alloc_temp_area_add>  Limit reached !!\r\n\x8a\x6d\x94\x46\r\n");
}

TEST_F(err_log, AnEmptyTextGivesCrLfAlone) {
    put_err_log("");
    put_err_log(nullptr);
    EXPECT_EQ(read_file_bytes(err_log_file_name), "\r\n\r\n");
}

TEST_F(err_log, TheFileExistsOnlyOnceALineIsWritten) {
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
    put_err_logf("<h_Mem_wv_temp_dt[%3d] : %8ld Byte> HeapAlloc NG !!", 3, 1250L);
    EXPECT_EQ(read_file_bytes(err_log_file_name),
              "<h_Mem_wv_temp_dt[  3] :     1250 Byte> HeapAlloc NG !!\r\n");
}

TEST_F(err_log, LongFormattedLinesAreNotCut) {
    const std::string long_text(2000, 'x');
    put_err_logf("%s", long_text.c_str());
    EXPECT_EQ(read_file_bytes(err_log_file_name), long_text + "\r\n");
}

using comma_locale_log = decimal_comma;

TEST_F(comma_locale_log, FormattedLinesKeepThePointShortOrLong) {
    put_err_logf("dblVolAdd=%10.4f ", 1234.5);
    const std::string pad(600, '-');
    put_err_logf("%s%.2e", pad.c_str(), 0.25);
    EXPECT_EQ(read_file_bytes(err_log_file_name), "dblVolAdd= 1234.5000 \r\n" + pad + "2.50e-01\r\n");
}

TEST_F(err_log, OnlyTheValueOneEnablesTracing) {
    log_on_flg = 1;
    EXPECT_TRUE(log_tracing());
    log_on_flg = 2;
    EXPECT_FALSE(log_tracing());
    log_on_flg = -1;
    EXPECT_FALSE(log_tracing());
    log_on_flg = 0;
}

TEST_F(err_log, AnUnwritableLogDropsTheLineSilently) {
    std::filesystem::create_directory(err_log_file_name);  // a directory cannot be appended to
    EXPECT_EQ(put_err_log("lost"), 0);
}

}  // namespace
