#include "app/gui/status_bar.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTimer>

namespace {

const char* const indicator_texts[] = {"ｶﾅ", "CAP", "NUM", "SCRL"};

// How often the lock keys are read; the windowing system sends no event
// when another application toggles them.
constexpr int indicator_poll_ms = 250;

}  // namespace

tw_status_bar::tw_status_bar(QWidget* parent) : QStatusBar(parent) {
    setObjectName("status_bar");
    setSizeGripEnabled(true);
    for (int i = 0; i < pane_count; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QString("pane_%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setIndent(3);
        panes_[i] = label;
        if (i == 0) {
            label->setMinimumWidth(80);
            addWidget(label, 1);
        } else {
            const QString text = QString::fromUtf8(indicator_texts[i - 1]);
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 14);
            addPermanentWidget(label);
        }
    }
    show_idle();
    source_ = system_lock_key_source();
    poll_ = new QTimer(this);
    connect(poll_, &QTimer::timeout, this, &tw_status_bar::refresh_indicators);
    poll_->start(indicator_poll_ms);
    refresh_indicators();
}

QString tw_status_bar::idle_text() { return QString::fromUtf8("レディ"); }

void tw_status_bar::set_message(const QString& text) { panes_[0]->setText(text); }

void tw_status_bar::show_idle() { set_message(idle_text()); }

QString tw_status_bar::pane_text(int index) const {
    if (index < 0 || index >= pane_count) return {};
    return panes_[index]->text();
}

QLabel* tw_status_bar::pane(int index) const {
    if (index < 0 || index >= pane_count) return nullptr;
    return panes_[index];
}

void tw_status_bar::set_lock_key_source(lock_key_source source) {
    source_ = std::move(source);
    refresh_indicators();
}

void tw_status_bar::refresh_indicators() {
    const lock_key_state s = source_ ? source_() : lock_key_state{};
    const bool on[] = {s.kana, s.caps, s.num, s.scroll};
    for (int i = 1; i < pane_count; ++i) {
        const QString text = on[i - 1] ? QString::fromUtf8(indicator_texts[i - 1]) : QString();
        if (panes_[i]->text() != text) panes_[i]->setText(text);
    }
}
