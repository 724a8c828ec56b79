// The vertical OK / Cancel column every dialog of the program carries, with
// the buttons named after their control ids (ctl_1 and ctl_2) and wired to
// the dialog's accept and reject.
#pragma once

class QDialog;
class QDialogButtonBox;

QDialogButtonBox* make_ok_cancel_buttons(QDialog* dlg);
