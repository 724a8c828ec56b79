#include "app/gui/placeholder_view.h"

#include <QPainter>

#include "app/gui/active_view.h"
#include "app/gui/doc_template.h"
#include "document/tonewarp_doc.h"

namespace {

// The view's window background.
const QColor background(95, 111, 125);
const QColor panel(191, 191, 191);

}  // namespace

placeholder_view::placeholder_view(doc_entry& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setObjectName("placeholder_view");
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    CTonewarpDoc& d = doc_.doc();
    const std::int32_t frames = d.frame_count();
    d.extr_stt_ptr = 0;
    d.extr_end_ptr = frames - 1;
    d.extr_dt_cnt = frames;
    connect(&doc_, &doc_entry::title_changed, this, [this] { update(); });
}

QString placeholder_view::summary() const {
    const CTonewarpDoc& d = doc_.doc();
    QString text = QString::fromUtf8("%1\n%2 フレーム  %3 Hz  %4 ch  %5 bit")
                       .arg(doc_.title())
                       .arg(d.frame_count())
                       .arg(d.fmt_samples_per_sec())
                       .arg(d.fmt_channels())
                       .arg(d.fmt_bits_per_sample());
    if (d.is_bad_file()) text += QString::fromUtf8("\n読み込んだファイルが不正です!!");
    return text;
}

void placeholder_view::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background);
    const QRect box = rect().adjusted(12, 12, -12, -12);
    const int h = std::min(box.height(), fontMetrics().height() * 5);
    const QRect text_box(box.left(), box.top(), box.width(), h);
    p.fillRect(text_box, panel);
    p.setPen(Qt::white);
    p.drawLine(text_box.topLeft(), text_box.topRight());
    p.drawLine(text_box.topLeft(), text_box.bottomLeft());
    p.setPen(QColor(111, 111, 111));
    p.drawLine(text_box.bottomLeft(), text_box.bottomRight());
    p.drawLine(text_box.topRight(), text_box.bottomRight());
    p.setPen(Qt::black);
    p.drawText(text_box.adjusted(8, 4, -8, -4), Qt::AlignLeft | Qt::AlignVCenter, summary());
}

void placeholder_view::focusInEvent(QFocusEvent* e) {
    set_active_view(this, &doc_.doc(), nullptr);
    QWidget::focusInEvent(e);
}
