#include <filesystem>

#include "tests/document/doc_fixture.h"

namespace {

const char* const spc_names[6] = {"h_dblPrtL_Frq_r", "h_dblPrtL_Frq_i", "h_dblPrtL_Frq_s",
                                  "h_dblPrtR_Frq_r", "h_dblPrtR_Frq_i", "h_dblPrtR_Frq_s"};

double* spc_area(const CTonewarpDoc& d, int t, int k, int i) {
    double* const* tables[6] = {d.h_dblPrtL_Frq_r, d.h_dblPrtL_Frq_i, d.h_dblPrtL_Frq_s,
                                d.h_dblPrtR_Frq_r, d.h_dblPrtR_Frq_i, d.h_dblPrtR_Frq_s};
    return tables[t][spc_idx(k, i)];
}

}  // namespace

using memory_areas = doc_test;

TEST_F(memory_areas, give_the_default_document_two_silent_buffers_of_2560_bytes) {
    doc->set_default_wave();
    EXPECT_TRUE(all_zero(doc->orgn_dt, 2560) && all_zero(doc->mdfy_dt, 2560));
    EXPECT_EQ(doc->frame_count(), 512);
    EXPECT_EQ(live_blocks(), 2);
    doc.reset();  // the document releases what it holds
    EXPECT_EQ(live_blocks(), 0);
}

TEST_F(memory_areas, add_a_part_with_cleared_areas_and_a_quarter_more_waveform) {
    ASSERT_EQ(doc->alloc_temp_area_add(1000), 0);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    EXPECT_EQ(doc->wv_temp_dt_size[0], 1250);
    EXPECT_TRUE(all_zero(doc->h_Mem_wv_temp_dt[0], 1250));
    EXPECT_TRUE(all_zero(doc->h_Mem_msc_prt_inf[0], 393216));
    for (int t = 0; t < 6; ++t)
        for (int i = 0; i < prt_spc_slot_cnt; ++i) {
            ASSERT_NE(spc_area(*doc, t, 0, i), nullptr);
            EXPECT_TRUE(all_zero(spc_area(*doc, t, 0, i), 65536)) << spc_names[t] << i;
        }
    EXPECT_EQ(live_blocks(), 2 + 102);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
}

TEST_F(memory_areas, stop_at_the_parts_limit_and_refuse_empty_requests_silently) {
    EXPECT_EQ(doc->alloc_temp_area_add(0), -1);
    EXPECT_EQ(doc->intPart_Cnt, 0);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
    ASSERT_EQ(sys_param.part_max, 8);
    for (int k = 0; k < 8; ++k) ASSERT_EQ(doc->alloc_temp_area_add(64), 0) << k;
    EXPECT_EQ(doc->alloc_temp_area_add(64), -1);
    EXPECT_EQ(doc->intPart_Cnt, 8);
    EXPECT_EQ(log_lines(), std::vector<std::string>{"<alloc_temp_area_add>  Limit reached !!"});
}

TEST_F(memory_areas, log_each_failed_allocation_and_still_count_the_part) {
    heap_test::fail_nth_alloc(1);  // the info area of part 0
    EXPECT_EQ(doc->alloc_temp_area_add(400), 0);
    EXPECT_EQ(doc->h_Mem_msc_prt_inf[0], nullptr);
    heap_test::reset();
    heap_test::fail_from_alloc(3);  // every spectrum area of part 1
    EXPECT_EQ(doc->alloc_temp_area_add(400), 0);
    heap_test::reset();
    heap_test::fail_nth_alloc(2);  // the waveform of part 2, sized in 64 bits
    EXPECT_EQ(doc->alloc_temp_area_add(2'000'000'000), -1);
    EXPECT_EQ(doc->intPart_Cnt, 3);  // counted, so that its info area is released
    EXPECT_EQ(doc->wv_temp_dt_size[2], 0);
    EXPECT_EQ(spc_area(*doc, 0, 2, 0), nullptr);

    const std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), 104u);
    EXPECT_EQ(lines[0], "<h_Mem_msc_prt_inf[  0] :   393216 Byte> HeapAlloc NG !!");
    for (int i = 0; i < 17; ++i)
        for (int t = 0; t < 6; ++t) {
            char want[80];
            std::snprintf(want, sizeof want, "<%s[  1][%2d] :    65536 Byte> HeapAlloc NG !!", spc_names[t],
                          i);
            EXPECT_EQ(lines[1 + 6 * i + t], want);
        }
    EXPECT_EQ(lines[103], "<h_Mem_wv_temp_dt[  2] : 2500000000 Byte> HeapAlloc NG !!");
    doc->free_temp_area_all();
    EXPECT_EQ(live_blocks(), 0);

    shared_heap = nullptr;  // no heap at all: the part is refused
    doc->intPart_Cnt = 0;
    EXPECT_EQ(doc->alloc_temp_area_add(400), -1);
    shared_heap = get_process_heap();
    EXPECT_EQ(doc->intPart_Cnt, 0);
    EXPECT_EQ(log_lines().back(), "<h_Mem_wv_temp_dt[  0] = 00000000>  Handle Value NG !!");
    EXPECT_EQ(log_lines()[104], "<h_Mem_msc_prt_inf[  0] = 00000000> Handle Value NG !!");
}

