#include "view/renderer.h"

#include "text/layer_codec.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace zemba {

QColor ColorFromRef(COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

COLORREF RefFromColor(const QColor& c) {
    return static_cast<COLORREF>(c.red()) | (static_cast<COLORREF>(c.green()) << 8) |
           (static_cast<COLORREF>(c.blue()) << 16);
}

QFont FontFromDesc(const FontDesc& d, int height) {
    QFont f(QString::fromLatin1(d.Family.c_str()));
    if (height > 0)
        f.setPixelSize(height);
    else if (d.PointSize > 0)
        f.setPointSize(d.PointSize);
    f.setBold(d.Bold);
    f.setItalic(d.Italic);
    f.setUnderline(d.Underline);
    f.setStrikeOut(d.StrikeOut);
    return f;
}

namespace {

bool IsLineType(int t) { return t == 3 || t == 13 || t == 23; }

int ClampPixel(double v) {
    if (!(v > -kPixelLimit)) return static_cast<int>(-kPixelLimit);
    if (v > kPixelLimit) return static_cast<int>(kPixelLimit);
    return static_cast<int>(v);
}

// Parts that exist: a count beyond the arrays is not walked.
int PartCount(const ShpObj& s) {
    const long long n = std::min<long long>(
        s.NumParts, std::min<long long>(s.Parts.size(), s.PartSizes.size()) - 1);
    return n > 0 ? static_cast<int>(n) : 0;
}

const SymObj& EmptySymObj() {
    static const SymObj s;
    return s;
}

// Paints on the bitmap through the painter of a running redraw when there
// is one (a second painter on the same image would be refused), else opens
// its own.
class CanvasPainter {
public:
    CanvasPainter(QImage& img, QPainter* active) : p_(active) {
        if (!p_) {
            if (img.isNull()) return;
            own_.begin(&img);
            p_ = &own_;
        } else {
            p_->save();
        }
        ok_ = p_->isActive();
    }
    ~CanvasPainter() {
        if (p_ == &own_) {
            if (own_.isActive()) own_.end();
        } else if (p_) {
            p_->restore();
        }
    }
    QPainter* operator->() { return p_; }
    QPainter& operator*() { return *p_; }
    bool ok() const { return ok_; }

private:
    QPainter own_;
    QPainter* p_ = nullptr;
    bool ok_ = false;
};

}  // namespace

MapRenderer::MapRenderer(LayerStore& store, ViewState& view) : store_(store), view_(view) {
    ResetBitmap();
}

void MapRenderer::SetPixelDepth(int bits) { depth_ = bits == 24 ? 24 : 32; }

QImage::Format MapRenderer::Format() const {
    return depth_ == 24 ? QImage::Format_RGB888 : QImage::Format_RGB32;
}

void MapRenderer::ResetBitmap() {
    image_ = QImage(std::max(1, view_.BitmapWidth), std::max(1, view_.BitmapHeight), Format());
    if (!image_.isNull()) image_.fill(ColorFromRef(view_.BackgroundColor));
    pen_ = QPen(Qt::black, 1, Qt::SolidLine);
    brush_ = QBrush(Qt::white, Qt::SolidPattern);
}

void MapRenderer::LayerPointStyle(int index) {
    if (index >= 0 && index <= 5) view_.DrawFigure = index;
}

void MapRenderer::LayerLinePen(int index) {
    static const Qt::PenStyle kStyles[6] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                            Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen};
    if (index >= 0 && index <= 5) pen_.setStyle(kStyles[index]);
}

void MapRenderer::LayerBrushStyle(int index) {
    // 3 rises to the right ("/"), 4 falls to the right ("\").
    static const Qt::BrushStyle kStyles[8] = {
        Qt::SolidPattern,  Qt::HorPattern,   Qt::VerPattern,       Qt::BDiagPattern,
        Qt::FDiagPattern,  Qt::CrossPattern, Qt::DiagCrossPattern, Qt::NoBrush};
    if (index >= 0 && index <= 7) brush_.setStyle(kStyles[index]);
}

