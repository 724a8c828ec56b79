#include "app/gui/active_view.h"

#include <QPointer>
#include <QWidget>

namespace {

// The pointers are only valid while the view lives; the QPointer notices a
// view that died without unregistering, and the other two go with it.
QPointer<QWidget> view_ptr;
CTonewarpDoc* doc_ptr = nullptr;
part_name_edit* edit_ptr = nullptr;

}  // namespace

void set_active_view(QWidget* view, CTonewarpDoc* doc, part_name_edit* edit) {
    view_ptr = view;
    doc_ptr = view != nullptr ? doc : nullptr;
    edit_ptr = view != nullptr ? edit : nullptr;
}

void clear_active_view(QWidget* view) {
    if (view_ptr == view || view_ptr.isNull()) set_active_view(nullptr, nullptr, nullptr);
}

QWidget* active_view() { return view_ptr.data(); }
CTonewarpDoc* active_doc() { return view_ptr.isNull() ? nullptr : doc_ptr; }
part_name_edit* active_part_name_edit() { return view_ptr.isNull() ? nullptr : edit_ptr; }
