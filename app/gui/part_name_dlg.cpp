#include "app/gui/part_name_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/gui/command_ids.h"
#include "app/gui/dlg_buttons.h"
#include "app/gui/message_box.h"
#include "app/gui/part_name_rules.h"
#include "document/tonewarp_doc.h"
#include "platform/sjis.h"

namespace {

QString to_qstring(const std::string& cp932) { return QString::fromStdString(cp932_to_utf8(cp932)); }

QLabel* make_label(QWidget* parent, int id, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString("ctl_%1").arg(id));
    return label;
}

// Parts whose names the document holds: intPart_Cnt, kept inside the table.
int part_count(const CTonewarpDoc& doc) { return std::clamp(doc.intPart_Cnt, 0, prt_tbl_cnt); }

}  // namespace

CPartNameDlg::CPartNameDlg(CTonewarpDoc& doc, part_name_edit& edit, QWidget* parent)
    : QDialog(parent), doc_(doc), edit_(edit) {
    setObjectName(QString("dlg_%1").arg(cmd::IDD_PART_NAME));
    setWindowTitle(QString::fromUtf8("音源パート名の編集"));
    setModal(true);

    QLabel* name_label = make_label(this, 1008, "音源パート名(12文字まで) ：");
    name_field_ = new QLineEdit(this);
    name_field_->setObjectName("ctl_1007");
    name_field_->setMinimumWidth(name_field_->fontMetrics().horizontalAdvance(QString(20, QChar('M'))));
    name_label->setBuddy(name_field_);
    QLabel* list_label = make_label(this, 1010, "登録されているパート名");
    names_ = new QListWidget(this);
    names_->setObjectName("ctl_1009");
    QLabel* before_label = make_label(this, 1012, "修正前の名称：");
    before_ = make_label(this, 1011, "________");

    QDialogButtonBox* buttons = make_ok_cancel_buttons(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(before_label, 0, 0);
    grid->addWidget(before_, 0, 1);
    grid->addWidget(name_label, 1, 0);
    grid->addWidget(name_field_, 1, 1);
    grid->addWidget(list_label, 2, 0, 1, 2);
    grid->addWidget(names_, 3, 0, 1, 2);
    grid->addWidget(buttons, 0, 2, 4, 1, Qt::AlignTop);
    setFixedSize(sizeHint().expandedTo(QSize(420, 260)));
}

void CPartNameDlg::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    if (first_paint_ != 0) return;
    first_paint_ = 1;
    const QString name = to_qstring(part_name_of_entry(edit_.name));
    name_field_->setText(name);
    before_->setText(name);
    for (int i = 0; i < part_count(doc_); ++i) {
        names_->addItem(to_qstring(part_name_of_entry(doc_.prt_name[i])));
    }
}

void CPartNameDlg::accept() {
    // A name the user did not edit keeps its bytes: the field cannot show a
    // lone lead byte, and reading its stand-in back would change the name.
    const std::string stored = part_name_of_entry(edit_.name);
    const QString typed = name_field_->text();
    const std::string name = typed == to_qstring(stored) ? stored : cut_part_name(typed.toStdString());
    std::vector<std::string> others;
    for (int i = 0; i < part_count(doc_); ++i) others.push_back(part_name_of_entry(doc_.prt_name[i]));
    if (part_name_taken(name, others, edit_.part_no)) {
        tw_message_box(part_name_taken_message);
        return;
    }
    std::memset(edit_.name, 0, sizeof edit_.name);
    std::memcpy(edit_.name, name.data(), std::min(name.size(), part_name_keep));
    QDialog::accept();
}

int run_part_name_dlg(QWidget* parent) {
    CTonewarpDoc* doc = active_doc();
    part_name_edit* edit = active_part_name_edit();
    if (doc == nullptr || edit == nullptr) return QDialog::Rejected;
    CPartNameDlg dlg(*doc, *edit, parent);
    return dlg.exec();
}
