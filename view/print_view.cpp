#include "view/print_view.h"

#include <QPainter>
#include <QPrinter>

#include "view/viewport.h"

namespace zemba {

bool PrintViewImage(QPrinter& printer, const QImage& image) {
    if (image.isNull()) return false;
    QPainter p;
    if (!p.begin(&printer)) return false;
    // The painter's origin is the top-left of the printable area.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const PixelRect r = PrintPlacement(image.width(), image.height(), page.width(), page.height());
    p.drawImage(QRect(r.x, r.y, r.width, r.height), image);
    return p.end();
}

}  // namespace zemba
