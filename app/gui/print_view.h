// Printing what a view shows: the view is drawn onto the page, scaled to
// fit the printable area with its proportions kept, centred at the top.
#pragma once

class QPrinter;
class QString;
class QWidget;

// Prints one page of view on printer under the job name title. Returns
// false when the printer could not be started.
bool print_view(QWidget* view, QPrinter& printer, const QString& title);
