// CSysParamDlg (resource 139, "パラメータ設定"): every field of the settings
// block except the reserved ones. After a successful OK it always tells the
// user that font changes take effect at the next start.
#pragma once

#include "app/gui/param_dlg.h"

class CSysParamDlg : public param_dlg_base {
    Q_OBJECT
   public:
    explicit CSysParamDlg(QWidget* parent = nullptr);
};
