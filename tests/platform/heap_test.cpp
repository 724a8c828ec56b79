#include "platform/heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

struct heap_fixture : ::testing::Test {
    void SetUp() override { heap_test::reset(); }
    void TearDown() override { heap_test::reset(); }
};

TEST_F(heap_fixture, AllocationsSucceedAndAreReleasedToTheirHeap) {
    HEAP_HANDLE h = get_process_heap();
    ASSERT_NE(h, nullptr);
    void* a = heap_alloc(h, 100);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(heap_test::live_blocks(), 1);
    EXPECT_TRUE(heap_free(h, a));
    EXPECT_EQ(heap_test::live_blocks(), 0);
    EXPECT_FALSE(heap_free(h, a)) << "a block freed twice is refused, not freed again";
}

TEST_F(heap_fixture, ZeroedBlocksReadAsZerosAndObeyTheSameRules) {
    HEAP_HANDLE h = get_process_heap();
    // A block reused after a dirty one, and a large one from fresh pages.
    void* dirty = heap_alloc(h, 4096);
    ASSERT_NE(dirty, nullptr);
    std::memset(dirty, 0xA5, 4096);
    ASSERT_TRUE(heap_free(h, dirty));
    for (const std::int64_t size : {std::int64_t{4096}, std::int64_t{8} << 20}) {
        auto* p = static_cast<unsigned char*>(heap_alloc_zeroed(h, size));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::count(p, p + size, 0), size) << size;
        EXPECT_TRUE(heap_free(h, p));
    }
    EXPECT_EQ(heap_alloc_zeroed(h, 0), nullptr);
    const std::int64_t calls = heap_test::alloc_calls();
    heap_test::fail_nth_alloc(1);
    EXPECT_EQ(heap_alloc_zeroed(h, 16), nullptr);
    EXPECT_EQ(heap_test::alloc_calls(), calls + 1);  // counted like any allocation
    EXPECT_EQ(heap_test::live_blocks(), 0);
}

TEST_F(heap_fixture, NonPositiveSizesAndNullHeapsNeverAllocate) {
    EXPECT_EQ(heap_alloc(get_process_heap(), 0), nullptr);
    EXPECT_EQ(heap_alloc(get_process_heap(), -5), nullptr);
    EXPECT_EQ(heap_alloc(nullptr, 10), nullptr);
    EXPECT_FALSE(heap_free(nullptr, nullptr));
}

TEST_F(heap_fixture, TheKthAllocationFailsOnlyOnce) {
    HEAP_HANDLE h = get_process_heap();
    heap_test::fail_nth_alloc(2);
    void* a = heap_alloc(h, 8);
    void* b = heap_alloc(h, 8);
    void* c = heap_alloc(h, 8);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_NE(c, nullptr);
    heap_free(h, a);
    heap_free(h, c);
}

TEST_F(heap_fixture, AllocationsFromTheKthOnFail) {
    HEAP_HANDLE h = get_process_heap();
    heap_test::fail_from_alloc(2);
    void* a = heap_alloc(h, 8);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(heap_alloc(h, 8), nullptr);
    EXPECT_EQ(heap_alloc(h, 8), nullptr);
    heap_free(h, a);
}

TEST_F(heap_fixture, AllocationsAboveASizeFail) {
    HEAP_HANDLE h = get_process_heap();
    heap_test::fail_above_size(1000);
    void* ok = heap_alloc(h, 1000);
    EXPECT_NE(ok, nullptr);
    EXPECT_EQ(heap_alloc(h, 1001), nullptr);
    heap_free(h, ok);
}

TEST_F(heap_fixture, SixtyFourBitSizesAreHonoured) {
    // 2^40 bytes cannot be had here; the request must fail cleanly rather
    // than being truncated to a small 32-bit size.
    heap_test::fail_above_size(std::int64_t{1} << 36);
    EXPECT_EQ(heap_alloc(get_process_heap(), std::int64_t{1} << 40), nullptr);
}

TEST_F(heap_fixture, InjectedFreeAndDestroyFailuresKeepTheBlock) {
    HEAP_HANDLE own = heap_create();
    void* a = heap_alloc(own, 16);
    heap_test::fail_nth_free(1);
    EXPECT_FALSE(heap_free(own, a));
    EXPECT_TRUE(heap_free(own, a)) << "the block survived the failed free";
    heap_test::fail_nth_destroy(1);
    EXPECT_FALSE(heap_destroy(own));
    EXPECT_TRUE(heap_destroy(own));
}

TEST_F(heap_fixture, TheProcessHeapIsNeverDestroyedAndCanBeMadeNull) {
    EXPECT_FALSE(heap_destroy(get_process_heap()));
    heap_test::set_null_process_heap(true);
    EXPECT_EQ(get_process_heap(), nullptr);
    heap_test::set_null_process_heap(false);
    EXPECT_NE(get_process_heap(), nullptr);
}

TEST_F(heap_fixture, BlocksOfAnotherHeapAreRefused) {
    HEAP_HANDLE own = heap_create();
    void* a = heap_alloc(get_process_heap(), 8);
    EXPECT_FALSE(heap_free(own, a));
    EXPECT_TRUE(heap_free(get_process_heap(), a));
    EXPECT_TRUE(heap_destroy(own));
}

}  // namespace