void MapRenderer::SetDefaultCanvas(int layer) {
    if (layer < 1 || static_cast<std::size_t>(layer) >= store_.SymLayers.size() ||
        static_cast<std::size_t>(layer) >= store_.ShapeLayers.size())
        return;
    const SymLayer& s = store_.SymLayers[layer];
    curLayer_ = layer;
    pen_.setColor(ColorFromRef(s.LineColor));
    pen_.setWidth(PenWidth(s.LineWidth));
    // A layer without a listed line style (every sixth layer gets -1) draws
    // solid rather than in whatever style the previous layer left behind.
    pen_.setStyle(Qt::SolidLine);
    LayerLinePen(s.LineStyle);
    brush_.setColor(ColorFromRef(s.FillColor));
    const int t = store_.ShapeLayers[layer].ShapeType;
    if ((IsPointType(t) && t != 2) || IsMultiPointType(t))
        LayerPointStyle(s.ShapeStyle);
    else
        LayerBrushStyle(s.ShapeStyle);
}

void MapRenderer::SetEditCanvas(int selector) {
    const COLORREF c = selector <= 0   ? view_.EditingColor
                       : selector == 1 ? view_.EditColor
                                       : view_.HighlightColor;
    pen_ = QPen(ColorFromRef(c), 1, Qt::SolidLine);
    brush_ = QBrush(ColorFromRef(c), Qt::SolidPattern);
}

void MapRenderer::ApplyObjectStyle(QPainter& p, const SymObj& o, bool pointLayer) {
    // A style outside the tables (-1 marks the first class of a symbol
    // classification) draws in the layer's own style, not the last shape's.
    const SymLayer* ls = curLayer_ >= 1 && static_cast<std::size_t>(curLayer_) < store_.SymLayers.size()
                             ? &store_.SymLayers[curLayer_]
                             : nullptr;
    pen_.setColor(ColorFromRef(o.PenColor));
    pen_.setWidth(PenWidth(o.PenWidth));
    LayerLinePen(o.PenStyle < 0 && ls ? ls->LineStyle : o.PenStyle);
    brush_.setColor(ColorFromRef(o.BrushColor));
    const int brush = o.BrushStyle < 0 && ls ? ls->ShapeStyle : o.BrushStyle;
    LayerBrushStyle(brush);
    if (pointLayer) LayerPointStyle(brush);
    if (p.pen() != pen_) p.setPen(pen_);
    if (p.brush() != brush_) p.setBrush(brush_);
}

void MapRenderer::DrawFigureAt(QPainter& p, QPoint c, int figure) {
    const int x = c.x(), y = c.y();
    // Figures are 4 (dots 2) view pixels across, at any detail.
    const int a = 2 * detail_, b = detail_;
    switch (figure) {
        case kFigureBox:
        case kFigureMarkBox:
            p.drawRect(x - a, y - a, 2 * a, 2 * a);
            break;
        case kFigureCircle:
            p.drawEllipse(x - a, y - a, 2 * a, 2 * a);
            break;
        case kFigureTriangle: {
            const QPoint tri[4] = {{x - a, y - a}, {x + a, y - a}, {x, y + a}, {x - a, y - a}};
            p.drawPolygon(tri, 4);
            break;
        }
        case kFigureDot:
            p.drawEllipse(x - b, y - b, 2 * b, 2 * b);
            break;
        case kFigureDotCircle: {
            QColor line = pen_.color(), fill = brush_.color();
            if (curLayer_ >= 1 && static_cast<std::size_t>(curLayer_) < store_.SymLayers.size()) {
                line = ColorFromRef(store_.SymLayers[curLayer_].LineColor);
                fill = ColorFromRef(store_.SymLayers[curLayer_].FillColor);
            }
            pen_.setColor(line);
            brush_.setColor(line);
            p.setPen(pen_);
            p.setBrush(brush_);
            p.drawEllipse(x - a, y - a, 2 * a, 2 * a);
            pen_.setColor(fill);
            brush_.setColor(fill);
            p.setPen(pen_);
            p.setBrush(brush_);
            p.drawEllipse(x - b, y - b, 2 * b, 2 * b);
            brush_.setColor(fill);
            pen_.setColor(line);
            p.setPen(pen_);
            p.setBrush(brush_);
            break;
        }
        case kFigureXBox:
            p.drawRect(x - a, y - a, 2 * a, 2 * a);
            p.drawLine(x - a, y - a, x + a, y + a);
            p.drawLine(x + a, y - a, x - a, y + a);
            break;
        default:
            break;
    }
}

