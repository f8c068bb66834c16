#include "view/editing.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <limits>

namespace zemba {

namespace {

bool ValidLayer(const LayerStore& store, std::int32_t i) {
    return i >= 1 && i <= store.LayerCount && static_cast<std::size_t>(i) < store.ShapeLayers.size() &&
           static_cast<std::size_t>(i) < store.SymLayers.size();
}

bool ValidShape(const ShpLayer& L, std::int32_t k) {
    return k >= 1 && k <= L.NumRecords && static_cast<std::size_t>(k) < L.Shapes.size();
}

// Z and M of the layer are kept shape for shape.
bool KeepsZM(const ShpLayer& L) { return !L.Shapes3.empty() && L.Shapes3.size() == L.Shapes.size(); }

std::int32_t PartsHeld(const ShpObj& s) {
    return std::max(0, std::min<std::int32_t>(s.NumParts, static_cast<std::int32_t>(s.Parts.size()) - 1));
}

bool SamePoint(PointXY a, PointXY b) { return a.X == b.X && a.Y == b.Y; }

void Report(Prompter* prompter, const std::string& text) {
    if (prompter) prompter->ShowErrorText(text);
}

// Ranges of a shape's Z and M from its vertices; "no data" measures are
// left out of the M range.
void ZMRanges(ShpObj3& s3) {
    double z0 = std::numeric_limits<double>::infinity(), z1 = -z0, m0 = z0, m1 = -z0;
    for (std::size_t p = 1; p < s3.Parts.size(); ++p)
        for (std::size_t j = 1; j < s3.Parts[p].Pts.size(); ++j) {
            const PointXYZM& q = s3.Parts[p].Pts[j];
            z0 = std::min(z0, q.Z), z1 = std::max(z1, q.Z);
            if (q.M >= -1e38) m0 = std::min(m0, q.M), m1 = std::max(m1, q.M);
        }
    if (z0 <= z1) s3.ZMin = z0, s3.ZMax = z1;
    if (m0 <= m1)
        s3.MMin = m0, s3.MMax = m1;
    else if (z0 <= z1)
        s3.MMin = s3.MMax = kNoMeasure;
}

// The XY of a Z/M shape follow its 2-D shape.
void CopyXY(const ShpObj& s, ShpObj3& s3) {
    s3.ShapeType = s.ShapeType;
    s3.RecNum = s.RecNum;
    s3.NumPoints = s.NumPoints;
    s3.NumParts = s.NumParts;
    s3.PartSizes = s.PartSizes;
    s3.XMin = s.XMin, s3.YMin = s.YMin, s3.XMax = s.XMax, s3.YMax = s.YMax;
}

// Z/M twin of a new shape: Z 0 and no measure at every vertex.
ShpObj3 NewZM(const ShpObj& s) {
    ShpObj3 s3;
    CopyXY(s, s3);
    s3.Parts.resize(s.Parts.size());
    for (std::size_t p = 1; p < s.Parts.size(); ++p) {
        s3.Parts[p].Pts.resize(s.Parts[p].Pts.size());
        for (std::size_t j = 1; j < s.Parts[p].Pts.size(); ++j)
            s3.Parts[p].Pts[j] = {s.Parts[p].Pts[j].X, s.Parts[p].Pts[j].Y, 0.0, kNoMeasure};
    }
    s3.ZMin = s3.ZMax = 0.0;  // a point keeps its Z and M here
    s3.MMin = s3.MMax = kNoMeasure;
    return s3;
}

void GrowLayerBox(ShpLayer& L, const ShpObj& s, bool first) {
    if (first) {
        L.XMin = s.XMin, L.YMin = s.YMin, L.XMax = s.XMax, L.YMax = s.YMax;
        return;
    }
    L.XMin = std::min(L.XMin, s.XMin), L.YMin = std::min(L.YMin, s.YMin);
    L.XMax = std::max(L.XMax, s.XMax), L.YMax = std::max(L.YMax, s.YMax);
}

// Appends an empty shape slot at NumRecords + 1 with everything that runs
// parallel to Shapes.
std::int32_t AppendShape(LayerStore& store, std::int32_t layer) {
    ShpLayer& L = store.ShapeLayers[layer];
    const std::int32_t k = L.NumRecords + 1;
    const bool zm = KeepsZM(L);
    L.NumRecords = k;
    L.Shapes.resize(static_cast<std::size_t>(k) + 1);
    L.Shapes[k] = ShpObj{};
    if (zm) {
        L.Shapes3.resize(static_cast<std::size_t>(k) + 1);
        L.Shapes3[k] = ShpObj3{};
    }
    if (!L.NullShape.empty()) L.NullShape.resize(static_cast<std::size_t>(k) + 1, 0);
    auto& objs = store.SymLayers[layer].SymObjs;
    objs.resize(static_cast<std::size_t>(k) + 1);
    objs[k] = SymObj{};
    return k;
}

// Closed ring: a polygon part whose last vertex repeats its first.
bool ClosedRing(const ShpLayer& L, const ShpObj& s, std::int32_t p) {
    int type = L.ShapeType == 9 ? s.ShapeType : L.ShapeType;
    if (!IsPolygonType(type)) return false;
    const std::int32_t n = s.PartSizes[p];
    return n >= 2 && SamePoint(s.Parts[p].Pts[1], s.Parts[p].Pts[n]);
}

// The vertex CurrentPart/CurrentPoint of a shape exists.
bool VertexValid(const ShpLayer& L, const ShpObj& s, std::int32_t p, std::int32_t v) {
    if (IsMultiPointType(L.ShapeType))
        return p == 1 && s.Parts.size() >= 2 && v >= 1 && v <= s.NumPoints &&
               static_cast<std::size_t>(v) < s.Parts[1].Pts.size();
    return p >= 1 && p <= PartsHeld(s) && static_cast<std::size_t>(p) < s.PartSizes.size() && v >= 1 &&
           v <= s.PartSizes[p] && static_cast<std::size_t>(v) < s.Parts[p].Pts.size();
}

template <typename Arr>
void EraseAt(Arr& a, std::int32_t v) {
    if (static_cast<std::size_t>(v) < a.size()) a.erase(a.begin() + v);
}
template <typename Arr>
void DuplicateAt(Arr& a, std::int32_t v) {
    if (static_cast<std::size_t>(v) < a.size()) {
        auto copy = a[v];
        a.insert(a.begin() + v, copy);
    }
}

bool DeleteVertex(LayerStore& store, std::int32_t layer, std::int32_t k, Prompter* prompter) {
    ShpLayer& L = store.ShapeLayers[layer];
    ShpObj& s = L.Shapes[k];
    const std::int32_t p = store.CurrentPart, v = store.CurrentPoint;
    if (!VertexValid(L, s, p, v)) return false;
    ShpObj3* s3 = KeepsZM(L) && static_cast<std::size_t>(p) < L.Shapes3[k].Parts.size() ? &L.Shapes3[k] : nullptr;
    if (IsMultiPointType(L.ShapeType)) {
        if (s.NumPoints <= 1) {
            Report(prompter, "The point was not deleted: a multipoint keeps at least 1 point.");
            return false;
        }
        EraseAt(s.Parts[1].Pts, v);
        if (s3) EraseAt(s3->Parts[1].Pts, v);
    } else {
        const std::int32_t n = s.PartSizes[p];
        const bool closed = ClosedRing(L, s, p);
        int type = L.ShapeType == 9 ? s.ShapeType : L.ShapeType;
        const std::int32_t least = IsPolygonType(type) ? (closed ? 4 : 3) : 2;
        if (n - 1 < least) {
            Report(prompter, IsPolygonType(type)
                                 ? "The vertex was not deleted: a ring keeps at least 4 points."
                                 : "The vertex was not deleted: a line keeps at least 2 points.");
            return false;
        }
        auto removeFrom = [&](auto& pts) {
            if (closed && (v == 1 || v == n)) {
                // The shared first/last vertex goes; the ring closes on the next one.
                pts.resize(static_cast<std::size_t>(n));  // drop the last
                pts.erase(pts.begin() + 1);
                const auto first = pts[1];
                pts.push_back(first);
            } else {
                EraseAt(pts, v);
            }
        };
        removeFrom(s.Parts[p].Pts);
        if (s3 && s3->Parts[p].Pts.size() == static_cast<std::size_t>(n) + 1) removeFrom(s3->Parts[p].Pts);
        s.PartSizes[p] = n - 1;
        if (store.CurrentPoint > n - 1) store.CurrentPoint = n - 1;
    }
    s.NumPoints -= 1;
    L.NumPoints -= 1;
    if (s3) {
        CopyXY(s, *s3);
        ZMRanges(*s3);
    }
    return true;
}

bool DuplicateVertex(LayerStore& store, std::int32_t layer, std::int32_t k) {
    ShpLayer& L = store.ShapeLayers[layer];
    ShpObj& s = L.Shapes[k];
    const std::int32_t p = store.CurrentPart, v = store.CurrentPoint;
    if (!VertexValid(L, s, p, v)) return false;
    ShpObj3* s3 = KeepsZM(L) && static_cast<std::size_t>(p) < L.Shapes3[k].Parts.size() ? &L.Shapes3[k] : nullptr;
    if (IsMultiPointType(L.ShapeType)) {
        DuplicateAt(s.Parts[1].Pts, v);
        if (s3) DuplicateAt(s3->Parts[1].Pts, v);
    } else {
        const std::int32_t n = s.PartSizes[p];
        DuplicateAt(s.Parts[p].Pts, v);
        if (s3 && s3->Parts[p].Pts.size() == static_cast<std::size_t>(n) + 1) DuplicateAt(s3->Parts[p].Pts, v);
        s.PartSizes[p] = n + 1;
    }
    s.NumPoints += 1;
    L.NumPoints += 1;
    if (s3) CopyXY(s, *s3);
    return true;
}

void MoveShapeBy(ShpLayer& L, std::int32_t k, double dx, double dy) {
    ShpObj& s = L.Shapes[k];
    for (std::size_t p = 1; p < s.Parts.size(); ++p)
        for (std::size_t j = 1; j < s.Parts[p].Pts.size(); ++j) s.Parts[p].Pts[j].X += dx, s.Parts[p].Pts[j].Y += dy;
    s.XMin += dx, s.XMax += dx, s.YMin += dy, s.YMax += dy;
    if (KeepsZM(L)) {
        ShpObj3& s3 = L.Shapes3[k];
        for (std::size_t p = 1; p < s3.Parts.size(); ++p)
            for (std::size_t j = 1; j < s3.Parts[p].Pts.size(); ++j)
                s3.Parts[p].Pts[j].X += dx, s3.Parts[p].Pts[j].Y += dy;
        s3.XMin = s.XMin, s3.XMax = s.XMax, s3.YMin = s.YMin, s3.YMax = s.YMax;
    }
}

void MoveVertexBy(LayerStore& store, std::int32_t layer, std::int32_t k, double dx, double dy) {
    ShpLayer& L = store.ShapeLayers[layer];
    ShpObj& s = L.Shapes[k];
    const std::int32_t p = store.CurrentPart, v = store.CurrentPoint;
    if (!VertexValid(L, s, p, v)) return;
    PointArray& pts = s.Parts[p].Pts;
    const bool multi = IsMultiPointType(L.ShapeType);
    const std::int32_t n = multi ? s.NumPoints : s.PartSizes[p];
    // Before the move: is the ring closed on this vertex?
    const bool closed = !multi && ClosedRing(L, s, p) && n >= 2;
    std::int32_t twin = 0;
    if (closed && v == 1) twin = n;
    if (closed && v == n) twin = 1;
    // A duplicated first vertex: the ring closed on the unmoved copy at 2.
    pts[v].X += dx, pts[v].Y += dy;
    if (twin) pts[twin] = pts[v];
    if (KeepsZM(L)) {
        ShpObj3& s3 = L.Shapes3[k];
        if (static_cast<std::size_t>(p) < s3.Parts.size() && static_cast<std::size_t>(v) < s3.Parts[p].Pts.size()) {
            auto& q = s3.Parts[p].Pts;
            q[v].X = pts[v].X, q[v].Y = pts[v].Y;
            if (twin && static_cast<std::size_t>(twin) < q.size()) q[twin] = q[v];
        }
    }
}

}  // namespace

void DragVector(const LayerStore& store, const ViewState& view, PixelPoint a, PixelPoint b, double& dx,
                double& dy) {
    dx = XtoWorld(store, view, b.x) - XtoWorld(store, view, a.x);
    dy = YtoWorld(store, view, view.BitmapHeight - b.y) - YtoWorld(store, view, view.BitmapHeight - a.y);
}

bool ShapeBoxFromVertices(ShpObj& s) {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    const bool noSizes = s.PartSizes.empty();
    for (std::int32_t p = 1; p <= PartsHeld(s); ++p) {
        const PointArray& pts = s.Parts[p].Pts;
        std::int32_t n = noSizes ? s.NumPoints
                                 : (static_cast<std::size_t>(p) < s.PartSizes.size() ? s.PartSizes[p] : 0);
        n = std::min<std::int32_t>(n, static_cast<std::int32_t>(pts.size()) - 1);
        for (std::int32_t j = 1; j <= n; ++j) {
            x0 = std::min(x0, pts[j].X), x1 = std::max(x1, pts[j].X);
            y0 = std::min(y0, pts[j].Y), y1 = std::max(y1, pts[j].Y);
        }
        if (noSizes) break;  // a multipoint keeps one part
    }
    if (x0 > x1) return false;
    s.XMin = x0, s.YMin = y0, s.XMax = x1, s.YMax = y1;
    return true;
}

bool Copier(LayerStore& store, std::int32_t layer, std::int32_t source, std::int32_t target, int code,
            Prompter* prompter) {
    if (!ValidLayer(store, layer)) return false;
    ShpLayer& L = store.ShapeLayers[layer];
    if (!ValidShape(L, source) || L.IsNullShape(source)) return false;
    const int type = L.ShapeType;
    const bool pointType = IsPointType(type);
    switch (code) {
        case kDeleteShape: {
            ShpObj& s = L.Shapes[source];
            if (pointType)
                L.NumPoints -= 1;
            else
                L.NumPoints -= s.NumPoints;
            if (IsMultiPartType(type) && s.NumParts > 0) L.NumExtraParts -= s.NumParts - 1;
            s.ShapeType = 0;
            s.RecNum = 0;
            s.NumPoints = 0;
            s.NumParts = 0;
            s.PartSizes.clear();
            s.Parts.clear();
            // The box is kept; the null flag keeps the shape out of view,
            // hit tests and exports and makes the writer write a null record.
            if (L.NullShape.empty()) L.NullShape.assign(L.Shapes.size(), 0);
            L.NullShape.resize(std::max(L.NullShape.size(), L.Shapes.size()), 0);
            L.NullShape[source] = 1;
            if (KeepsZM(L)) {
                ShpObj3& s3 = L.Shapes3[source];
                s3.NumPoints = s3.NumParts = 0;
                s3.PartSizes.clear();
                s3.Parts.clear();
            }
            return true;
        }
        case kCopyMoveShape: {
            if (target != L.NumRecords + 1) return false;
            const std::int32_t t = AppendShape(store, layer);
            ShpLayer& T = store.ShapeLayers[layer];
            ShpObj copy = T.Shapes[source];
            copy.RecNum = t;
            copy.Values.resize(static_cast<std::size_t>(std::max(T.NumFields, 0)));
            T.Shapes[t] = std::move(copy);
            if (KeepsZM(T)) {
                T.Shapes3[t] = T.Shapes3[source];
                T.Shapes3[t].RecNum = t;
            }
            // The copy looks like its source.
            auto& objs = store.SymLayers[layer].SymObjs;
            if (static_cast<std::size_t>(source) < objs.size()) objs[t] = objs[source];
            const ShpObj& c = T.Shapes[t];
            if (pointType) {
                T.NumPoints += 1;
            } else {
                T.NumPoints += c.NumPoints;
                if (IsMultiPartType(type) && c.NumParts > 0) T.NumExtraParts += c.NumParts - 1;
            }
            return true;
        }
        case kDeleteVertex:
            if (pointType) return false;
            return DeleteVertex(store, layer, source, prompter);
        case kDuplicateVertex:
            if (pointType) return false;
            return DuplicateVertex(store, layer, source);
        default:
            return false;
    }
}

void ShapeMover(LayerStore& store, std::int32_t layer, std::int32_t shape, int code, double dx, double dy) {
    if (!ValidLayer(store, layer)) return;
    ShpLayer& L = store.ShapeLayers[layer];
    if (!ValidShape(L, shape) || L.IsNullShape(shape)) return;
    if (code == kMoveShape || code == kCopyMoveShape) {
        MoveShapeBy(L, shape, dx, dy);
        L.Shapes[shape].RecNum = shape;
    } else if (code == kMoveVertex || code == kDuplicateVertex) {
        MoveVertexBy(store, layer, shape, dx, dy);
    }
}

bool EditSelected(LayerStore& store, int code, double dx, double dy, Prompter* prompter) {
    const std::int32_t layer = store.CurrentLayer, s = store.CurrentShape;
    if (!ValidLayer(store, layer)) return false;
    ShpLayer& L = store.ShapeLayers[layer];
    if (!ValidShape(L, s) || L.IsNullShape(s)) return false;
    switch (code) {
        case kMoveShape:
        case kMoveVertex:
            if (code == kMoveVertex && !VertexValid(L, L.Shapes[s], store.CurrentPart, store.CurrentPoint))
                return false;
            ShapeMover(store, layer, s, code, dx, dy);
            break;
        case kDeleteShape:
        case kDeleteVertex:
            if (!Copier(store, layer, s, s, code, prompter)) return false;
            break;
        case kCopyMoveShape: {
            const std::int32_t t = L.NumRecords + 1;
            if (!Copier(store, layer, s, t, code, prompter)) return false;
            ShapeMover(store, layer, s, code, dx, dy);
            break;
        }
        case kDuplicateVertex:
            if (!Copier(store, layer, s, s, code, prompter)) return false;
            ShapeMover(store, layer, s, code, dx, dy);
            break;
        default:
            return false;
    }
    ShpLayer& M = store.ShapeLayers[layer];
    if (code >= kMoveVertex) {
        ShapeBoxFromVertices(M.Shapes[s]);
        if (KeepsZM(M)) {
            ShpObj3& s3 = M.Shapes3[s];
            const ShpObj& sh = M.Shapes[s];
            s3.XMin = sh.XMin, s3.YMin = sh.YMin, s3.XMax = sh.XMax, s3.YMax = sh.YMax;
            ZMRanges(s3);
        }
    }
    if (code != kDeleteShape) GrowLayerBox(M, M.Shapes[s], false);
    M.Modified = 1;
    return true;
}

bool IsMadeLayer(const LayerStore& store, std::int32_t i) {
    return i >= 1 && ((store.PointLayerMade && store.PointLayerIndex == i) ||
                      (store.LineLayerMade && store.LineLayerIndex == i) ||
                      (store.PolygonLayerMade && store.PolygonLayerIndex == i) ||
                      (store.AnnoLayerMade && store.AnnoLayerIndex == i));
}

std::int32_t FeatureTarget(const LayerStore& store, int code) {
    std::int32_t t = store.CurrentLayer;
    switch (code) {
        case kMakePoint: if (store.PointLayerMade) t = store.PointLayerIndex; break;
        case kMakeTextPoint: if (store.AnnoLayerMade) t = store.AnnoLayerIndex; break;
        case kMakeLine: if (store.LineLayerMade) t = store.LineLayerIndex; break;
        case kMakePolygon: if (store.PolygonLayerMade) t = store.PolygonLayerIndex; break;
        default: return 0;
    }
    return ValidLayer(store, t) ? t : 0;
}

std::int32_t MakeFeature(LayerStore& store, int code, double Xs, double Ys, double Xe, double Ye,
                         Prompter* prompter, const std::string* text) {
    const std::int32_t T = FeatureTarget(store, code);
    if (T == 0) return 0;
    const int type = store.ShapeLayers[T].ShapeType;
    bool fits = type == 9;
    switch (code) {
        case kMakePoint: fits = fits || type == 1 || type == 11 || type == 21; break;
        case kMakeTextPoint: fits = fits || type == 2; break;
        case kMakeLine: fits = fits || type == 3 || type == 13 || type == 23; break;
        case kMakePolygon: fits = fits || IsPolygonType(type); break;
    }
    if (!fits) {
        Report(prompter, "The layer " + store.ShapeLayers[T].ShpName + " cannot hold this kind of feature.");
        return 0;
    }
    if (code == kMakeLine && Xs == Xe && Ys == Ye) {
        Report(prompter, "A line needs a drag: its two ends are the same point.");
        return 0;
    }
    if (code == kMakePolygon && (Xs == Xe || Ys == Ye)) {
        Report(prompter, "An area needs a drag with both width and height.");
        return 0;
    }

    const std::int32_t k = AppendShape(store, T);
    ShpLayer& L = store.ShapeLayers[T];
    SymLayer& sym = store.SymLayers[T];
    ShpObj& s = L.Shapes[k];
    s.ShapeType = code == kMakePoint ? 1 : code == kMakeTextPoint ? 2 : code == kMakeLine ? 3 : 5;
    s.RecNum = k;
    s.XMin = std::min(Xs, Xe), s.XMax = std::max(Xs, Xe);
    s.YMin = std::min(Ys, Ye), s.YMax = std::max(Ys, Ye);
    if (code == kMakePoint || code == kMakeTextPoint) {
        s.XMin = s.XMax = Xs;
        s.YMin = s.YMax = Ys;
    }

    // The new shape's own style is the layer's, so a layer drawn shape by
    // shape shows it like the others.
    SymObj& o = sym.SymObjs[k];
    o.PenColor = sym.LineColor;
    o.BrushColor = sym.FillColor;
    o.PenStyle = sym.LineStyle;
    o.BrushStyle = sym.ShapeStyle;
    o.PenWidth = sym.LineWidth;
    o.LabelBackColor = sym.LabelBackColor;
    o.LabelBackgrounded = sym.LabelBackgrounded;
    o.LabelFont = sym.LabelFont;
    o.LabelFontHeight = sym.LabelFontHeight;
    o.LabelRotation = sym.LabelRotation;
    if (IsMadeLayer(store, T)) {
        sym.LabelField = std::max(L.NumFields - 1, 0);
        sym.Visible = 5;
    }

    const std::size_t nf = static_cast<std::size_t>(std::max(L.NumFields, 0));
    s.Values.assign(nf, std::string());
    if (k > 1)
        for (std::size_t f = 0; f < nf && f < L.Shapes[k - 1].Values.size(); ++f) s.Values[f] = L.Shapes[k - 1].Values[f];
    // The label is the record's value of the layer's label field; the text
    // given for a text point is that value.
    const bool haveLabelField = sym.LabelField >= 0 && static_cast<std::size_t>(sym.LabelField) < nf;
    if (text) {
        if (haveLabelField) s.Values[sym.LabelField] = *text;
        o.LabelText = *text;
    } else {
        o.LabelText = haveLabelField ? s.Values[sym.LabelField] : std::string();
    }

    if (code == kMakeLine || code == kMakePolygon) {
        std::vector<PointXY> ring;
        if (code == kMakeLine) {
            ring = {{Xs, Ys}, {Xe, Ye}};
        } else {
            // A right triangle on the dragged box whose third corner differs
            // from both ends, closed and clockwise.
            PointXY c{std::min(Xs, Xe), std::min(Ys, Ye)};
            if ((c.X == Xs && c.Y == Ys) || (c.X == Xe && c.Y == Ye)) c = {std::max(Xs, Xe), std::min(Ys, Ye)};
            ring = {{Xs, Ys}, {Xe, Ye}, c, {Xs, Ys}};
            double area2 = 0;
            for (std::size_t i = 0; i + 1 < ring.size(); ++i)
                area2 += ring[i].X * ring[i + 1].Y - ring[i + 1].X * ring[i].Y;
            if (area2 > 0) std::reverse(ring.begin(), ring.end());  // counter-clockwise
        }
        const std::int32_t n = static_cast<std::int32_t>(ring.size());
        s.NumPoints = n;
        s.NumParts = 1;
        s.PartSizes = {0, n};
        s.Parts.resize(2);
        s.Parts[1].Pts.resize(static_cast<std::size_t>(n) + 1);
        for (std::int32_t j = 0; j < n; ++j) s.Parts[1].Pts[j + 1] = ring[j];
        L.NumPoints += n;
    } else if (IsPointType(type)) {
        L.NumPoints += 1;
    }
    if (KeepsZM(L)) L.Shapes3[k] = NewZM(s);
    GrowLayerBox(L, s, false);
    L.Modified = 1;
    return T;
}

void ReExtentLayer(LayerStore& store, std::int32_t i) {
    if (!ValidLayer(store, i)) return;
    ShpLayer& L = store.ShapeLayers[i];
    const int type = L.ShapeType;
    const bool pointType = IsPointType(type);
    const bool vertices = IsMultiPartType(type) || IsMultiPointType(type);
    if (!pointType && !vertices) return;
    const std::int32_t n = std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
    const bool zm = KeepsZM(L);
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    double z0 = x0, z1 = -x0, m0 = x0, m1 = -x0;
    for (std::int32_t k = 1; k <= n; ++k) {
        ShpObj& s = L.Shapes[k];
        if (L.IsNullShape(k)) continue;
        if (vertices) ShapeBoxFromVertices(s);
        if (vertices && s.NumPoints == 0) continue;  // an empty shape holds no place
        x0 = std::min(x0, std::min(s.XMin, s.XMax)), x1 = std::max(x1, std::max(s.XMin, s.XMax));
        y0 = std::min(y0, std::min(s.YMin, s.YMax)), y1 = std::max(y1, std::max(s.YMin, s.YMax));
        if (zm) {
            ShpObj3& s3 = L.Shapes3[k];
            if (vertices) {
                s3.XMin = s.XMin, s3.YMin = s.YMin, s3.XMax = s.XMax, s3.YMax = s.YMax;
                ZMRanges(s3);
            }
            z0 = std::min(z0, s3.ZMin), z1 = std::max(z1, s3.ZMax);
            if (s3.MMin >= -1e38) m0 = std::min(m0, s3.MMin), m1 = std::max(m1, s3.MMax);
        }
    }
    if (x0 <= x1) {
        L.XMin = x0, L.YMin = y0, L.XMax = x1, L.YMax = y1;
        if (zm && z0 <= z1) L.ZMin = z0, L.ZMax = z1;
        if (zm && m0 <= m1) L.MMin = m0, L.MMax = m1;
    }
    L.XShift = L.XMin == 0 ? 0.0 : -L.XMin;
    L.YShift = L.YMin == 0 ? 0.0 : -L.YMin;
}

void ReExtentAll(LayerStore& store, std::int32_t start) {
    if (start < 1) {
        for (std::int32_t i : store.LayerOrder) ReExtentLayer(store, i);
        return;
    }
    for (std::int32_t i = start; i <= store.LayerCount; ++i) ReExtentLayer(store, i);
}

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace

std::int32_t CreateAnotherLayer(LayerStore& store, std::int32_t type, const std::string& name,
                                const std::string& shapeDir, Prompter& prompter, FontRef labelFont) {
    if (type != 1 && type != 2 && type != 3 && type != 5) return 0;
    const std::string base = BaseName(name);
    if (base.empty()) return 0;
    std::string dir = shapeDir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    // A folder typed with the name is where the layer goes (a relative one
    // inside the Shape directory); a bare name goes to the Shape directory.
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) {
        const std::string typed = name.substr(0, slash + 1);
        dir = typed.front() == '/' ? typed : dir + typed;
        std::error_code ec;
        if (!std::filesystem::is_directory(dir, ec)) {
            prompter.ShowErrorText("The folder " + dir + " does not exist.\r\nNo layer was made.");
            return 0;
        }
    }
    const std::string shpName = base + ".shp";
    bool taken = false;
    for (std::int32_t i = 1; i <= store.LayerCount; ++i)
        if (Upper(store.ShapeLayers[i].ShpName) == Upper(shpName)) taken = true;
    for (const char* ext : {".shp", ".shx", ".dbf", ".SHP", ".SHX", ".DBF"})
        if (Exists(dir + base + ext)) taken = true;
    if (taken) {
        prompter.Message(MsgFamily::Info, 7);
        return 0;
    }
    const std::int32_t cur = store.CurrentLayer;
    const bool haveCurrent = ValidLayer(store, cur);
    const ShpLayer from = haveCurrent ? store.ShapeLayers[cur] : ShpLayer{};