TEST_F(memory_areas, release_every_part_area_and_find_only_nulls_the_second_time) {
    EXPECT_EQ(doc->free_temp_area_all(), 0);
    for (int k = 0; k < 3; ++k) ASSERT_EQ(doc->alloc_temp_area_add(4096), 0);
    EXPECT_EQ(doc->free_temp_area_all(), 0);
    EXPECT_EQ(live_blocks(), 0);
    EXPECT_EQ(doc->intPart_Cnt, 3);  // the caller resets it
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(doc->h_Mem_msc_prt_inf[k], nullptr);
        EXPECT_EQ(doc->h_Heap_wv_temp_dt[k], nullptr);
        for (int t = 0; t < 6; ++t) EXPECT_EQ(spc_area(*doc, t, k, 16), nullptr);
    }
    EXPECT_EQ(doc->free_temp_area_all(), 0);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
}

TEST_F(memory_areas, log_failed_frees_and_destroys_and_keep_what_could_not_be_released) {
    doc->set_default_wave();
    ASSERT_EQ(doc->alloc_temp_area_add(64), 0);
    HEAP_HANDLE own = heap_create();  // part 0's waveform moves to a private heap
    ASSERT_TRUE(heap_free(shared_heap, doc->h_Mem_wv_temp_dt[0]));
    doc->h_Mem_wv_temp_dt[0] = static_cast<unsigned char*>(heap_alloc(own, 80));
    doc->h_Heap_wv_temp_dt[0] = own;
    doc->h_Heap_PrtR_Frq_s[spc_idx(0, 3)] = own;  // freed to the wrong heap: fails
    void* info = doc->h_Mem_msc_prt_inf[0];
    void* spc = spc_area(*doc, 5, 0, 3);
    unsigned char* orgn = doc->orgn_dt;

    heap_test::fail_nth_free(1);  // orgn_dt
    doc->free_wave_dt();
    EXPECT_EQ(doc->orgn_dt, orgn);  // kept with its heap after a failed free
    EXPECT_NE(doc->h_Mem_orgn_dt, nullptr);
    EXPECT_EQ(doc->mdfy_dt, nullptr);

    heap_test::fail_nth_free(1);     // the info area
    heap_test::fail_nth_destroy(1);  // the private heap
    doc->free_temp_area_all();
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"<h_Mem_msc_prt_inf[  0]> HeapFree NG_All !!",
                                                     "<h_Mem_wv_temp_dt[  0]> Destroy NG_All !!",
                                                     "<h_dblPrtR_Frq_s[  0][  3]> HeapFree NG_All !!"}));
    EXPECT_EQ(doc->h_Mem_msc_prt_inf[0], nullptr);  // pointers cleared in every case
    EXPECT_EQ(doc->h_Mem_wv_temp_dt[0], nullptr);
    EXPECT_EQ(doc->h_Heap_wv_temp_dt[0], own);  // the heap still exists
    heap_test::reset();
    EXPECT_TRUE(heap_destroy(own));
    EXPECT_TRUE(heap_free(shared_heap, info) && heap_free(shared_heap, spc));
    doc->free_wave_dt();
    EXPECT_EQ(live_blocks(), 0);
}

TEST_F(memory_areas, give_back_solver_areas_left_by_an_unfinished_run_when_destroyed) {
    doc->set_default_wave();
    const auto before = live_blocks();
    doc->h_Mem_CoefMatrix = shared_heap;
    doc->dblCoefMatrix = static_cast<double*>(heap_alloc(shared_heap, 1024 * 1024 * 16));
    doc->dblCC_ValVct = static_cast<double*>(heap_alloc(shared_heap, 1024 * 8));
    doc->dblCC_W_Vct = static_cast<double*>(heap_alloc(shared_heap, 1024 * 8));
    ASSERT_EQ(live_blocks(), before + 3);
    doc.reset();
    EXPECT_EQ(live_blocks(), 0);
}
