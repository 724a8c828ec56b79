#include "app/gui/ext_param_dlg.h"

#include "app/gui/command_ids.h"

CExtParamDlg::CExtParamDlg(QWidget* parent)
    : param_dlg_base(ext_param_rules(), ext_param_dlg_caption, cmd::IDD_EXT_PARAM, nullptr, parent) {}
