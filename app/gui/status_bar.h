// The main frame's status bar: exactly five panes, indices 0 .. 4.
//
// Pane 0 holds messages (command prompts while a menu item is highlighted,
// otherwise the idle text); panes 1 .. 4 are the keyboard indicators
// "ｶﾅ", "CAP", "NUM" and "SCRL", showing their text while the lock is on
// and staying blank (but keeping their width) while it is off.
#pragma once

#include <QStatusBar>
#include <QString>
#include <array>

#include "app/gui/lock_keys.h"

class QLabel;
class QTimer;

class tw_status_bar : public QStatusBar {
    Q_OBJECT
   public:
    static constexpr int pane_count = 5;

    explicit tw_status_bar(QWidget* parent = nullptr);

    // Pane 0.
    void set_message(const QString& text);
    void show_idle();
    static QString idle_text();

    QString pane_text(int index) const;
    QLabel* pane(int index) const;

    // Replaces where the lock keys are read from and refreshes at once.
    void set_lock_key_source(lock_key_source source);
    void refresh_indicators();

   private:
    std::array<QLabel*, pane_count> panes_{};
    lock_key_source source_;
    QTimer* poll_ = nullptr;
};
