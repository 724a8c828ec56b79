// The four play buttons on the control line: "→" play, ">>" play from the
// start, "□" stop, "||" pause.
#pragma once

#include "view/draw_ops.h"
#include "view/paint_scene.h"

// Playback flags the buttons show (1 = yes, 2 = no, as kept by playback).
struct play_btn_state {
    int playing = 2;
    int play_mode = 0;  // 1 started with "→", 2 with ">>"
    int paused = 2;
    int btn_pending = 2;  // 1: the stop button shows pressed until the next tick
};

// Each button is a style-2 box over its rectangle: pressed ones green with a
// dark top-left and a white bottom-right edge, released ones light grey with
// the edges the other way round; labels black on the fill.
void draw_play_btn(draw_ctx* dc, const paint_scene& sc, const play_btn_state& ps);
