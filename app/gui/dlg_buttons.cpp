#include "app/gui/dlg_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "app/gui/command_ids.h"

QDialogButtonBox* make_ok_cancel_buttons(QDialog* dlg) {
    auto* buttons = new QDialogButtonBox(Qt::Vertical, dlg);
    QPushButton* ok = buttons->addButton(QString::fromUtf8("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QString::fromUtf8("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QString("ctl_%1").arg(cmd::IDOK));
    cancel->setObjectName(QString("ctl_%1").arg(cmd::IDCANCEL));
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    return buttons;
}