void MapRenderer::DrawRubberFigure(QPoint a, QPoint b) {
    // A figure of no size is not drawn, so that erasing it is a no-op too.
    if (a == b) return;
    CanvasPainter p(image_, active_);
    if (!p.ok()) return;
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->setPen(QPen(Qt::black, 0, Qt::SolidLine));
    p->setBrush(Qt::NoBrush);
    if (view_.DrawFigure == kFigureRubberRect) {
        const QPoint r[5] = {a, {b.x(), a.y()}, b, {a.x(), b.y()}, a};
        p->drawPolyline(r, 5);
    } else if (view_.DrawFigure == kFigureRubberLine) {
        p->drawLine(a, b);
    }
}

void MapRenderer::DrawShape(QPoint p1, QPoint p2, PenMode mode) {
    const int f = view_.DrawFigure;
    if (f == kFigureRubberRect || f == kFigureRubberLine) {
        if (mode == PenMode::NotXor) {
            DrawRubberFigure(p1, p2);
            return;
        }
        CanvasPainter p(image_, active_);
        if (!p.ok()) return;
        p->setPen(pen_);
        p->setBrush(Qt::NoBrush);
        if (f == kFigureRubberRect)
            p->drawRect(QRect(p1, p2).normalized());
        else
            p->drawLine(p1, p2);
        return;
    }
    CanvasPainter p(image_, active_);
    if (!p.ok()) return;
    if (mode == PenMode::NotXor) p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->setPen(pen_);
    p->setBrush(brush_);
    DrawFigureAt(*p, p2, f);
}

void MapRenderer::StartRubberBand(int figure, QPoint p) {
    view_.DrawFigure = figure;
    view_.RubberBandActive = true;
    view_.RubberStart = view_.RubberEnd = {p.x(), p.y()};
}

void MapRenderer::MoveRubberBand(QPoint p) {
    if (!view_.RubberBandActive) return;
    const QPoint a(view_.RubberStart.x, view_.RubberStart.y);
    DrawRubberFigure(a, QPoint(view_.RubberEnd.x, view_.RubberEnd.y));
    view_.RubberEnd = {p.x(), p.y()};
    DrawRubberFigure(a, p);
}

void MapRenderer::EndRubberBand(bool erase) {
    if (view_.RubberBandActive && erase)
        DrawRubberFigure(QPoint(view_.RubberStart.x, view_.RubberStart.y),
                         QPoint(view_.RubberEnd.x, view_.RubberEnd.y));
    view_.DrawFigure = kFigureRubberLine;
    view_.RubberBandActive = false;
}

void MapRenderer::FillBackground(QPainter& p) {
    const int W = image_.width(), H = image_.height();
    if (store_.BaseImageLoaded && !baseImage_.isNull()) {
        p.drawImage(QRect(0, 0, W, H), baseImage_);
        return;
    }
    int cw = view_.ClientWidth > 0 ? std::min(view_.ClientWidth, W) : W;
    int ch = view_.ClientHeight > 0 ? std::min(view_.ClientHeight, H) : H;
    // Through the painter: QImage::fill on a 24-bit image paints with a
    // painter of its own, which the running one refuses.
    if (cw < W || ch < H) p.fillRect(0, 0, W, H, Qt::white);
    p.fillRect(0, 0, cw, ch, ColorFromRef(view_.BackgroundColor));
}

