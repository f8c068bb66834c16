#include "output/page_painter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QBuffer>
#include <algorithm>
#include <cmath>

#include "core/file_io.h"
#include "view/renderer.h"

namespace zemba {
namespace {

constexpr double kUnitsPerInch = 25.4 * kPaperUnitsPerMm;  // 254

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

// A font whose size, on a device of `dpiY`, is its point size in paper units.
QFont PaperFont(const FontDesc& d, double dpiY) {
    QFont f(Latin1(d.Family));
    const double pt = d.PointSize > 0 ? d.PointSize : 8;
    f.setPointSizeF(pt * kUnitsPerInch / std::max(1.0, dpiY));
    f.setBold(d.Bold);
    f.setItalic(d.Italic);
    f.setUnderline(d.Underline);
    f.setStrikeOut(d.StrikeOut);
    return f;
}

// A 254 dpi device: one pixel a paper unit.
const QImage& PaperDevice() {
    static const QImage img = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(10000);
        i.setDotsPerMeterY(10000);
        return i;
    }();
    return img;
}

QRectF Box(const PaperRect& r) { return QRectF(r.left, r.top, r.width, r.height); }

void PaintMap(QPainter& p, const PaperRect& r, const MapSource& map) {
    if (r.width <= 0 || r.height <= 0 || map.width <= 0 || map.height <= 0 || !map.draw) return;
    // Fine enough for the device: a bitmap pixel no larger than a device pixel.
    const double deviceWidth = r.width * std::abs(p.worldTransform().m11());
    const int detail = std::clamp(static_cast<int>(std::ceil(deviceWidth / map.width)), 1, 16);
    p.save();
    p.setClipRect(Box(r));
    p.translate(r.left, r.top);
    p.scale(static_cast<double>(r.width) / (map.width * detail), static_cast<double>(r.height) / (map.height * detail));
    map.draw(p, detail);
    p.restore();
}

void PaintScaleBar(QPainter& p, const PaperRect& r, double metresPerUnit, const QFont& base, double dpiY) {
    const ScaleBarSpec s = MakeScaleBar(metresPerUnit, r.width * 9 / 10);
    FontDesc fd;
    fd.Family = base.family().toStdString();
    fd.PointSize = std::max(4, static_cast<int>(r.height * 0.3 / kUnitsPerInch * 72));
    const QFont font = PaperFont(fd, dpiY);
    p.save();
    p.setFont(font);
    p.setPen(QPen(Qt::black, 2));
    const QFontMetricsF fm(font, p.device());
    if (!s.ok) {
        p.drawText(Box(r), Qt::AlignCenter, "Scale not known");
        p.restore();
        return;
    }
    const double barH = r.height * 0.3;
    const double x0 = r.left + (r.width - s.lengthUnits) / 2.0, y0 = r.top + r.height * 0.15;
    const double seg = static_cast<double>(s.lengthUnits) / s.segments;
    for (int k = 0; k < s.segments; ++k) {
        p.setBrush(k % 2 == 0 ? Qt::black : Qt::white);
        p.drawRect(QRectF(x0 + k * seg, y0, seg, barH));
    }
    const double ty = y0 + barH + fm.ascent() + r.height * 0.05;
    p.drawText(QPointF(x0 - fm.horizontalAdvance("0") / 2, ty), "0");
    const QString label = QString::fromStdString(s.label);
    p.drawText(QPointF(x0 + s.lengthUnits - fm.horizontalAdvance(label) / 2, ty), label);
    p.restore();
}

void PaintNorthArrow(QPainter& p, const PaperRect& r, double dpiY) {
    FontDesc fd;
    fd.Family = "Arial";
    fd.Bold = true;
    fd.PointSize = std::max(4, static_cast<int>(std::min(r.width, r.height) * 0.35 / kUnitsPerInch * 72));
    const QFont font = PaperFont(fd, dpiY);
    const QFontMetricsF fm(font, p.device());
    p.save();
    p.setFont(font);
    p.setPen(QPen(Qt::black, 2));
    const double cx = r.left + r.width / 2.0;
    const double textH = fm.height();
    p.drawText(QRectF(r.left, r.top, r.width, textH), Qt::AlignHCenter | Qt::AlignTop, "N");
    const double top = r.top + textH, bottom = r.top + r.height, half = r.width * 0.3;
    const double mid = bottom - (bottom - top) * 0.3;
    QPainterPath left, right;
    left.moveTo(cx, top);
    left.lineTo(cx - half, bottom);
    left.lineTo(cx, mid);
    left.closeSubpath();
    right.moveTo(cx, top);
    right.lineTo(cx + half, bottom);
    right.lineTo(cx, mid);
    right.closeSubpath();
    p.setBrush(Qt::black);
    p.drawPath(left);
    p.setBrush(Qt::white);
    p.drawPath(right);
    p.restore();
}

}  // namespace

