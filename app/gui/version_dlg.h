// CVersionDlg (resource 100, "ﾊﾞｰｼﾞｮﾝ情報(Tonewarp)"): the program icon, the
// line "Tonewarp Version 1.03" and an OK button.
#pragma once

#include <QDialog>

inline constexpr const char* version_text = "Tonewarp Version 1.03";

class CVersionDlg : public QDialog {
    Q_OBJECT
   public:
    explicit CVersionDlg(QWidget* parent = nullptr);
};
