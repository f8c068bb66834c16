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
#include <cstdint>
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
    if (r.width <= 0 || r.height <= 0) return;
    if (map.drawPanel) {
        // Drawn for the panel's own size, as fine as the device's pixels.
        const double deviceWidth = r.width * std::abs(p.worldTransform().m11());
        const int detail = std::clamp(static_cast<int>(std::ceil(deviceWidth / r.width)), 1, 16);
        p.save();
        p.setClipRect(Box(r));
        p.translate(r.left, r.top);
        p.scale(1.0 / detail, 1.0 / detail);
        map.drawPanel(p, r.width, r.height, detail);
        p.restore();
        return;
    }
    if (map.width <= 0 || map.height <= 0 || !map.draw) return;
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

QString GridLabel(double v, int units) {
    if (units == 1) {
        // Degrees: whole degrees plainly, finer steps with decimals.
        const double a = std::abs(v);
        QString t = std::abs(a - std::round(a)) < 1e-9 ? QString::number(a, 'f', 0) : QString::number(a, 'g', 6);
        return t + QChar(0xB0);
    }
    return QString::number(v, 'f', 0);
}

// The grid over the map's box, with labels inside the box's edge.
void PaintGrid(QPainter& p, const Page& page, const PaperRect& r, const MapSource& map, double dpiY) {
    if (page.Grid <= 0 || page.Grid != page.MapUnits || !map.extentOf || r.width <= 0 || r.height <= 0) return;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!map.extentOf(r.width, r.height, x0, y0, x1, y1) || !(x1 > x0) || !(y1 > y0)) return;
    const double step = RoundGridStep(std::max(x1 - x0, y1 - y0), 6, page.MapUnits == 1);
    if (!(step > 0)) return;
    FontDesc fd;
    fd.Family = "Arial";
    fd.PointSize = 6;
    const QFont font = PaperFont(fd, dpiY);
    const QFontMetricsF fm(font, p.device());
    p.save();
    p.setClipRect(Box(r));
    p.setFont(font);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.setBrush(Qt::NoBrush);
    auto px = [&](double x) { return r.left + (x - x0) / (x1 - x0) * r.width; };
    auto py = [&](double y) { return r.top + (y1 - y) / (y1 - y0) * r.height; };
    for (double x : GridLines(x0, x1, step)) {
        p.drawLine(QPointF(px(x), r.top), QPointF(px(x), r.bottom()));
        p.drawText(QPointF(px(x) + 6, r.bottom() - 6), GridLabel(x, page.MapUnits));
    }
    for (double y : GridLines(y0, y1, step)) {
        p.drawLine(QPointF(r.left, py(y)), QPointF(r.right(), py(y)));
        p.drawText(QPointF(r.left + 6, py(y) - 6), GridLabel(y, page.MapUnits));
    }
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(Box(r));
    (void)fm;
    p.restore();
}

// The bytes a Windows bitmap's header says it holds, or 0 when the format
// is not one whose size follows from the header.
std::uint64_t BmpExpectedSize(const QByteArray& h) {
    auto u32 = [&](int o) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(h[o])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(h[o + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(h[o + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(h[o + 3])) << 24;
    };
    if (h.size() < 34 || h[0] != 'B' || h[1] != 'M') return 0;
    const std::uint32_t offBits = u32(10), infoSize = u32(14);
    if (infoSize < 40) return 0;
    const std::int64_t w = static_cast<std::int32_t>(u32(18));
    const std::int64_t hgt = static_cast<std::int32_t>(u32(22));
    const int bpp = static_cast<unsigned char>(h[28]) | static_cast<unsigned char>(h[29]) << 8;
    const std::uint32_t compression = u32(30);
    if (compression != 0 && compression != 3) return 0;  // run-length data has no fixed size
    if (w <= 0 || hgt == 0 || bpp <= 0 || bpp > 32) return 0;
    const std::uint64_t row = ((static_cast<std::uint64_t>(w) * bpp + 31) / 32) * 4;
    return offBits + row * static_cast<std::uint64_t>(hgt < 0 ? -hgt : hgt);
}

}  // namespace

double RoundGridStep(double span, int wanted, bool degrees) {
    if (!(span > 0) || !std::isfinite(span) || wanted <= 0) return 0;
    const double raw = span / wanted;
    if (degrees && raw >= 1) {
        // Whole-degree steps a graticule uses.
        for (double n : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0, 60.0, 90.0})
            if (n >= raw) return n;
        return 90;
    }
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double n : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (n * power >= raw) return n * power;
    return 10 * power;
}

std::vector<double> GridLines(double from, double to, double step) {
    std::vector<double> v;
    if (!(step > 0) || !(to > from) || (to - from) / step > 1000) return v;
    for (double x = std::ceil(from / step) * step; x <= to; x += step) v.push_back(std::abs(x) < step * 1e-9 ? 0 : x);
    return v;
}

Result CheckBitmapComplete(const std::string& path) {
    QFile f(QFile::decodeName(path.c_str()));
    if (!f.open(QIODevice::ReadOnly)) return Result::Fail(path + ": " + f.errorString().toStdString());
    const std::uint64_t need = BmpExpectedSize(f.read(64));
    const std::uint64_t have = static_cast<std::uint64_t>(f.size());
    if (need > 0 && have < need)
        return Result::Fail(path + " is cut short: its header promises " + std::to_string(need) + " bytes, the file has " +
                            std::to_string(have));
    return Result::Ok();
}

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
                if (Result whole = CheckBitmapComplete(c.text); !whole) {
                    if (failures) failures->push_back(whole.reason);
                    break;
                }
                QImageReader reader(QFile::decodeName(c.text.c_str()));
                const QImage img = reader.read();
                if (img.isNull()) {
                    if (failures) failures->push_back(c.text + ": " + reader.errorString().toStdString());
                    break;
                }
                // The picture keeps its proportions inside its panel.
                p.drawImage(Box(FitInto(c.rect, img.width(), img.height())), img);
                break;
            }
            case PageCommand::Kind::Map:
                PaintMap(p, c.rect, map);
                PaintGrid(p, page, c.rect, map, dpiY);
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
        pdf.setPageLayout(PageLayoutOf(page));
        QPainter p;
        if (!p.begin(&pdf)) return Result::Fail("cannot start the PDF " + path);
        p.scale(kResolution / kUnitsPerInch, kResolution / kUnitsPerInch);
        PaintPage(p, page, map, failures);
        p.end();
    }
    file.close();
    return WriteWholeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QPageLayout PageLayoutOf(const Page& page) {
    // The sheet is named upright and turned by the orientation: a wider than
    // tall size would be matched back to the upright sheet and cut off.
    const double shortSide = std::min(page.WidthMm, page.HeightMm), longSide = std::max(page.WidthMm, page.HeightMm);
    QPageSize size(QSizeF(shortSide, longSide), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, page.WidthMm > page.HeightMm ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void SetUpPrinterForPage(QPrinter& printer, const Page& page) {
    printer.setFullPage(true);
    printer.setPageLayout(PageLayoutOf(page));
}

bool SheetOfPrinter(const QPrinter& printer, double& widthMm, double& heightMm) {
    const QRectF r = printer.pageLayout().fullRect(QPageLayout::Millimeter);
    if (!(r.width() > 0) || !(r.height() > 0)) return false;
    widthMm = std::round(r.width());
    heightMm = std::round(r.height());
    return true;
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
    if (Result whole = CheckBitmapComplete(path); !whole) return whole;
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
