// Shared body of the two parameter dialogs: one label and one edit field per
// row of a field table (app/param_rules.h), OK and Cancel.
//
// The fields stay empty until the dialog's first paint, which fills them
// from sys_param (guarded by the first-paint flag). OK hands the fields'
// texts to param_dlg_ok: the first failing field's message is shown and the
// dialog stays open with nothing stored; otherwise every field is stored at
// once, the closing message (if the dialog has one) is shown, and the
// dialog closes. Cancel stores nothing. Neither writes the settings file.
#pragma once

#include <QDialog>
#include <QList>
#include <span>

#include "app/param_rules.h"

class QLineEdit;

class param_dlg_base : public QDialog {
    Q_OBJECT
   public:
    bool first_painted() const { return first_paint_ != 0; }
    QLineEdit* field(int ctl_id) const;

   protected:
    param_dlg_base(std::span<const param_field_rule> rules, const char* caption, int resource,
                   const char* closing_message, QWidget* parent);

    void paintEvent(QPaintEvent* e) override;

   public slots:
    void accept() override;

   private:
    std::span<const param_field_rule> rules_;
    const char* closing_message_;
    QList<QLineEdit*> edits_;
    int first_paint_ = 0;  // 1 once the fields have been filled
};
