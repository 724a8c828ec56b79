// Golden pictures of the recording window: full repaints and values
// repaints of a generated recording with parts, at zooms from 1/4096 to x8,
// scrolled, after the working copy changed, and in frequency mode. Each
// picture is compared by the SHA-256 of its pixels with the one recorded
// from the plain column reduction; any faster painting must reproduce them
// bit for bit.
//
// TW_GOLDEN_PRINT=1 prints the table of hashes as it stands (to record it
// again on purpose); TW_GOLDEN_OUT=dir saves every picture that differs.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QScrollBar>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/gui/command_ids.h"
#include "document/le_bytes.h"
#include "view/input_rules.h"
#include "view/wave_summary.h"
#include "view_fixture.h"

namespace {

constexpr int kFrames = 44100 * 160;
constexpr double kPi = 3.14159265358979323846;

// Deterministic noise in -1 .. 1.
struct noise {
    std::uint32_t s;
    double next() {
        s = s * 1664525u + 1013904223u;
        return static_cast<double>(s >> 8) / 8388608.0 - 1.0;
    }
};

std::int16_t clip16(double v) {
    return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

// The recording: a slowly gliding tone, noise bursts every 3.7 s, a stretch
// of full-scale square wave at 5 s, silence from 30 s to 33 s; the right
// channel a different mix of the same.
std::string golden_wave() {
    std::string s;
    s.reserve(44 + 4 * static_cast<std::size_t>(kFrames));
    auto put = [&s](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    s += "RIFF";
    put(36 + 4u * kFrames, 4);
    s += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(44100, 4);
    put(44100 * 4, 4);
    put(4, 2);
    put(16, 2);
    s += "data";
    put(4u * kFrames, 4);
    noise n{7};
    double ph = 0.0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = i / 44100.0;
        ph += 2 * kPi * (220.0 + 180.0 * std::sin(t * 0.05)) / 44100.0;
        const double env = 0.5 + 0.5 * std::sin(t * 0.7);
        const double burst = std::fmod(t, 3.7) < 0.25 ? 14000.0 * n.next() : 0.0;
        double l = 12000.0 * env * std::sin(ph) + burst;
        double r = 7000.0 * std::sin(3.0 * ph) - 0.5 * burst + 3000.0 * env;
        if (t >= 5.0 && t < 5.2) l = r = (i / 40) % 2 == 0 ? 32767.0 : -32768.0;
        if (t >= 30.0 && t < 33.0) l = r = 0.0;
        put(static_cast<std::uint16_t>(clip16(l)), 2);
        put(static_cast<std::uint16_t>(clip16(r)), 2);
    }
    return s;
}

struct episode {
    int first;  // frame of the recording
    int len;    // the record covers first .. first + len
    int ofs;    // where its samples begin in the part's buffer
};

// Adds a part whose buffer holds cap frames of a decaying tone (period in
// frames, left and right out of phase) with the given records.
void add_golden_part(CTonewarpDoc& doc, CTonewarpView& v, int cap, int period, double amp,
                     const std::vector<episode>& eps, bool expanded) {
    const int k = doc.intPart_Cnt;
    ASSERT_EQ(doc.alloc_temp_area_add(static_cast<std::int64_t>(cap) * 4), 0);
    noise n{static_cast<std::uint32_t>(100 + k)};
    for (int i = 0; i < cap; ++i) {
        const double e = std::exp(-static_cast<double>(i % 50000) / 20000.0);
        const double w = amp * e * std::sin(2 * kPi * i / period) + 500.0 * n.next();
        put_frame_sample(doc.h_Mem_wv_temp_dt[k], i, 0, clip16(w));
        put_frame_sample(doc.h_Mem_wv_temp_dt[k], i, 1, clip16(-0.7 * w));
    }
    for (const episode& e : eps) {
        msc_prt_inf_t& rec = doc.h_Mem_msc_prt_inf[k][doc.intPart_Inf_Cnt[k]++];
        rec.opn_L = rec.opn_R = 1;
        rec.stt_orgn_L = rec.stt_orgn_R = e.first;
        rec.data_cnt_L = rec.data_cnt_R = e.len;
        rec.stt_ofs_L = rec.stt_ofs_R = e.ofs;
    }
    std::snprintf(doc.prt_name[k], 14, "Part_%03d", (k + 1) % 1000);
    note_wave_change(&doc);
    extr_state& ex = v.extr();
    ex.intPart_Cnt = doc.intPart_Cnt;
    ex.prt_disp_flg[k] = expanded ? 1 : 0;
    ex.prt_mix_flg[k] = 1;
}

// Notes: every 2 s, 1.3 s long, their samples one after another in the buffer.
std::vector<episode> notes(int first_sec, int last_sec) {
    std::vector<episode> v;
    int ofs = 0;
    for (int s = first_sec; s < last_sec; s += 2) {
        const int len = 57330;
        v.push_back({s * 44100, len, ofs});
        ofs += len + 1;
    }
    return v;
}

std::string sha_of(const QImage& img) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (int y = 0; y < img.height(); ++y) {
        h.addData(QByteArrayView(reinterpret_cast<const char*>(img.constScanLine(y)), img.width() * 4));
    }
    return h.result().toHex().toStdString();
}

// The pictures as painted by the plain column reduction.
const std::map<std::string, std::string> golden = {
    {"full_1_4096_at_0", "d7ea0bf1c424d006c8ef284bb4fea851acd025c6293544bb03deb3d2cf682255"},
    {"full_1_2048_odd", "a6dd0f94c678d7c2fa0d5dcb04c124b983c7c0f767e7c55b562880d0be9f6a6a"},
    {"full_1_512_odd", "12fcd0e15b9dadcc03ba59f282d40be89fc7d895c0eca02545c467787aa7f1ce"},
    {"full_1_256_end", "f1b7118cb136245261b7be1e53f6e118ddc8c6d33bc46a36d4f3e6215046dbaf"},
    {"full_1_64_odd", "60953e000598009fb6e6ccc9d070c3788eb1a02d91255a3396d244112bd7b9d3"},
    {"full_1_8", "4da0f1bbfdc2f3442bdf90974060c11de3dfdd6a9f01dd92dbfda3543be3a311"},
    {"full_x1_clip", "fee83b0d0d0fca7ca4a3121da369166cff39c89946aeede7c1a62c7d9e34d47b"},
    {"full_x8", "7985a6748df617c3b188faef41bb9df1f0c0bb8a9bf63ae0fcb9ee0191521df2"},
    {"full_1_300_uneven", "0deb53cc4efdc5595ea66b461999098d2474dd5fff074d6672806da9a29cffa9"},
    {"scroll_1_1024_step", "f0d2bd800d5ec6f438081ac0e74f059a62ad340dc3ca8d64a445eaf73cd3707e"},
    {"scroll_1_1024_page", "65a8d4e6fce57875a5a7c5880aa7e17a0f8d8342f3fe07aa1f56c53de08ec35b"},
    {"list_from_part_3_1_4096", "804c1a52e80eab3e5ab904b958fb823d79bea8e1c40da7448a9b95d9749a1707"},
    {"copy_after_centre_cancel", "ad5b4d48da34c89311cf78334f3585c7d33463896143ee98b451ab2117c3cb4b"},
    {"copy_after_mix_without_part_3", "697f4a8d0d1dc2121d6af01c19c8815c27ef9480538cd09ac5d5324df233660c"},
    {"copy_after_mix_without_parts_1_3", "e70eb6a42782c5f69320eebb157fac864335c2b23835c3e71a2f848eb72facb5"},
    {"copy_after_restore", "66ee418ddd4860cc4e1638180bfdee12e20473ba013a9e282cf71d443a970383"},
    {"freq_1_64_level_L", "7dd81ab2b3d641087428aa04d1cd86eb74ee9fba2280e111a6bb9726507c9c2d"},
    {"freq_1_8_difference_R", "b2b7bb60407d331ad59a671c3af0698b6755149be9bd8e21e6593b19b199aac7"},
    {"freq_1_2048_real_L", "d7dc582eb13fd0bdc01bef481cf9888fe3e387584ee3b28b92d382342dd1b456"},
};

struct paint_golden : ::testing::Test {
    static std::unique_ptr<CTonewarpDoc> doc;
    std::unique_ptr<CTonewarpView> view;