    store.LayerCount += 1;
    const std::int32_t n = store.LayerCount;
    store.ShapeLayers.resize(static_cast<std::size_t>(n) + 1);
    store.LayerOrder.resize(static_cast<std::size_t>(n));
    store.LayerOrder[n - 1] = n;
    ShpLayer& L = store.ShapeLayers[n];
    L = ShpLayer{};
    L.LayerIndex = n;
    L.Modified = 1;
    L.ShapeType = type;
    L.DbfName = base + ".dbf";
    L.ShpName = shpName;
    L.DbfPath = dir;
    L.ShpPath = dir;
    L.XShift = from.XShift, L.YShift = from.YShift;
    // Features are digitised in the current layer's system: the new layer
    // is saved in it and described by its .prj.
    L.Prj = from.Prj;
    L.CoordSystem = from.CoordSystem;
    L.XMin = from.XMin, L.YMin = from.YMin, L.XMax = from.XMax, L.YMax = from.YMax;
    L.NumFields = 1;
    FieldDefRec f;
    f.FieldNo = 1;
    f.Name = "LabelName";
    f.DataType = ftString;
    f.Size = 25;
    L.Fields = {f};

    store.SymLayers.resize(static_cast<std::size_t>(n) + 1);
    SymLayer& s = store.SymLayers[n];
    s = SymLayer{};
    s.SymObjs.resize(1);
    s.Visible = 5;
    s.SpareA = 5;
    s.SpareB = 25;
    s.NumClasses = 5;
    s.SpareColorA = 0x00FF00;
    s.SpareColorB = 0x008000;
    s.Editable = 1;
    s.Outlined = 1;
    store.SetDefaultStyle(n);
    s.Labeled = 5;
    s.LabelBackColor = 0xFFFFFF;
    s.LabelBackgrounded = 1;
    s.LabelFont = labelFont ? labelFont : store.DefaultLabelFont;
    s.ClassBreaks = {0, 1, 2, 3, 4, 5};
    store.NewLayerFileName = name;
    return n;
}

bool LayerCommandOffered(const LayerStore& store, std::int32_t type) {
    if (store.LayerCount < 1) return false;
    switch (type) {
        case 1: return !store.PointLayerMade;
        case 2: return !store.AnnoLayerMade;
        case 3: return !store.LineLayerMade;
        case 5: return !store.PolygonLayerMade;
        default: return false;
    }
}

std::int32_t LayerCommand(LayerStore& store, std::int32_t type, const std::string& name,
                          const std::string& shapeDir, Prompter& prompter, FontRef labelFont) {
    if (!LayerCommandOffered(store, type)) return 0;
    const std::int32_t n = CreateAnotherLayer(store, type, name, shapeDir, prompter, labelFont);
    if (n == 0) return 0;
    switch (type) {
        case 1: store.PointLayerIndex = n, store.PointLayerMade = true; break;
        case 2: store.AnnoLayerIndex = n, store.AnnoLayerMade = true; break;
        case 3: store.LineLayerIndex = n, store.LineLayerMade = true; break;
        case 5: store.PolygonLayerIndex = n, store.PolygonLayerMade = true; break;
    }
    return n;
}

}  // namespace zemba
