#include "app/gui/version_dlg.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/command_ids.h"

CVersionDlg::CVersionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QString("dlg_%1").arg(cmd::IDD_ABOUTBOX));
    setWindowTitle(QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報(Tonewarp)"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName("lbl_icon");
    icon->setPixmap(QIcon(":/res/tonewarp.png").pixmap(32, 32));
    auto* text = new QLabel(QString::fromUtf8(version_text), this);
    text->setObjectName("lbl_version");
    auto* ok = new QPushButton(QString::fromUtf8("OK"), this);
    ok->setObjectName(QString("ctl_%1").arg(cmd::IDOK));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 14, 14, 14);
    row->setSpacing(16);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1, Qt::AlignVCenter);
    row->addWidget(ok, 0, Qt::AlignTop);
    setFixedSize(sizeHint().expandedTo(QSize(300, 80)));
}
