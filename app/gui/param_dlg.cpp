#include "app/gui/param_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>
#include <string>
#include <vector>

#include "app/gui/command_ids.h"
#include "app/gui/dlg_buttons.h"
#include "app/gui/message_box.h"
#include "app/sys_param.h"

param_dlg_base::param_dlg_base(std::span<const param_field_rule> rules, const char* caption, int resource,
                               const char* closing_message, QWidget* parent)
    : QDialog(parent), rules_(rules), closing_message_(closing_message) {
    setObjectName(QString("dlg_%1").arg(resource));
    setWindowTitle(QString::fromUtf8(caption));
    setModal(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    const int cell = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    int row = 0;
    for (const param_field_rule& r : rules_) {
        auto* label = new QLabel(QString::fromUtf8(r.label), this);
        label->setObjectName(QString("lbl_%1").arg(r.ctl_id));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString("ctl_%1").arg(r.ctl_id));
        // Wide enough for the shown value; the font name gets a wider field.
        edit->setMinimumWidth(cell * (r.kind == param_kind::font_name ? 32 : 16));
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        edits_.append(edit);
        ++row;
    }

    QDialogButtonBox* buttons = make_ok_cancel_buttons(this);

    auto* outer = new QHBoxLayout(this);
    outer->addLayout(grid, 1);
    outer->addWidget(buttons, 0, Qt::AlignTop);
    setFixedSize(sizeHint());
}

QLineEdit* param_dlg_base::field(int ctl_id) const {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        if (rules_[i].ctl_id == ctl_id) return edits_[static_cast<int>(i)];
    }
    return nullptr;
}

void param_dlg_base::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    if (first_paint_ != 0) return;
    first_paint_ = 1;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        edits_[static_cast<int>(i)]->setText(QString::fromStdString(format_field(rules_[i], sys_param)));
    }
}

void param_dlg_base::accept() {
    std::vector<std::string> texts;
    texts.reserve(edits_.size());
    for (QLineEdit* e : edits_) texts.push_back(e->text().toStdString());
    // A font name the user did not edit keeps its bytes: the field cannot
    // show every CP932 byte string (a lone lead byte becomes U+FFFD), and
    // reading the stand-in back would change the stored name.
    const sys_param_t before = sys_param;
    std::vector<bool> kept(rules_.size(), false);
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        kept[i] = rules_[i].kind == param_kind::font_name &&
                  texts[i] == format_field(rules_[i], before);
    }
    if (const char* failed = param_dlg_ok(rules_, texts, sys_param)) {
        tw_message_box(failed);
        return;
    }
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        if (kept[i]) std::memcpy(sys_param.font_name, before.font_name, sizeof sys_param.font_name);
    }
    if (closing_message_ != nullptr) tw_message_box(closing_message_);
    QDialog::accept();
}