int MapRenderer::AppendPart(const ShpObj& s, int part, std::size_t at, PixelBox& box) {
    if (part < 1 || static_cast<std::size_t>(part) >= s.Parts.size() ||
        static_cast<std::size_t>(part) >= s.PartSizes.size())
        return 0;
    const PointArray& pts = s.Parts[part].Pts;
    int cnt = s.PartSizes[part];
    if (pts.empty() || cnt <= 0) return 0;
    cnt = std::min<long long>(cnt, static_cast<long long>(pts.size()) - 1);
    if (cnt <= 0) return 0;
    // Room for the part and the two extra points a ring of a polygon may add.
    if (buf_.size() < at + static_cast<std::size_t>(cnt) + 2) buf_.resize(at + static_cast<std::size_t>(cnt) + 2);

    const double offX = store_.MapXOffset, offY = store_.MapYOffset;
    const double scale = view_.ViewScale;
    const double hm1 = view_.BitmapHeight - 1;
    const PointXY* src = pts.data() + 1;
    QPoint* dst = buf_.data() + at;
    // Consecutive vertices on the same pixel add nothing to the figure; at
    // small scales they are most of a dense layer, so they are dropped.
    int n = 0;
    int lastX = INT32_MIN, lastY = INT32_MIN;
    for (int j = 0; j < cnt; ++j) {
        const int x = ClampPixel((src[j].X + offX) / scale);
        const int y = ClampPixel(hm1 - (src[j].Y + offY) / scale);
        if (x == lastX && y == lastY) continue;
        lastX = x;
        lastY = y;
        dst[n].setX(x);
        dst[n].setY(y);
        ++n;
        box.minX = std::min(box.minX, x);
        box.maxX = std::max(box.maxX, x);
        box.minY = std::min(box.minY, y);
        box.maxY = std::max(box.maxY, y);
    }
    if (n == 1 && cnt > 1) dst[n++] = dst[0];  // keep a degenerate part a segment
    return n;
}

bool MapRenderer::OutsideBitmap(const PixelBox& box) const {
    const int m = pen_.width() + 2;
    return box.maxX < -m || box.maxY < -m || box.minX > CullWidth() + m || box.minY > CullHeight() + m;
}

void MapRenderer::DrawPart(QPainter& p, const ShpObj& s, int part, bool asLine) {
    PixelBox box;
    const int cnt = AppendPart(s, part, 0, box);
    // Parts wholly outside the bitmap cost nothing to skip.
    if (cnt <= 0 || OutsideBitmap(box)) return;
    if (asLine)
        p.drawPolyline(buf_.data(), cnt);
    else
        p.drawPolygon(buf_.data(), cnt, Qt::OddEvenFill);
}

void MapRenderer::DrawRings(QPainter& p, const ShpObj& s) {
    const int parts = PartCount(s);
    if (parts == 1) {
        DrawPart(p, s, 1, false);
        return;
    }
    // A polygon's rings are one figure filled even-odd, so a hole shows what
    // lies below and an island in it is filled again. The rings go into one
    // polygon, each closed on its first point, joined by connecting segments
    // that are walked back at the end: every connector is crossed twice and
    // adds nothing to the even-odd fill. The outlines are drawn ring by ring.
    PixelBox box;
    rings_.clear();
    std::size_t total = 0;
    for (int k = 1; k <= parts; ++k) {
        const int n = AppendPart(s, k, total, box);
        if (n <= 0) continue;
        std::size_t end = total + static_cast<std::size_t>(n);
        if (buf_[end - 1] != buf_[total]) buf_[end++] = buf_[total];
        rings_.push_back({total, end - total});
        total = end;
    }
    if (rings_.empty() || OutsideBitmap(box)) return;
    if (rings_.size() == 1) {
        p.drawPolygon(buf_.data() + rings_[0].first, static_cast<int>(rings_[0].second), Qt::OddEvenFill);
        return;
    }
    const std::size_t back = rings_.size() - 1;
    if (buf_.size() < total + back) buf_.resize(total + back);
    for (std::size_t r = back; r-- > 0;) buf_[total++] = buf_[rings_[r].first];
    const QPen pen = p.pen();
    const QBrush brush = p.brush();
    if (brush.style() != Qt::NoBrush) {
        p.setPen(Qt::NoPen);
        p.drawPolygon(buf_.data(), static_cast<int>(total), Qt::OddEvenFill);
        p.setPen(pen);
    }
    if (pen.style() != Qt::NoPen) {
        p.setBrush(Qt::NoBrush);
        for (const auto& ring : rings_) p.drawPolyline(buf_.data() + ring.first, static_cast<int>(ring.second));
        p.setBrush(brush);
    }
}