void QtTextMeasurer::Measure(const FontDesc& font, const std::string& line, double& w, double& h) {
    const QFontMetricsF fm(PaperFont(font, PaperDevice().logicalDpiY()), &PaperDevice());
    w = fm.horizontalAdvance(Latin1(line));
    h = fm.height();
}

void PaintPage(QPainter& p, const Page& page, const MapSource& map, std::vector<std::string>* failures) {
    const double dpiY = p.device() ? p.device()->logicalDpiY() : 96;
    QFont font = PaperFont(*MapProject::LegendFont(), dpiY);
    QColor textColor = Qt::black;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const PageCommand& c : page.Commands) {
        switch (c.kind) {
            case PageCommand::Kind::Brush:
                p.setBrush(QBrush(ColorFromRef(c.color), c.brushStyle == 1 ? Qt::SolidPattern : Qt::NoBrush));
                break;
            case PageCommand::Kind::Font:
                font = PaperFont(c.font, dpiY);
                textColor = ColorFromRef(c.font.Color);
                break;
            case PageCommand::Kind::Text: {
                p.setFont(font);
                p.setPen(textColor);
                const QFontMetricsF fm(font, p.device());
                p.drawText(QPointF(c.rect.left, c.rect.top + fm.ascent()), Latin1(c.text));
                break;
            }
            case PageCommand::Kind::Picture: {
                QImageReader reader(QFile::decodeName(c.text.c_str()));
                const QImage img = reader.read();
                if (img.isNull()) {
                    if (failures) failures->push_back(c.text + ": " + reader.errorString().toStdString());
                    break;
                }
                p.drawImage(Box(c.rect), img);
                break;
            }
            case PageCommand::Kind::Map:
                PaintMap(p, c.rect, map);
                break;
            case PageCommand::Kind::ScaleBar:
                PaintScaleBar(p, c.rect, page.MapMetresPerUnit, font, dpiY);
                break;
            case PageCommand::Kind::NorthArrow:
                PaintNorthArrow(p, c.rect, dpiY);
                break;
        }
    }
    p.restore();
}

QImage RenderPageImage(const Page& page, const MapSource& map, double zoom, double dpi,
                       std::vector<std::string>* failures) {
    const double pxPerUnit = dpi / kUnitsPerInch * zoom / 100.0;
    const int w = std::max(1, static_cast<int>(std::lround(page.WidthUnits() * pxPerUnit)));
    const int h = std::max(1, static_cast<int>(std::lround(page.HeightUnits() * pxPerUnit)));
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull()) return img;
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    QPainter p(&img);
    p.scale(pxPerUnit, pxPerUnit);
    PaintPage(p, page, map, failures);
    return img;
}

Result WritePagePdf(const std::string& path, const Page& page, const MapSource& map, const std::string& title,
                    std::vector<std::string>* failures) {
    // Made in memory, then committed: a full disk leaves the earlier PDF.
    QByteArray bytes;
    QBuffer file(&bytes);
    file.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&file);
        constexpr int kResolution = 1200;
        pdf.setResolution(kResolution);
        pdf.setTitle(Latin1(title));
        pdf.setCreator("ZEMBA");
        pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(page.WidthMm, page.HeightMm), QPageSize::Millimeter, QString(),
                                                QPageSize::ExactMatch),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        QPainter p;
        if (!p.begin(&pdf)) return Result::Fail("cannot start the PDF " + path);
        p.scale(kResolution / kUnitsPerInch, kResolution / kUnitsPerInch);
        PaintPage(p, page, map, failures);
        p.end();
    }
    file.close();
    return WriteWholeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

Result PrintPage(QPrinter& printer, const Page& page, const MapSource& map, std::vector<std::string>* failures) {
    printer.setFullPage(true);
    QPainter p;
    if (!p.begin(&printer)) return Result::Fail("the printer could not be started");
    const double s = printer.resolution() / kUnitsPerInch;
    p.scale(s, s);
    PaintPage(p, page, map, failures);
    p.end();
    return Result::Ok();
}

Result PictureSize(const std::string& path, int& width, int& height) {
    QImageReader reader(QFile::decodeName(path.c_str()));
    const QSize s = reader.size();
    if (!s.isValid() || !reader.canRead()) {
        const QString why = reader.errorString();
        return Result::Fail(why.isEmpty() ? "not a picture" : why.toStdString());
    }
    width = s.width();
    height = s.height();
    return Result::Ok();
}

int NextZoom(int zoom, int direction) {
    if (direction > 0) {
        if (zoom >= kZoomMax) return kZoomMax;
        return std::min(kZoomMax, zoom + kZoomStep);
    }
    if (direction < 0) {
        if (zoom == kZoomMax) return (kZoomMax / kZoomStep) * kZoomStep;  // back onto the steps: 550
        return std::max(kZoomMin, zoom - kZoomStep);
    }
    return zoom;
}

}  // namespace zemba
