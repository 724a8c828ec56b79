#include "app/gui/print_view.h"

#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QWidget>

bool print_view(QWidget* view, QPrinter& printer, const QString& title) {
    if (view == nullptr) return false;
    printer.setDocName(title);
    QPainter p;
    if (!p.begin(&printer)) return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect area(0, 0, page.width(), page.height());
    const QSize size = view->size();
    if (size.width() > 0 && size.height() > 0) {
        const double scale = std::min(static_cast<double>(area.width()) / size.width(),
                                      static_cast<double>(area.height()) / size.height());
        const double x = (area.width() - size.width() * scale) / 2.0;
        p.translate(x, 0);
        p.scale(scale, scale);
        view->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    return p.end();
}
