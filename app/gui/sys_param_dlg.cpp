#include "app/gui/sys_param_dlg.h"

#include "app/gui/command_ids.h"

CSysParamDlg::CSysParamDlg(QWidget* parent)
    : param_dlg_base(sys_param_rules(), sys_param_dlg_caption, cmd::IDD_SYS_PARAM, sys_param_closing_message,
                     parent) {}
