#include "platform/heap.h"

#include <malloc.h>

#include <cstdlib>
#include <mutex>
#include <unordered_set>

struct tw_heap {
    std::unordered_set<void*> blocks;  // every block handed out and not yet freed
};

namespace {

struct heap_failures {
    std::int64_t allocs = 0;
    std::int64_t live = 0;
    std::int64_t alloc_nth = 0;
    std::int64_t alloc_from = 0;
    std::int64_t above = -1;
    std::int64_t frees = 0;
    std::int64_t free_nth = 0;
    std::int64_t destroys = 0;
    std::int64_t destroy_nth = 0;
    bool null_process = false;
};

// The heap is used from the user-interface thread, but tests and the sound
// callback may touch it from others; one mutex keeps the bookkeeping sound.
std::mutex& heap_mutex() {
    static std::mutex m;
    return m;
}

heap_failures& failures() {
    static heap_failures f;
    return f;
}

// Blocks of this size or more are mapped straight from the system and given
// back to it when freed, as a system heap does with large blocks. The C
// library would otherwise raise this limit by itself after the first large
// free and keep later large blocks in its own pool: a program that opens,
// extracts and closes recordings over and over would hold ever more memory.
constexpr int large_block = 1 << 20;

tw_heap& process_heap() {
    static tw_heap* h = [] {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, large_block);
#endif
        return new tw_heap;  // lives for the whole process
    }();
    return *h;
}

}  // namespace

HEAP_HANDLE get_process_heap() {
    std::lock_guard lock(heap_mutex());
    return failures().null_process ? nullptr : &process_heap();
}

HEAP_HANDLE heap_create() { return new tw_heap; }

namespace {

void* alloc_block(HEAP_HANDLE heap, std::int64_t size, bool zeroed) {
    if (heap == nullptr || size <= 0) return nullptr;
    std::lock_guard lock(heap_mutex());
    heap_failures& f = failures();
    const std::int64_t index = ++f.allocs;
    if (f.alloc_nth != 0 && index == f.alloc_nth) return nullptr;
    if (f.alloc_from != 0 && index >= f.alloc_from) return nullptr;
    if (f.above >= 0 && size > f.above) return nullptr;
    if (static_cast<std::uint64_t>(size) > SIZE_MAX) return nullptr;
    void* block =
        zeroed ? std::calloc(1, static_cast<std::size_t>(size)) : std::malloc(static_cast<std::size_t>(size));
    if (block == nullptr) return nullptr;
    heap->blocks.insert(block);
    ++f.live;
    return block;
}

}  // namespace

void* heap_alloc(HEAP_HANDLE heap, std::int64_t size) { return alloc_block(heap, size, false); }

void* heap_alloc_zeroed(HEAP_HANDLE heap, std::int64_t size) { return alloc_block(heap, size, true); }

bool heap_free(HEAP_HANDLE heap, void* block) {
    if (heap == nullptr || block == nullptr) return false;
    std::lock_guard lock(heap_mutex());
    heap_failures& f = failures();
    const std::int64_t index = ++f.frees;
    if (f.free_nth != 0 && index == f.free_nth) return false;
    auto it = heap->blocks.find(block);
    if (it == heap->blocks.end()) return false;
    heap->blocks.erase(it);
    std::free(block);
    --f.live;
    return true;
}

bool heap_destroy(HEAP_HANDLE heap) {
    if (heap == nullptr || heap == &process_heap()) return false;
    {
        std::lock_guard lock(heap_mutex());
        heap_failures& f = failures();
        const std::int64_t index = ++f.destroys;
        if (f.destroy_nth != 0 && index == f.destroy_nth) return false;
        for (void* b : heap->blocks) {
            std::free(b);
            --f.live;
        }
    }
    delete heap;
    return true;
}

namespace heap_test {

std::int64_t alloc_calls() {
    std::lock_guard lock(heap_mutex());
    return failures().allocs;
}

std::int64_t live_blocks() {
    std::lock_guard lock(heap_mutex());
    return failures().live;
}

void fail_nth_alloc(std::int64_t k) {
    std::lock_guard lock(heap_mutex());
    failures().alloc_nth = k == 0 ? 0 : failures().allocs + k;
}

void fail_from_alloc(std::int64_t k) {
    std::lock_guard lock(heap_mutex());
    failures().alloc_from = k == 0 ? 0 : failures().allocs + k;
}

void fail_above_size(std::int64_t size) {
    std::lock_guard lock(heap_mutex());
    failures().above = size;
}

void fail_nth_free(std::int64_t k) {
    std::lock_guard lock(heap_mutex());
    failures().free_nth = k == 0 ? 0 : failures().frees + k;
}

void fail_nth_destroy(std::int64_t k) {
    std::lock_guard lock(heap_mutex());
    failures().destroy_nth = k == 0 ? 0 : failures().destroys + k;
}

void set_null_process_heap(bool on) {
    std::lock_guard lock(heap_mutex());
    failures().null_process = on;
}

void reset() {
    std::lock_guard lock(heap_mutex());
    const std::int64_t live = failures().live;
    failures() = heap_failures{};
    failures().live = live;  // blocks still held stay counted
}

}  // namespace heap_test
