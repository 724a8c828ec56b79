// The two sample buffers orgn_dt and mdfy_dt: allocation and release.

#include "app/sys_param.h"
#include "document/tonewarp_doc.h"

namespace {

// Allocates one sample buffer of size bytes from the process-wide heap into
// (buf, heap). A null heap skips the buffer (it stays null, no failure);
// a failed allocation returns false.
bool alloc_one_buffer(unsigned char*& buf, HEAP_HANDLE& heap, std::int64_t size) {
    heap = shared_heap;
    if (heap == nullptr) return true;
    // An empty data chunk still gets a block, so that a document with no
    // frames has both buffers like any other.
    void* p = heap_alloc_zeroed(heap, size > 0 ? size : 1);
    if (p == nullptr) return false;
    buf = static_cast<unsigned char*>(p);
    return true;
}

// Frees one buffer to its heap. Only a successful free clears the pointer
// and releases the heap: the process-wide heap is just forgotten, a private
// one is destroyed (and forgotten only when that succeeds).
void free_one_buffer(unsigned char*& buf, HEAP_HANDLE& heap) {
    if (buf == nullptr) return;
    if (!heap_free(heap, buf)) return;
    buf = nullptr;
    if (heap == shared_heap) {
        heap = nullptr;
    } else if (heap != nullptr && heap_destroy(heap)) {
        heap = nullptr;
    }
}

}  // namespace

int CTonewarpDoc::alloc_wave_dt() {
    const std::int32_t d = data_len();
    if (d < 0) return -1;  // no buffer has a negative size
    // 64-bit: D * 5 overflows 32 bits beyond about 429 MB of data.
    const std::int64_t size = static_cast<std::int64_t>(d) * 5 / 4;
    if (!alloc_one_buffer(orgn_dt, h_Mem_orgn_dt, size)) return -1;
    if (!alloc_one_buffer(mdfy_dt, h_Mem_mdfy_dt, size)) return -1;
    return 0;
}

int CTonewarpDoc::free_wave_dt() {
    free_one_buffer(orgn_dt, h_Mem_orgn_dt);
    free_one_buffer(mdfy_dt, h_Mem_mdfy_dt);
    return 0;
}
