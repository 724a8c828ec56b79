// CPartNameDlg (resource 138, "音源パート名の編集"): renames one part.
//
// It works on a document and a view's part-name buffer: on its first paint
// it shows the buffer's name in the edit field and in the "before" label and
// lists the names of all the document's parts; OK reads the field (at most
// 29 bytes, cut after the 12th), refuses a name another part already has
// ("その名称は既に使用されています!!　　", the dialog stays open), and
// otherwise copies the name into the buffer and closes. Cancel changes
// nothing.
#pragma once

#include <QDialog>

#include "app/gui/active_view.h"

class CTonewarpDoc;
class QLabel;
class QLineEdit;
class QListWidget;

inline constexpr const char* part_name_taken_message = "その名称は既に使用されています!!　　";

class CPartNameDlg : public QDialog {
    Q_OBJECT
   public:
    CPartNameDlg(CTonewarpDoc& doc, part_name_edit& edit, QWidget* parent = nullptr);

    bool first_painted() const { return first_paint_ != 0; }

   public slots:
    void accept() override;

   protected:
    void paintEvent(QPaintEvent* e) override;

   private:
    CTonewarpDoc& doc_;
    part_name_edit& edit_;
    QLineEdit* name_field_;
    QLabel* before_;
    QListWidget* names_;
    int first_paint_ = 0;  // 1 once the controls have been filled
};

// Runs the dialog modally on the active view's document and name buffer
// (active_view.h). Returns QDialog::Rejected without a dialog when no view
// is active.
int run_part_name_dlg(QWidget* parent);
