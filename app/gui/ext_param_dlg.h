// CExtParamDlg (resource 140, "抽出パラメータの設定"): the maximum number of
// parts, the minimum-volume and the similar-sound parameters.
#pragma once

#include "app/gui/param_dlg.h"

class CExtParamDlg : public param_dlg_base {
    Q_OBJECT
   public:
    explicit CExtParamDlg(QWidget* parent = nullptr);
};