    static void SetUpTestSuite() { doc = make_doc(golden_wave()); }
    static void TearDownTestSuite() { doc.reset(); }

    // A 1600 x 1000 view with five parts: notes; overlapping records where
    // the first covering one wins, one with an offset outside the buffer
    // and one of negative length; one record over the whole recording; a
    // collapsed part; and a last one that only shows when the list scrolls.
    void SetUp() override {
        view = make_view(doc.get(), 1600, 1000);
        if (doc->intPart_Cnt == 0) {
            add_golden_part(*doc, *view, 50 * 57331, 100, 9000, notes(1, 101), true);
            add_golden_part(*doc, *view, 3000000, 37, 20000,
                            {{44100 * 10, 44100 * 40, 0},
                             {44100 * 20, 44100 * 10, 2000000},
                             {44100 * 55, 44100 * 5, 3000000},
                             {44100 * 62, -5, 100},
                             {44100 * 54, 44100 * 20, 500000}},
                            true);
            add_golden_part(*doc, *view, kFrames + 1024, 441, 3000, {{0, kFrames, 0}}, true);
            add_golden_part(*doc, *view, 200000, 60, 15000, {{44100 * 3, 150000, 0}}, false);
            add_golden_part(*doc, *view, 500000, 220, 25000, {{44100 * 70, 400000, 7}}, true);
        } else {
            // The parts exist from an earlier test: list them in this view.
            extr_state& ex = view->extr();
            ex.intPart_Cnt = doc->intPart_Cnt;
            for (int k = 0; k < doc->intPart_Cnt; ++k) {
                ex.prt_disp_flg[k] = k == 3 ? 0 : 1;
                ex.prt_mix_flg[k] = 1;
            }
        }
        view->create_part_scroll();
        full_repaint(*view);
    }