void MapRenderer::DrawPoints(QPainter& p, const ShpObj& s) {
    if (s.Parts.size() < 2) return;
    const PointArray& pts = s.Parts[1].Pts;
    const long long n = std::min<long long>(s.NumPoints, static_cast<long long>(pts.size()) - 1);
    for (long long j = 1; j <= n; ++j) {
        const QPoint c(ClampPixel((pts[j].X + store_.MapXOffset) / view_.ViewScale),
                       ClampPixel((view_.BitmapHeight - 1) - (pts[j].Y + store_.MapYOffset) / view_.ViewScale));
        if (c.x() > -50 && c.y() > -50 && c.x() < CullWidth() + 50 && c.y() < CullHeight() + 50)
            DrawFigureAt(p, c, view_.DrawFigure);
    }
}

void MapRenderer::DrawLabel(QPainter& p, int L, int i) {
    SymLayer& sl = store_.SymLayers[L];
    if (static_cast<std::size_t>(i) >= sl.SymObjs.size()) return;
    SymObj& o = sl.SymObjs[i];
    const ShpObj& s = store_.ShapeLayers[L].Shapes[i];
    double X, Y;
    if (o.LabelPlaced) {
        X = o.LabelX;
        Y = o.LabelY;
    } else {
        X = (s.XMin + s.XMax) / 2;
        Y = (s.YMin + s.YMax) / 2;
        o.LabelX = X;
        o.LabelY = Y;
    }
    if (o.LabelText.empty()) return;
    // Shapes made in the program carry no font of their own: they label
    // with the layer's font, and failing that the program's default.
    const FontDesc* fd = o.LabelFont     ? o.LabelFont.get()
                         : sl.LabelFont  ? sl.LabelFont.get()
                                         : store_.DefaultLabelFont.get();
    FontDesc fallback;
    if (!fd) fd = &fallback;
    int height = o.LabelFontHeight > 0 ? o.LabelFontHeight : 0;
    // At a finer detail the font grows with the bitmap (a point is 96/72
    // pixels on the view bitmap).
    if (detail_ > 1) height = (height > 0 ? height : std::max(1, static_cast<int>(std::lround(fd->PointSize * 96.0 / 72.0)))) * detail_;
    if (!fontValid_ || fontKey_.Family != fd->Family || fontKey_.PointSize != fd->PointSize ||
        fontKey_.Bold != fd->Bold || fontKey_.Italic != fd->Italic ||
        fontKey_.Underline != fd->Underline || fontKey_.StrikeOut != fd->StrikeOut ||
        fontHeight_ != height) {
        font_ = FontFromDesc(*fd, height);
        fontKey_ = *fd;
        fontHeight_ = height;
        fontValid_ = true;
    }
    // The shape's own rotation first: a font shared with other layers must
    // not turn their labels too.
    const double angle = o.LabelRotation != 0 ? o.LabelRotation : fd->Escapement / 10.0;
    const QString text = LayerCodec::For(store_.ShapeLayers[L].CodePage).ToUnicode(o.LabelText);
    const QPoint at(ClampPixel((X + store_.MapXOffset) / view_.ViewScale),
                    ClampPixel((view_.BitmapHeight - 1) - (Y + store_.MapYOffset) / view_.ViewScale));
    if (at.x() < -100000 || at.x() > 100000 || at.y() < -100000 || at.y() > 100000) return;

    const QFontMetrics fm(font_);
    if (view_.SkipOverlappingLabels) {
        QTransform t;
        t.translate(at.x(), at.y());
        if (angle != 0) t.rotate(-angle);
        if (LabelSpaceTaken(t.mapRect(QRect(0, 0, fm.horizontalAdvance(text), fm.height())))) return;
    }
    p.save();
    p.setFont(font_);
    p.translate(at);
    if (angle != 0) p.rotate(-angle);  // escapement turns counter-clockwise
    if (o.LabelBackgrounded)
        p.fillRect(QRect(0, 0, fm.horizontalAdvance(text), fm.height()),
                   ColorFromRef(sl.LabelBackColor));
    p.setPen(ColorFromRef(fd->Color));
    p.drawText(0, fm.ascent(), text);
    p.restore();
}

