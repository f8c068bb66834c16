#include "attributes/print_text.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "core/file_io.h"

namespace zemba {

int PaintPrintJob(const PrintJob& job, QPagedPaintDevice& device, const QFont& font, const LayerCodec& codec) {
    QPainter p;
    if (!p.begin(&device)) return 0;
    QFont f(font, &device);
    p.setFont(f);
    const QFontMetrics fm(f, &device);
    const int lineHeight = std::max(1, fm.lineSpacing());
    const int bottom = p.viewport().height();
    int pages = 1, y = fm.ascent();
    bool first = true;
    for (const auto& page : job.Pages) {
        if (!first) {
            device.newPage();
            ++pages;
            y = fm.ascent();
        }
        first = false;
        for (const std::string& line : page) {
            if (y > bottom) {
                device.newPage();
                ++pages;
                y = fm.ascent();
            }
            p.drawText(0, y, codec.ToUnicode(line));
            y += lineHeight;
        }
    }
    p.end();
    return pages;
}

bool PrintJobToPdf(const PrintJob& job, const std::string& path, const QFont& font, const LayerCodec& codec) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buf);
        pdf.setTitle(codec.ToUnicode(job.Title));
        pdf.setPageOrientation(QPageLayout::Portrait);
        pdf.setResolution(300);
        if (PaintPrintJob(job, pdf, font, codec) <= 0) return false;
    }
    buf.close();
    return bool(WriteWholeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace zemba
