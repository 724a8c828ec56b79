// The view that last received the keyboard focus, its document and its
// part-name buffer.
//
// A recording view registers itself here whenever it gets the focus (and
// unregisters when it is destroyed); the part-name dialog and the frame's
// commands work on what is registered. The name buffer is the view's: the
// view puts the edited part's number and current name in it before it opens
// the dialog, and copies the name back into the document after OK.
#pragma once

class QWidget;
class CTonewarpDoc;

struct part_name_edit {
    int part_no = 0;     // the part being renamed (0-based)
    char name[14] = {};  // CP932, NUL-terminated, at most 12 bytes of text
};

void set_active_view(QWidget* view, CTonewarpDoc* doc, part_name_edit* edit);
// Forgets view if it is the registered one.
void clear_active_view(QWidget* view);

QWidget* active_view();
CTonewarpDoc* active_doc();
part_name_edit* active_part_name_edit();
