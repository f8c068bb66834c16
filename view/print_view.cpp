#include "view/print_view.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "core/file_io.h"
#include "view/viewport.h"

namespace zemba {

namespace {

bool PaintView(QPaintDevice& device, const QPageLayout& layout, int resolution, const QImage& image) {
    QPainter p;
    if (!p.begin(&device)) return false;
    // The painter's origin is the top-left of the printable area.
    const QRect page = layout.paintRectPixels(resolution);
    const PixelRect r = PrintPlacement(image.width(), image.height(), page.width(), page.height());
    p.drawImage(QRect(r.x, r.y, r.width, r.height), image);
    return p.end();
}

}  // namespace

bool PrintViewImage(QPrinter& printer, const QImage& image) {
    if (image.isNull()) return false;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        // Printing to a PDF file: made in memory and committed, so a full
        // disk is a failure and the earlier file stays.
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        {
            QPdfWriter pdf(&buf);
            pdf.setResolution(printer.resolution());
            pdf.setPageLayout(printer.pageLayout());
            pdf.setTitle(printer.docName());
            pdf.setCreator(printer.creator());
            if (!PaintView(pdf, pdf.pageLayout(), pdf.resolution(), image)) return false;
        }
        buf.close();
        const QByteArray name = printer.outputFileName().toLocal8Bit();
        return bool(WriteWholeFile(std::string(name.constData(), static_cast<std::size_t>(name.size())),
                                   bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    return PaintView(printer, printer.pageLayout(), printer.resolution(), image);
}

}  // namespace zemba
