// Document tests run in a fresh directory with the settings loaded as at
// start-up (which takes the heap), no heap failures, and one document.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "document/byte_stream.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "platform/sjis.h"
#include "tests/support/test_dir.h"
#include "tests/support/wave_bytes.h"

class doc_test : public in_test_dir {
   protected:
    void SetUp() override {
        heap_test::reset();
        load_sys_param();
        base_live_ = heap_test::live_blocks();
    }
    void TearDown() override {
        heap_test::reset();
        log_on_flg = 0;
    }

    // The log's lines as UTF-8.
    static std::vector<std::string> log_lines() {
        const std::string text = cp932_to_utf8(read_file_bytes(err_log_file_name));
        std::vector<std::string> lines;
        for (std::size_t pos = 0, e; (e = text.find("\r\n", pos)) != std::string::npos; pos = e + 2)
            lines.push_back(text.substr(pos, e - pos));
        return lines;
    }
    static void read_bytes(CTonewarpDoc& d, const std::string& bytes) {
        memory_istream in(bytes);
        d.read_wave_file(in);
    }
    static std::string bytes_of(const unsigned char* p, std::size_t n) {
        return std::string(reinterpret_cast<const char*>(p), n);
    }
    static bool all_zero(const void* p, std::size_t n) {
        return n == 0 || (*static_cast<const char*>(p) == 0 &&
                          std::memcmp(p, static_cast<const char*>(p) + 1, n - 1) == 0);
    }
    // Heap blocks held now that were not held when the test began.
    std::int64_t live_blocks() const { return heap_test::live_blocks() - base_live_; }

    std::int64_t base_live_ = 0;
    std::unique_ptr<CTonewarpDoc> doc = std::make_unique<CTonewarpDoc>();
};