bool MapRenderer::LabelSpaceTaken(const QRect& box) {
    constexpr int kCell = 64;
    auto cell = [](int v) { return static_cast<long long>(std::floor(v / static_cast<double>(kCell))); };
    const long long x0 = cell(box.left()), x1 = cell(box.right());
    const long long y0 = cell(box.top()), y1 = cell(box.bottom());
    auto key = [](long long x, long long y) { return (x << 32) ^ (y & 0xFFFFFFFFLL); };
    for (long long x = x0; x <= x1; ++x)
        for (long long y = y0; y <= y1; ++y) {
            auto it = labelCells_.find(key(x, y));
            if (it == labelCells_.end()) continue;
            for (int k : it->second)
                if (labelBoxes_[k].intersects(box)) return true;
        }
    const int index = static_cast<int>(labelBoxes_.size());
    labelBoxes_.push_back(box);
    for (long long x = x0; x <= x1; ++x)
        for (long long y = y0; y <= y1; ++y) labelCells_[key(x, y)].push_back(index);
    return false;
}

void MapRenderer::DrawLayer(QPainter& p, int L, Progress& progress) {
    ShpLayer& layer = store_.ShapeLayers[L];
    SymLayer& sym = store_.SymLayers[L];
    const int type = layer.ShapeType;
    const bool pointType = IsPointType(type);
    const bool multiPoint = IsMultiPointType(type);
    const bool lineOrPoly = IsMultiPartType(type);
    if (!pointType && !multiPoint && !lineOrPoly && type != 9) return;

    const bool uniform = sym.Visible == 1;
    const bool labels = sym.Labeled >= 1;
    const long long count = std::min<long long>(layer.NumRecords,
                                                static_cast<long long>(layer.Shapes.size()) - 1);
    if (count <= 0) return;
    const bool asLine = IsLineType(type);

    // Anything a handler run from Pump() changes under us restarts the redraw.
    const ShpLayer* layersData = store_.ShapeLayers.data();
    const ShpObj* shapesData = layer.Shapes.data();
    const std::size_t shapesSize = layer.Shapes.size();
    const SymObj* symData = sym.SymObjs.data();
    const std::size_t symSize = sym.SymObjs.size();

    p.setPen(pen_);
    p.setBrush(brush_);
    long long lastPct = -1;
    for (long long i = 1; i <= count; ++i) {
        const ShpObj& s = layer.Shapes[i];
        const bool haveSym = static_cast<std::size_t>(i) < sym.SymObjs.size();
        const SymObj& o = haveSym ? sym.SymObjs[i] : EmptySymObj();
        if (!layer.IsNullShape(static_cast<std::int32_t>(i))) {
            if (pointType) {
                if (!uniform) ApplyObjectStyle(p, o, true);
                const QPoint c(ClampPixel((s.XMin + store_.MapXOffset) / view_.ViewScale),
                               ClampPixel((view_.BitmapHeight - 1) -
                                          (s.YMin + store_.MapYOffset) / view_.ViewScale));
                if (c.x() > -50 && c.y() > -50 && c.x() < CullWidth() + 50 &&
                    c.y() < CullHeight() + 50)
                    DrawFigureAt(p, c, view_.DrawFigure);
            } else if (multiPoint) {
                if (!uniform) ApplyObjectStyle(p, o, true);
                DrawPoints(p, s);
            } else if (lineOrPoly) {
                if (!uniform) ApplyObjectStyle(p, o, false);
                if (asLine) {
                    const int parts = PartCount(s);
                    for (int k = 1; k <= parts; ++k) DrawPart(p, s, k, true);
                } else {
                    DrawRings(p, s);
                }
            } else {  // mixed layer: each shape by its own type, in its own style
                const int st = s.ShapeType;
                if (st == 1 || st == 2 || st == 3 || st == 5) {
                    ApplyObjectStyle(p, o, st == 1 || st == 2);
                    if ((st == 1 || st == 2) && s.NumParts == 0) {
                        // A point made in a mixed layer has no parts: draw its marker.
                        const QPoint c(
                            ClampPixel((s.XMin + store_.MapXOffset) / view_.ViewScale),
                            ClampPixel((view_.BitmapHeight - 1) -
                                       (s.YMin + store_.MapYOffset) / view_.ViewScale));
                        DrawFigureAt(p, c, view_.DrawFigure);
                    }
                    if (st == 5) {
                        DrawRings(p, s);
                    } else {
                        const int parts = PartCount(s);
                        for (int k = 1; k <= parts; ++k) DrawPart(p, s, k, true);
                    }
                }
            }
        }
        const long long pct = std::llround(static_cast<double>(i) / count * 100.0);
        if (pct != lastPct) {
            progress.SetPosition(pct);
            lastPct = pct;
        }
        progress.Pump();
        if (restart_ || store_.ShapeLayers.data() != layersData ||
            static_cast<std::size_t>(L) >= store_.ShapeLayers.size() ||
            store_.ShapeLayers[L].Shapes.data() != shapesData ||
            store_.ShapeLayers[L].Shapes.size() != shapesSize ||
            static_cast<std::size_t>(L) >= store_.SymLayers.size() ||
            store_.SymLayers[L].SymObjs.data() != symData ||
            store_.SymLayers[L].SymObjs.size() != symSize) {
            restart_ = true;
            return;
        }
    }
    // Labels go on top of the whole layer, so a later shape never covers
    // the label of an earlier one; a deleted shape has none.
    if (!labels) return;
    const long long withStyle = std::min<long long>(count, static_cast<long long>(sym.SymObjs.size()) - 1);
    for (long long i = 1; i <= withStyle; ++i)
        if (!layer.IsNullShape(static_cast<std::int32_t>(i))) DrawLabel(p, L, static_cast<int>(i));
}

