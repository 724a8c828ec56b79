#include "view_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/sys_param.h"
#include "document/byte_stream.h"
#include "document/le_bytes.h"
#include "view/wave_summary.h"

QApplication& test_app() {
    // Every view opens the SDL output (the disk driver in tests); what the
    // views that play nothing would write goes nowhere.
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    static int argc = 1;
    static char name[] = "view_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

std::string make_wave(int frames, std::int16_t (*left)(int), int bits) {
    std::string s;
    auto put = [&s](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    s += "RIFF";
    put(36 + 4u * frames, 4);
    s += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM, 2 channels, 44100 Hz, 4 bytes a frame
    put(2, 2);
    put(44100, 4);
    put(44100 * 4, 4);
    put(4, 2);
    put(static_cast<std::uint32_t>(bits), 2);
    s += "data";
    put(4u * frames, 4);
    for (int i = 0; i < frames; ++i) {
        const std::int16_t v = left != nullptr ? left(i) : 0;
        put(static_cast<std::uint16_t>(v), 2);
        put(static_cast<std::uint16_t>(-v), 2);
    }
    return s;
}

std::unique_ptr<CTonewarpDoc> make_doc(const std::string& wave) {
    set_default_sys_param(sys_param);
    shared_heap = get_process_heap();
    disp_font_size = 12;
    std::memset(disp_font_name, 0, sizeof disp_font_name);
    std::memcpy(disp_font_name, default_font_name_cp932, sizeof default_font_name_cp932);
    auto doc = std::make_unique<CTonewarpDoc>();
    memory_istream in(wave);
    doc->read_wave_file(in);
    return doc;
}

std::unique_ptr<CTonewarpView> make_view(CTonewarpDoc* doc, int w, int h) {
    test_app();
    auto v = std::make_unique<CTonewarpView>(doc);
    v->resize(w, h);
    v->show();
    QApplication::processEvents();
    v->repaint();
    return v;
}

void full_repaint(CTonewarpView& v) {
    v.request_full_repaint();
    v.repaint();
    QApplication::processEvents();
}

void add_part(CTonewarpDoc& doc, CTonewarpView& v, int cap, std::int16_t l, std::int16_t r,
              const std::vector<std::pair<int, int>>& episodes) {
    const int k = doc.intPart_Cnt;
    // The document adds a quarter to the requested size.
    ASSERT_EQ(doc.alloc_temp_area_add(static_cast<std::int64_t>(cap) * 4), 0);
    for (int i = 0; i < doc.wv_temp_dt_size[k] / 4; ++i) {
        le_put_i16(doc.h_Mem_wv_temp_dt[k] + 4 * i, l);
        le_put_i16(doc.h_Mem_wv_temp_dt[k] + 4 * i + 2, r);
    }
    int ofs = 0;
    for (const auto& [first, len] : episodes) {
        msc_prt_inf_t& rec = doc.h_Mem_msc_prt_inf[k][doc.intPart_Inf_Cnt[k]++];
        rec.opn_L = rec.opn_R = 1;
        rec.stt_orgn_L = rec.stt_orgn_R = first;
        rec.data_cnt_L = rec.data_cnt_R = len;
        rec.stt_ofs_L = rec.stt_ofs_R = ofs;
        ofs += len + 1;
    }
    std::snprintf(doc.prt_name[k], 14, "Part_%03d", (k + 1) % 1000);
    note_wave_change(&doc);  // the views' summaries of doc are out of date
    extr_state& ex = v.extr();
    ex.intPart_Cnt = doc.intPart_Cnt;
    ex.prt_disp_flg[k] = 1;
    ex.prt_mix_flg[k] = 1;
}
