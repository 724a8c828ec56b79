// Helpers for the view's widget tests: a Qt application for the offscreen
// platform, WAVE images built in memory, and a view shown and painted once.
#pragma once

#include <QApplication>
#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/gui/message_box.h"
#include "document/tonewarp_doc.h"
#include "view/tonewarp_view.h"

// The one application object of the test process.
QApplication& test_app();

// A 44-byte-header WAVE file of stereo 16-bit frames at 44100 Hz; frame i
// holds (left(i), -left(i)), silence without left. bits other than 16 make
// a file the reader rejects.
std::string make_wave(int frames, std::int16_t (*left)(int) = nullptr, int bits = 16);

// A document read from such a file (settings block and heap prepared).
std::unique_ptr<CTonewarpDoc> make_doc(const std::string& wave);

// A view of w x h pixels over doc, shown and through its first paint.
std::unique_ptr<CTonewarpView> make_view(CTonewarpDoc* doc, int w, int h);

// Collects the texts of the message boxes shown while it lives.
class recording_presenter final : public message_presenter {
   public:
    recording_presenter() : scope_(*this) {}
    void show_message(QWidget*, const QString& caption, const QString& text) override {
        captions.push_back(caption.toStdString());
        texts.push_back(text.toStdString());
    }
    std::vector<std::string> captions;
    std::vector<std::string> texts;

   private:
    scoped_message_presenter scope_;
};

// Has the view run its full repaint and show the result.
void full_repaint(CTonewarpView& v);

// Gives part k of doc a waveform of cap frames holding (l, r) everywhere
// and one info record per {first frame, length} episode (both channels),
// and lists it in the view (expanded, in the mix).
void add_part(CTonewarpDoc& doc, CTonewarpView& v, int cap, std::int16_t l, std::int16_t r,
              const std::vector<std::pair<int, int>>& episodes);

inline QRgb px(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFFu; }
inline QRgb rgb_of(rgb c) { return (static_cast<QRgb>(c.r) << 16) | (c.g << 8) | c.b; }
