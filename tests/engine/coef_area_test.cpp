#include "engine/coef_area.h"

#include <gtest/gtest.h>

#include "part_fixture.h"

namespace {

using coef_area = part_test;

TEST_F(coef_area, AllocationAndReleaseTakeAndGiveBackNineBlocksSilently) {
    const auto before = heap_test::live_blocks();
    ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
    EXPECT_EQ(heap_test::live_blocks() - before, 9);
    EXPECT_EQ(free_coef_area(*st, *doc), 0);
    EXPECT_EQ(heap_test::live_blocks(), before);
    EXPECT_EQ(doc->h_Mem_CoefMatrix, nullptr);
    EXPECT_NE(st->err_stop, 1);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
}

TEST_F(coef_area, AllocationFailuresAreLoggedWithTheirSizesAndStopTheRun) {
    heap_test::fail_above_size(N * 8);  // only the 16 MB matrix is too large
    EXPECT_EQ(alloc_coef_area(*st, *doc), -1);
    EXPECT_EQ(st->err_stop, 1);
    free_coef_area(*st, *doc);  // nothing to give back, nothing logged

    heap_test::reset();
    heap_test::fail_nth_alloc(3);  // the second vector; all eight are still tried
    EXPECT_EQ(alloc_coef_area(*st, *doc), -1);
    EXPECT_EQ(doc->dblCC_SttAns, nullptr);
    EXPECT_NE(doc->dblCC_W_Vct, nullptr);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"<h_Mem_CoefMatrix : 16777216 Byte> HeapAlloc NG !!",
                                                     "<計算用ワーク :     8192 Byte> HeapAlloc NG !!"}));
}

TEST_F(coef_area, AFailedReleaseIsLoggedAndTheRestIsStillReleased) {
    ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
    heap_test::fail_nth_free(2);
    free_coef_area(*st, *doc);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_NE(doc->dblCC_SttAns, nullptr);
    EXPECT_EQ(doc->dblCC_NxtAns, nullptr);
    EXPECT_EQ(doc->dblCoefMatrix, nullptr);
    ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
    heap_test::fail_nth_free(9);  // the matrix: it stays, with its heap
    free_coef_area(*st, *doc);
    EXPECT_NE(doc->dblCoefMatrix, nullptr);
    EXPECT_EQ(doc->h_Mem_CoefMatrix, shared_heap);
    EXPECT_EQ(log_lines(),
              (std::vector<std::string>{"<dblCC_SttAns> Free NG !!", "<dblCoefMatrix> Free NG !!"}));
    heap_test::reset();
}

TEST_F(coef_area, CompactionKeepsTheFirstNColumnsAndTheSolveStartsFromTheChannelsActiveParts) {
    ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
    add_part(true, false);
    add_part(false, true);
    add_part();
    coef_fill_start(*st, *doc, 3);
    double* r0 = coef_add_row(*st, *doc, 10.0, 7);
    double* r1 = coef_add_row(*st, *doc, 12.0, 30);
    EXPECT_EQ(r1 - r0, 12);  // row stride 4 × parts
    r0[0] = 2.0, r0[2] = 9.0;
    r1[1] = 3.0, r1[2] = 9.0;  // two rows: the third part's column is dropped
    EXPECT_TRUE(coef_has_row_bin(*doc, 30));
    EXPECT_FALSE(coef_has_row_bin(*doc, 8));
    st->err_stop = 1;  // no step: the result is the start vector
    EXPECT_EQ(coef_compact_and_solve(*st, *doc), 2);
    const double* a = doc->dblCoefMatrix;
    EXPECT_EQ((std::vector<double>(a, a + 5)), (std::vector<double>{2, 0, 0, 3, 0}));
    EXPECT_EQ(doc->dblCC_EndAns[0], 1.0);
    EXPECT_EQ(doc->dblCC_EndAns[1], 0.0);
    st->chnl_slct = 2;
    st->err_stop = 2;
    exec_cg_solve(*st, *doc, 2);
    EXPECT_NEAR(doc->dblCC_EndAns[0], 5.0, 1e-9);
    EXPECT_NEAR(doc->dblCC_EndAns[1], 4.0, 1e-9);
}

TEST_F(coef_area, DumpsAreWrittenWhileTracingWithRowsCutPast400Characters) {
    const double cols[3] = {1.5, -2.25, 0.0};
    EXPECT_EQ(coef_dump_row(3, 42, 1234.56, cols, 3),
              "Coef[  3] : Ptr=  42, Tgt=         1234.6,  Mat=       1.500,       -2.250,        0.000, ");
    const std::vector<double> many(100, 1.0);  // 48 + 25 × 14 = 398 ≤ 400: one column more, then stop
    EXPECT_EQ(coef_dump_row(0, 0, 0.0, many.data(), 100).size(), 48u + 26u * 14u);

    ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
    add_part();
    add_part();
    log_on_flg = 1;
    st->anlz_ptr = st->anlz_ptr_L = 2048;
    st->anlz_ptr_R = 2049;
    coef_fill_start(*st, *doc, 2);
    double* row = coef_add_row(*st, *doc, 8.0, 5);
    row[0] = 2.0, row[1] = 4.0;
    coef_compact_and_solve(*st, *doc);
    const std::string rule(48, '-');
    const std::string zeros = "       0.000,        0.000, ";
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 15u);  // rule, head, 8 fill rows, rule; rule, head, 1 row, rule
    EXPECT_EQ(lines[0], rule);
    EXPECT_EQ(
        lines[1],
        "<update_already_part> 各音楽パートの係数マトリックス(更新前) : intVectSize=  8 intCoefSetCnt=  1 "
        "anlz_ptr=    2048 chnl_slct=1 anlz_ptr_L=    2048, anlz_ptr_R=    2049, ");
    EXPECT_EQ(lines[2], "Coef[  0] : Ptr=   5, Tgt=            8.0,  Mat=       2.000,        4.000, " +
                            zeros + zeros + zeros);
    EXPECT_EQ(lines[3], "Coef[  1] : Ptr=   0, Tgt=            0.0,  Mat=" + zeros + zeros + zeros + zeros);
    EXPECT_EQ(lines[10], rule);
    EXPECT_EQ(lines[12], "<update_already_part> 各音楽パートの係数マトリックス(更新後) : ");
    EXPECT_EQ(lines[13], "Coef[  0] : Ptr=   5, Tgt=            8.0,  Mat=       2.000, ");
    EXPECT_EQ(lines[14], rule);
}

}  // namespace
