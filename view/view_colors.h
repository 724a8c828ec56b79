// Colours of the recording view (RGB), shared by the painters and the tests.
#pragma once

#include <cstdint>

struct rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend constexpr bool operator==(rgb a, rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
};

namespace vc {
inline constexpr rgb back{95, 111, 125};      // window background
inline constexpr rgb lt_grey{191, 191, 191};  // ruler and value boxes, background of values
inline constexpr rgb light{255, 255, 255};    // box highlight edge
inline constexpr rgb dark{111, 111, 111};     // box shadow edge
inline constexpr rgb pane{73, 64, 83};        // waveform pane background
inline constexpr rgb wave{255, 255, 0};       // waveform of the original and the copy
inline constexpr rgb part_wave{0, 255, 0};    // waveform of a part
inline constexpr rgb tick{0, 0, 255};         // ruler ticks
inline constexpr rgb zoom_btn{55, 135, 66};   // zoom buttons
inline constexpr rgb zoom_lbl{119, 99, 139};  // "拡大率"
inline constexpr rgb title{141, 122,
                           160};  // "データサイズ", "オリジナル", part titles, copy title before extraction
inline constexpr rgb start_lbl{163, 146, 180};  // "描画開始位置"
inline constexpr rgb under_title{95, 81, 109};  // box under each title
inline constexpr rgb column{159, 159, 159};     // right-hand column boxes and scale boxes
inline constexpr rgb chnl_lbl{46, 18, 128};     // "Left " / "Right" boxes
inline constexpr rgb play_panel{0, 175, 111};   // play-button panel
inline constexpr rgb mix_title{0, 0, 255};      // copy title when parts exist
inline constexpr rgb ext_mark{255, 0, 255};     // extraction start and end marks
inline constexpr rgb clk_cursor{255, 0, 0};     // click cursor, drawn by XOR
inline constexpr rgb restore_btn{255, 255, 0};  // the one-cell function buttons beside the panes
inline constexpr rgb pressed{0, 255, 0};        // a pressed button's fill
inline constexpr rgb black{0, 0, 0};
inline constexpr rgb white{255, 255, 255};
}  // namespace vc
