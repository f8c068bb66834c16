// The map bitmap and everything drawn on it: the full redraw of all layers
// (DVDORedraw), point symbols and rubber figures (DrawShape), the selection
// highlight and the canvas pen/brush state that these share.
#pragma once

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <climits>
#include <unordered_map>
#include <utility>
#include <algorithm>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"
#include "view/viewport.h"

class QPainter;

namespace zemba {

// COLORREF (red in the low byte) <-> QColor.
QColor ColorFromRef(COLORREF c);
COLORREF RefFromColor(const QColor& c);

// A core font description as a QFont. `height` > 0 (a label font height) sets
// the pixel size instead of the point size. Escapement is not applied here.
QFont FontFromDesc(const FontDesc& d, int height = 0);

enum class PenMode {
    Copy,    // draw with the pen and brush
    NotXor,  // invert the destination; drawing the same figure twice restores it
};

class MapRenderer {
public:
    // The renderer keeps references; both must outlive it.
    MapRenderer(LayerStore& store, ViewState& view);

    // The current map bitmap (BitmapWidth x BitmapHeight, RGB32 or RGB888).
    const QImage& Image() const { return image_; }
    QImage& Image() { return image_; }

    // Pixel format of new bitmaps: 32 (the default) or 24 bits per pixel.
    void SetPixelDepth(int bits);

    // Makes a fresh bitmap of the view size filled with BackgroundColor, pen
    // black width 1 solid, brush solid (the start-up state).
    void ResetBitmap();

    // The background picture stretched under all layers while
    // store.BaseImageLoaded is set. Setting it does not set the flag.
    void SetBaseImage(const QImage& img) { baseImage_ = img; }
    const QImage& BaseImage() const { return baseImage_; }
    void ClearBaseImage() { baseImage_ = QImage(); }

    // Rebuilds the bitmap and draws every visible layer in LayerOrder.
    // Progress gets 0..100 per layer and Pump() after every shape. Stores
    // the computed position of unplaced labels into LabelX/LabelY.
    void DVDORedraw(Progress& progress);

    // Draws the layers as DVDORedraw does onto `p`, as if the bitmap were
    // `detail` times the view's size over the same extent: the map at
    // print resolution, vector where the device keeps vectors. Pens, point
    // figures and labels grow with `detail`, so the map looks as on screen.
    // The caller's transform maps that bitmap onto its target; nothing is
    // pumped and the view bitmap is untouched.
    void DrawMapOnto(QPainter& p, int detail);

    // Canvas state shared by the drawing operations (like a device context).
    // SetDefaultCanvas(layer): pen colour/width/style and brush colour from
    // the layer's style; DrawFigure (point layers) or brush style (others)
    // from its ShapeStyle.
    void SetDefaultCanvas(int layer);
    // Pen width 1, solid pen and brush in EditingColor (selector <= 0),
    // EditColor (1) or HighlightColor (other).
    void SetEditCanvas(int selector);
    // DrawFigure := index for 0..5, otherwise unchanged.
    void LayerPointStyle(int index);
    // Pen style from the pen style index 0..5 (5 = no pen); others unchanged.
    void LayerLinePen(int index);
    // Brush style from the fill style index 0..7 (7 = no fill); others unchanged.
    void LayerBrushStyle(int index);
    QPen& Pen() { return pen_; }
    QBrush& Brush() { return brush_; }

    // Draws view.DrawFigure on the bitmap: symbols (0..5, 27) at p2, rubber
    // figures (14 rectangle, 26 line) from p1 to p2. Other codes draw nothing.
    void DrawShape(QPoint p1, QPoint p2, PenMode mode);

    // Rubber band of the drag tools. Start: DrawFigure := figure (14 or 26),
    // active, start = end = p. Move: erase the old figure, end := p, draw the
    // new one (both not-xor). End: erase (unless `erase` is false, after the
    // clip tools), DrawFigure := 26, inactive.
    void StartRubberBand(int figure, QPoint p);
    void MoveRubberBand(QPoint p);
    void EndRubberBand(bool erase = true);

    // Highlights shape `shape` of `layer` (only part `part` when > 0) in
    // HighlightColor straight onto the bitmap, after redrawing the previously
    // selected shape in its layer style when `shapeSelected` is set. Makes
    // the shape current (CurrentLayer, CurrentShape, CurrentPart when
    // part > 0) and copies it into Shapes[0], the working copy.
    void DisplayGraphicShape(int layer, int shape, int part, bool shapeSelected);

    // Draws shape `shape` of `layer` with the current canvas (pen mode copy):
    // a point figure, the parts (all, or only `part` when > 0) as polylines
    // (asLine) or polygons, a multipoint point by point. No-op for bad indexes.
    void DrawShapeGeometry(int layer, const ShpObj& s, int part, bool asLine);

private:
    void FillBackground(QPainter& p);
    void DrawLayer(QPainter& p, int L, Progress& progress);
    // Pixel box of what was converted, for culling.
    struct PixelBox {
        int minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
    };
    // Converts part `part` of `s` to pixels into buf_ from index `at`;
    // returns how many (repeated pixels dropped), growing `box`.
    int AppendPart(const ShpObj& s, int part, std::size_t at, PixelBox& box);
    bool OutsideBitmap(const PixelBox& box) const;
    void DrawPart(QPainter& p, const ShpObj& s, int part, bool asLine);
    // Every ring of a polygon as one even-odd figure.
    void DrawRings(QPainter& p, const ShpObj& s);
    // Each point of a multipoint shape with the point figure.
    void DrawPoints(QPainter& p, const ShpObj& s);
    void DrawFigureAt(QPainter& p, QPoint c, int figure);
    void DrawLabel(QPainter& p, int L, int i);
    void ApplyObjectStyle(QPainter& p, const SymObj& o, bool pointLayer);
    void DrawRubberFigure(QPoint a, QPoint b);
    void RedrawOnce(Progress& progress);
    void DrawLayers(QPainter& p, Progress& progress);
    int PenWidth(int w) const { return detail_ == 1 ? std::max(0, w) : std::max(1, w) * detail_; }
    int CullWidth() const { return detail_ == 1 ? image_.width() : view_.BitmapWidth; }
    int CullHeight() const { return detail_ == 1 ? image_.height() : view_.BitmapHeight; }
    QImage::Format Format() const;

    LayerStore& store_;
    ViewState& view_;
    QImage image_;
    QImage baseImage_;
    int depth_ = 32;
    QPen pen_;
    QBrush brush_;
    // Vertex buffer reused by every part of every redraw.
    std::vector<QPoint> buf_;
    std::vector<std::pair<std::size_t, std::size_t>> rings_;  // start and length in buf_
    // The painter of a running redraw; other drawing goes through it.
    QPainter* active_ = nullptr;
    // Set when the redraw must start over (asked again, or the store changed
    // while pending events ran).
    bool restart_ = false;
    int curLayer_ = 0;  // layer whose colours the Dot Circle marker uses
    int detail_ = 1;    // bitmap pixels per view pixel (DrawMapOnto)
    // Label font of the last label drawn.
    QFont font_;
    FontDesc fontKey_;
    int fontHeight_ = 0;
    bool fontValid_ = false;
    // Boxes of the labels drawn in this redraw, bucketed by grid cell.
    std::vector<QRect> labelBoxes_;
    std::unordered_map<long long, std::vector<int>> labelCells_;
    bool LabelSpaceTaken(const QRect& box);
};

}  // namespace zemba
