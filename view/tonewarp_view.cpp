#include "view/tonewarp_view.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/gui/command_ids.h"
#include "app/gui/font_subst.h"
#include "app/gui/main_frame.h"
#include "app/gui/message_box.h"
#include "app/sys_param.h"
#include "document/tonewarp_doc.h"
#include "platform/sjis.h"
#include "view/back_frame.h"
#include "view/extr_control.h"
#include "view/view_control.h"
#include "view/wave_paint.h"
#include "view/wave_summary.h"

namespace {

// Menu texts of the display mode (the extraction texts are in extr_control.h).
constexpr const char* txt_to_freq = "周波数解析表示モード(&M)";
constexpr const char* txt_to_normal = "通常表示モード(&M)";

}  // namespace

CTonewarpView::CTonewarpView(CTonewarpDoc* doc, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      ex_(std::make_unique<extr_state>()),
      lay_(std::make_unique<disp_layout>()),
      sums_(std::make_unique<wave_summary_set>(doc)) {
    ctl_ = std::make_unique<view_control>(*this);
    calc_ext_range();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    timer1_.setInterval(timer1_ms);
    connect(&timer1_, &QTimer::timeout, this, &CTonewarpView::on_timer_tick);
}

CTonewarpView::~CTonewarpView() {
    // Window destruction: timer 1 stops; then the output (and a run cut
    // short), the bars and the bitmaps go.
    if (timer_active_ == 1) {
        timer1_.stop();
        timer_active_ = 2;
    }
    ctl_.reset();
    destroy_part_scroll();
    delete start_bar_.bar;
    start_bar_.bar = nullptr;
    clear_active_view(this);
}

void CTonewarpView::calc_ext_range() { ::calc_ext_range(st_, *ex_, doc_); }

sound_out* CTonewarpView::snd() { return ctl_->playback().output(); }

void CTonewarpView::set_timer1(bool run) {
    if (run) {
        timer1_.start(timer1_ms);
    } else {
        timer1_.stop();
    }
    timer_active_ = run ? 1 : 2;
}

bool CTonewarpView::on_command(int id) {
    if (id == cmd::ID_DISP_MODE) {
        on_disp_mode_cmd();
        return true;
    }
    return ctl_->on_command(id);
}

void CTonewarpView::on_timer_tick() { ctl_->timer_tick(); }

void CTonewarpView::update_menu_texts() {
    auto* frame = qobject_cast<CMainFrame*>(window());
    if (frame == nullptr) return;
    auto set = [frame](int id, const char* text) { frame->set_command_text(id, QString::fromUtf8(text)); };
    set(cmd::ID_EXTRACT, ex_->extr_stat == 2 ? txt_abort : txt_extract);
    set(cmd::ID_EXT_START, st_.stt_mark.set == 1 ? txt_stt_clear : txt_stt_set);
    set(cmd::ID_EXT_END, st_.end_mark.set == 1 ? txt_end_clear : txt_end_set);
    // The display-mode item names the mode it switches to.
    set(cmd::ID_DISP_MODE, st_.disp_mode == disp_mode_freq ? txt_to_normal : txt_to_freq);
}

std::unique_ptr<draw_ctx> CTonewarpView::get_dc() {
    if (image_.isNull()) return nullptr;
    return std::make_unique<draw_ctx>(image_, font_, st_.cw, st_.ch, [this] {
        if (!in_paint_) update();
    });
}

paint_scene CTonewarpView::scene() {
    paint_scene sc{st_, *lay_, doc_, ex_.get(), icons_.get()};
    sc.freq = freq_snapshot();
    sc.sums = sums_.get();
    return sc;
}

void CTonewarpView::set_disp_rect() { ::set_disp_rect(*lay_, st_, ex_->prt_disp_flg); }

void CTonewarpView::place_scroll(view_scroll& sb, const view_rect& r) {
    if (sb.bar == nullptr) return;
    sb.bar->setGeometry(r.left, r.top, std::max(r.width(), 0), std::max(r.height(), 0));
    if (sb.shown != 1) {
        sb.bar->show();
        sb.shown = 1;
    }
    sb.bar->update();
}

void CTonewarpView::draw_back_frame(draw_ctx* dc) {
    if (dc == nullptr) return;
    paint_scene sc = scene();
    draw_back_frame_boxes(dc, sc);
    // 9. Scroll bars: the part list's when it has something to scroll (or
    // the spectrum), the drawing start's unless a run has hidden it.
    if (st_.disp_mode == disp_mode_freq || sc.part_cnt() > 0) place_scroll(part_bar_, lay_->prt_scroll);
    if (ex_->extr_stat == 0) place_scroll(start_bar_, lay_->scroll_line);
    // 10. Play buttons.
    draw_play_btn(dc, sc, play_btns);
    // During a run the scroll line holds the progress bar: whatever paints
    // the frame over it (a full repaint, a change of display mode) puts the
    // bar back at once instead of leaving it grey until the next update.
    if (ex_->extr_stat == 2) ctl_->draw_progress(dc);
}

void CTonewarpView::draw_all_data() {
    auto dc = get_dc();
    if (!dc) return;
    paint_scene sc = scene();
    ::draw_all_data(dc.get(), sc);
}

void CTonewarpView::create_part_scroll() {
    if (part_bar_.bar != nullptr) return;
    part_bar_.bar = new QScrollBar(Qt::Vertical, this);
    part_bar_.bar->setObjectName(QString::number(part_scroll_id));
    part_bar_.bar->setRange(0, scroll_range_max);
    part_bar_.bar->hide();
    part_bar_.shown = 2;
    part_bar_.pos = 0;
    connect_scroll(part_bar_.bar);
}

void CTonewarpView::destroy_part_scroll() {
    delete part_bar_.bar;
    part_bar_.bar = nullptr;
    part_bar_.shown = 2;
}

void CTonewarpView::create_disp_font() {
    install_font_substitutions();
    // Height disp_font_size pixels, width 0 (the face's own), Shift-JIS face name.
    const std::string face =
        cp932_to_utf8(std::string_view(disp_font_name, bounded_strlen(disp_font_name, 80)));
    font_ = QFont(QString::fromStdString(face));
    font_.setStyleStrategy(QFont::PreferDefault);
    int cell_h = 0;
    if (disp_font_size > 0) {
        // A positive height is the whole character cell, ascent plus descent.
        // Qt's pixel size is the em square and each face's cell is taller
        // than that, so take the largest pixel size whose cell fits; the
        // cell itself is then exactly the height asked for.
        int px = disp_font_size;
        font_.setPixelSize(px);
        while (px > 1 && QFontMetrics(font_).height() > disp_font_size) font_.setPixelSize(--px);
        cell_h = disp_font_size;
    } else if (disp_font_size < 0) {
        font_.setPixelSize(-disp_font_size);  // the em height: the cell is the face's own
    }
    const QFontMetrics fm(font_);
    if (cell_h == 0) cell_h = fm.height();
    set_char_cell(st_, fm.averageCharWidth(), cell_h + fm.leading());
    setFont(font_);
}

void CTonewarpView::open_sound_out() {
    // Device 0 with the document's format; a failed open leaves the view silent.
    ctl_->open_output();
}

void CTonewarpView::first_paint_init() {
    st_.W = width();
    st_.H = height();
    image_ = QImage(std::max(st_.W, 1), std::max(st_.H, 1), QImage::Format_RGB32);
    image_.fill(to_qcolor(vc::back));
    st_.data_cnt = doc_ != nullptr ? doc_->frame_count() : 0;
    create_disp_font();
    calc_ruler_dens(st_);
    set_disp_rect();
    icons_ = std::make_unique<part_icons>();
    {
        auto dc = get_dc();
        draw_back_frame(dc.get());
        paint_scene sc = scene();
        ::draw_all_data(dc.get(), sc);
    }
    // Drawing-start scroll bar: created hidden in the scroll line, then shown there.
    start_bar_.bar = new QScrollBar(Qt::Horizontal, this);
    start_bar_.bar->setObjectName(QString::number(start_scroll_id));
    start_bar_.bar->setRange(0, scroll_range_max);
    start_bar_.bar->hide();
    start_bar_.shown = 2;
    connect_scroll(start_bar_.bar);
    place_scroll(start_bar_, lay_->scroll_line);
    open_sound_out();
    init_done_ = true;
    timer1_.start();
    timer_active_ = 1;
    // A rejected file is reported once, as soon as its window first shows.
    if (doc_ != nullptr && doc_->is_bad_file()) post_bad_file_message();
}

void CTonewarpView::post_bad_file_message() {
    // Shown after the paint returns: a modal box must not run inside a paint.
    QTimer::singleShot(0, this, [] { tw_message_box(bad_file_message); });
}

void CTonewarpView::on_draw() {
    if (!init_done_) return;
    st_.W = width();
    st_.H = height();
    if (image_.width() != std::max(st_.W, 1) || image_.height() != std::max(st_.H, 1)) {
        image_ = QImage(std::max(st_.W, 1), std::max(st_.H, 1), QImage::Format_RGB32);
    }
    set_disp_rect();
    auto dc = get_dc();
    draw_back_frame(dc.get());
    paint_scene sc = scene();
    ::draw_all_data(dc.get(), sc);
}

void CTonewarpView::request_full_repaint() {
    full_pending_ = true;
    update();
}

void CTonewarpView::paintEvent(QPaintEvent*) {
    in_paint_ = true;
    if (!init_done_) {
        first_paint_init();
    } else if (full_pending_) {
        full_pending_ = false;
        on_draw();
    }
    in_paint_ = false;
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void CTonewarpView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (init_done_) request_full_repaint();
}

void CTonewarpView::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    set_active_view(this, doc_, &name_edit_);
    update_menu_texts();
}
