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
    {"full_1_4096_at_0", "96f00612ebcab819ece9d342e9f3827feebe3fb01b38e5d9af6326ab1f140e18"},
    {"full_1_2048_odd", "fee282f6532c9fe09d96e8eb964e1ba23eb07df9ec3722bd112fb68220717907"},
    {"full_1_512_odd", "79a47f1938204dcbeb4613279bb8e7a52592fb373822be9e6b911e3b496f1106"},
    {"full_1_256_end", "07c6fb9bbd87d78ca7ce8f564c2c55dcaba1833ed828d2dbbf4699bf5168357e"},
    {"full_1_64_odd", "150c5fe96c1b512aeb4729d10a07ec91c2e523002787eb74b69edbced0f12c11"},
    {"full_1_8", "d8ec603966073920eaec6595349466879f69a97d333ef52a112378389a9e6c73"},
    {"full_x1_clip", "f146eaf48a162fc807c62391d51a1a70db0e678174bc686ef11bedc18472897b"},
    {"full_x8", "4dda846965daf0effb2181c586bd59d4350d93b155d26d4bca03b9e76a823d2e"},
    {"full_1_300_uneven", "f5f5669ed76186e4ef9cb4849b174a82dc4588b56daff976b6d746e7f2b478ba"},
    {"scroll_1_1024_step", "8ec0637598cdf61bede2c328d1c0399c4f8b7f6faa0eb7b5b683c3f8333ee348"},
    {"scroll_1_1024_page", "e6ad82220d4fe6666c0261761929566fa8eac1e85e86e5fcbb6387c85d9aa903"},
    {"list_from_part_3_1_4096", "56e76326c3ca741ad1907a55c462bc3c80573efd4fc61784735f45abf9b43120"},
    {"copy_after_centre_cancel", "ec83a1d1beaac16b0c73e0a49667358ee8c8563373968e935d1f043ae64cc57b"},
    {"copy_after_mix_without_part_3", "8490a4d642f565884d25fdfbf2a278e510f632fdf39e1252f112b70d1f34dcf2"},
    {"copy_after_mix_without_parts_1_3", "f8a781fb38a5793c436e902572bf5d316b4a05dc1530bcb683b112881417d47f"},
    {"copy_after_restore", "01efe79993b79a29a40b2f98d6b4e4b430a42429ca4a201b2e85c5b28818ecd0"},
    {"freq_1_64_level_L", "7c7b336b6a7388e7000e3cb37e318fb87ba7957b2f923bf41028a3f148cd5fae"},
    {"freq_1_8_difference_R", "872ab992e637f981f3d0a4c549c50b9efedd05a4e8b2ae26b47ebb2a2ff8beb9"},
    {"freq_1_2048_real_L", "721c96d1a7e2ecbbe143e5434cef2512a3f9856f47ace566e42af2c89c144e9c"},
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