void MapRenderer::DVDORedraw(Progress& progress) {
    if (active_) {
        // Asked again from a handler that ran during our own Pump(): start
        // over once the current pass notices.
        restart_ = true;
        return;
    }
    int passes = 0;
    do {
        restart_ = false;
        RedrawOnce(progress);
    } while (restart_ && ++passes < 1000);
    restart_ = false;
}

void MapRenderer::RedrawOnce(Progress& progress) {
    image_ = QImage(std::max(1, view_.BitmapWidth), std::max(1, view_.BitmapHeight), Format());
    if (image_.isNull()) return;  // no memory for it
    UpdateViewScale(store_, view_);
    fontValid_ = false;
    labelBoxes_.clear();
    labelCells_.clear();

    QPainter p(&image_);
    active_ = &p;
    FillBackground(p);
    DrawLayers(p, progress);
    active_ = nullptr;
    p.end();
    progress.SetPosition(0);
}

void MapRenderer::DrawLayers(QPainter& p, Progress& progress) {
    for (int k = 0; k < store_.LayerCount && static_cast<std::size_t>(k) < store_.LayerOrder.size();
         ++k) {
        const int L = store_.LayerOrder[k];
        if (L < 1 || static_cast<std::size_t>(L) >= store_.ShapeLayers.size() ||
            static_cast<std::size_t>(L) >= store_.SymLayers.size())
            continue;
        if (store_.SymLayers[L].Visible < 1) continue;
        progress.SetRange(0, 100);
        progress.SetPosition(0);
        SetDefaultCanvas(L);
        LayerPointStyle(store_.SymLayers[L].ShapeStyle);
        DrawLayer(p, L, progress);
        if (restart_) break;
    }
}

void MapRenderer::DrawMapOnto(QPainter& p, int detail) {
    if (active_) return;
    const KeptMapView kept(store_, view_);
    const ViewState& saved = kept.saved();
    const QPen pen = pen_;
    const QBrush brush = brush_;
    detail_ = std::clamp(detail, 1, 64);
    view_.BitmapWidth = std::max(1, saved.BitmapWidth) * detail_;
    view_.BitmapHeight = std::max(1, saved.BitmapHeight) * detail_;
    UpdateViewScale(store_, view_);
    fontValid_ = false;
    p.save();
    const QRect all(0, 0, view_.BitmapWidth, view_.BitmapHeight);
    if (store_.BaseImageLoaded && !baseImage_.isNull())
        p.drawImage(all, baseImage_);
    else
        p.fillRect(all, ColorFromRef(view_.BackgroundColor));
    NullProgress none;
    active_ = &p;
    DrawLayers(p, none);
    active_ = nullptr;
    p.restore();
    restart_ = false;
    detail_ = 1;
    fontValid_ = false;
    pen_ = pen;
    brush_ = brush;
}