    void at(double zoom, int draw_stt) {
        set_zoom(view->disp(), zoom);
        view->disp().draw_stt = draw_stt;
    }

    void expect_golden(const std::string& name) {
        const std::string h = sha_of(view->image());
        if (std::getenv("TW_GOLDEN_PRINT") != nullptr)
            std::printf("    {\"%s\", \"%s\"},\n", name.c_str(), h.c_str());
        const auto it = golden.find(name);
        const bool same = it != golden.end() && it->second == h;
        if (!same) {
            if (const char* dir = std::getenv("TW_GOLDEN_OUT")) {
                QDir().mkpath(dir);
                view->image().save(QString::fromUtf8(dir) + "/" + QString::fromStdString(name) + ".png");
            }
        }
        EXPECT_TRUE(same) << "picture " << name << " differs from the recorded one (" << h << ")";
    }
};
std::unique_ptr<CTonewarpDoc> paint_golden::doc;

TEST_F(paint_golden, FullRepaintsAtEveryKindOfZoomMatchTheRecordedPictures) {
    const struct {
        const char* name;
        double zoom;
        int stt;
    } cases[] = {
        {"full_1_4096_at_0", 1.0 / 4096, 0},       {"full_1_2048_odd", 1.0 / 2048, 1234567},
        {"full_1_512_odd", 1.0 / 512, 431113},     {"full_1_256_end", 1.0 / 256, kFrames - 200000},
        {"full_1_64_odd", 1.0 / 64, 2222221},      {"full_1_8", 1.0 / 8, 44100 * 10 - 3},
        {"full_x1_clip", 1.0, 44100 * 5 - 600},    {"full_x8", 8.0, 44100 * 20 - 50},
        {"full_1_300_uneven", 1.0 / 300.7, 99991},
    };
    for (const auto& c : cases) {
        at(c.zoom, c.stt);
        full_repaint(*view);
        expect_golden(c.name);
    }
}

TEST_F(paint_golden, ValuesRepaintsAfterScrollStepsAndAScrolledListMatch) {
    at(1.0 / 1024, 0);
    full_repaint(*view);
    QScrollBar* bar = view->start_scroll().bar;
    ASSERT_NE(bar, nullptr);
    bar->setValue(1500);
    view->on_scroll(bar, sb_code::line_down, 0);
    expect_golden("scroll_1_1024_step");
    view->on_scroll(bar, sb_code::page_down, 0);
    expect_golden("scroll_1_1024_page");

    at(1.0 / 4096, 44100 * 2);
    view->extr().prt_list_top = 2;
    full_repaint(*view);
    expect_golden("list_from_part_3_1_4096");
}

TEST_F(paint_golden, TheCopyFollowsEveryChangeOfTheWorkingBuffer) {
    at(1.0 / 2048, 44100);
    view->make_cancel_dt();
    expect_golden("copy_after_centre_cancel");
    view->toggle_part_mix(2);  // the mix of the other parts
    expect_golden("copy_after_mix_without_part_3");
    at(1.0 / 128, 44100 * 12);
    view->toggle_part_mix(0);
    expect_golden("copy_after_mix_without_parts_1_3");
    view->restore_copy_dt();
    expect_golden("copy_after_restore");
}

TEST_F(paint_golden, TheFrequencyDisplayMatchesAtTheInitialAndOtherZooms) {
    view->on_command(cmd::ID_DISP_MODE);
    at(1.0 / 64, 44100 * 4 + 77);
    full_repaint(*view);
    expect_golden("freq_1_64_level_L");
    view->spc_sel() = {2, 1, 2};
    at(1.0 / 8, 44100 * 5 - 300);
    view->draw_all_data();
    expect_golden("freq_1_8_difference_R");
    view->spc_sel() = {1, 2, 1};
    at(1.0 / 2048, 0);
    view->draw_all_data();
    expect_golden("freq_1_2048_real_L");
    view->on_command(cmd::ID_DISP_MODE);
}

}  // namespace