void MapRenderer::DrawShapeGeometry(int layer, const ShpObj& s, int part, bool asLine) {
    if (layer < 1 || static_cast<std::size_t>(layer) >= store_.ShapeLayers.size()) return;
    int type = store_.ShapeLayers[layer].ShapeType;
    if (type == 9) type = s.ShapeType;
    CanvasPainter p(image_, active_);
    if (!p.ok()) return;
    p->setPen(pen_);
    p->setBrush(brush_);
    auto pixel = [&](double X, double Y) {
        return QPoint(ClampPixel((X + store_.MapXOffset) / view_.ViewScale),
                      ClampPixel((view_.BitmapHeight - 1) - (Y + store_.MapYOffset) / view_.ViewScale));
    };
    if (IsPointType(type) || ((type == 1 || type == 2) && s.NumParts == 0)) {
        DrawFigureAt(*p, pixel(s.XMin, s.YMin), view_.DrawFigure);
    } else if (IsMultiPointType(type)) {
        DrawPoints(*p, s);
    } else if (!asLine && part <= 0) {
        DrawRings(*p, s);
    } else {
        const int parts = PartCount(s);
        for (int k = 1; k <= parts; ++k)
            if (part <= 0 || k == part) DrawPart(*p, s, k, asLine);
    }
}

void MapRenderer::DisplayGraphicShape(int layer, int shape, int part, bool shapeSelected) {
    if (layer < 1 || layer > store_.LayerCount ||
        static_cast<std::size_t>(layer) >= store_.ShapeLayers.size())
        return;
    ShpLayer& L = store_.ShapeLayers[layer];
    if (shape < 1 || static_cast<std::size_t>(shape) >= L.Shapes.size()) return;

    // Put the previous selection back in its layer's style.
    const int cl = store_.CurrentLayer, cs = store_.CurrentShape;
    if (shapeSelected && cl >= 1 && static_cast<std::size_t>(cl) < store_.ShapeLayers.size() &&
        cs >= 1 && static_cast<std::size_t>(cs) < store_.ShapeLayers[cl].Shapes.size() &&
        !store_.ShapeLayers[cl].IsNullShape(cs)) {
        SetDefaultCanvas(cl);
        const int t = store_.ShapeLayers[cl].ShapeType;
        DrawShapeGeometry(cl, store_.ShapeLayers[cl].Shapes[cs], part > 0 ? store_.CurrentPart : 0,
                          IsLineType(t) || (t == 9 && store_.ShapeLayers[cl].Shapes[cs].ShapeType != 5));
    }

    if (part > 0) store_.CurrentPart = part;
    store_.CurrentLayer = layer;
    store_.CurrentShape = shape;
    SetEditCanvas(2);

    // The working copy keeps every part, so edits and undo see the whole shape.
    const ShpObj& s = L.Shapes[shape];
    ShpObj copy;
    copy.ShapeType = L.ShapeType;
    copy.RecNum = shape;
    copy.XMin = s.XMin;
    copy.YMin = s.YMin;
    copy.XMax = s.XMax;
    copy.YMax = s.YMax;
    if (IsMultiPartType(L.ShapeType) || L.ShapeType == 9) {
        copy.NumPoints = s.NumPoints;
        copy.NumParts = s.NumParts;
        copy.PartSizes = s.PartSizes;
        copy.Parts = s.Parts;
    } else if (IsMultiPointType(L.ShapeType)) {
        copy.NumPoints = s.NumPoints;
        copy.NumParts = s.NumParts;
        if (s.Parts.size() >= 2) {
            copy.Parts.resize(2);
            copy.Parts[1] = s.Parts[1];
        }
    }
    L.Shapes[0] = std::move(copy);
    if (L.IsNullShape(shape)) return;

    const int t = L.ShapeType;
    DrawShapeGeometry(layer, L.Shapes[shape], part,
                      IsLineType(t) || (t == 9 && L.Shapes[shape].ShapeType != 5));
}

}  // namespace zemba
