#include "view/hit_test.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zemba {

namespace {

std::int32_t ShapeCount(const ShpLayer& L) {
    return std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
}

// Parts a shape's arrays really hold.
std::int32_t PartsHeld(const ShpObj& s) {
    std::int32_t n = std::min<std::int32_t>(s.NumParts, static_cast<std::int32_t>(s.Parts.size()) - 1);
    return std::max(n, 0);
}

std::int32_t PartSize(const ShpObj& s, std::int32_t p) {
    std::int32_t n = static_cast<std::size_t>(p) < s.PartSizes.size() ? s.PartSizes[p] : s.NumPoints;
    n = std::min<std::int32_t>(n, static_cast<std::int32_t>(s.Parts[p].Pts.size()) - 1);
    return std::max(n, 0);
}

double SegmentDistance(PointXY a, PointXY b, double X, double Y) {
    const double vx = b.X - a.X, vy = b.Y - a.Y;
    const double len2 = vx * vx + vy * vy;
    double t = len2 > 0 ? ((X - a.X) * vx + (Y - a.Y) * vy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(a.X + t * vx - X, a.Y + t * vy - Y);
}

}  // namespace

HitBox PixelHitBox(const LayerStore& store, const ViewState& view, int x, int y, int r) {
    const int h = view.BitmapHeight;
    HitBox b{XtoWorld(store, view, x - r), XtoWorld(store, view, x + r),
             YtoWorld(store, view, h - y - r), YtoWorld(store, view, h + r - y)};
    if (b.X0 > b.X1) std::swap(b.X0, b.X1);
    if (b.Y0 > b.Y1) std::swap(b.Y0, b.Y1);
    return b;
}

bool ShapeSearcher(LayerStore& store, const ViewState& view, int x, int y, double X, double Y,
                   int r) {
    store.HitCount = 0;
    store.HitList.assign(1, HitEntry{});
    if (store.CurrentLayer < 1) return false;
    const HitBox box = PixelHitBox(store, view, x, y, r);
    for (std::size_t k = 0; k < store.LayerOrder.size() && k < static_cast<std::size_t>(store.LayerCount); ++k) {
        const std::int32_t Li = store.LayerOrder[k];
        if (Li < 1 || Li > store.LayerCount || static_cast<std::size_t>(Li) >= store.SymLayers.size()) continue;
        if (!store.SymLayers[Li].Editable) continue;
        const ShpLayer& L = store.ShapeLayers[Li];
        const std::int32_t n = ShapeCount(L);
        const ShpObj* shapes = L.Shapes.data();
        const bool nulls = !L.NullShape.empty();
        if (IsPointType(L.ShapeType)) {
            for (std::int32_t i = 1; i <= n; ++i) {
                const ShpObj& s = shapes[i];
                if (box.Contains(s.XMin, s.YMin) && !(nulls && L.IsNullShape(i)))
                    store.HitList.push_back({Li, i});
            }
        } else if (IsMultiPointType(L.ShapeType)) {
            // Points of a multipoint are hit as points: within the radius,
            // also on the edge of the shape's box.
            for (std::int32_t i = 1; i <= n; ++i) {
                const ShpObj& s = shapes[i];
                if (box.X1 >= s.XMin && box.X0 <= s.XMax && box.Y1 >= s.YMin && box.Y0 <= s.YMax &&
                    !(nulls && L.IsNullShape(i)))
                    store.HitList.push_back({Li, i});
            }
        } else {
            for (std::int32_t i = 1; i <= n; ++i) {
                const ShpObj& s = shapes[i];
                if (X >= s.XMin && X <= s.XMax && Y >= s.YMin && Y <= s.YMax && !(nulls && L.IsNullShape(i)))
                    store.HitList.push_back({Li, i});
            }
        }
    }
    store.HitCount = static_cast<std::int32_t>(store.HitList.size()) - 1;
    return store.HitCount > 0;
}

bool PointInShape(const ShpObj& s, double X, double Y) {
    bool inside = false;
    for (std::int32_t p = 1; p <= PartsHeld(s); ++p) {
        const PointArray& pts = s.Parts[p].Pts;
        const std::int32_t n = PartSize(s, p);
        if (n < 3) continue;
        // Even-odd: holes and overlapping rings cancel out.
        for (std::int32_t i = 1, j = n; i <= n; j = i++) {
            const PointXY a = pts[i], b = pts[j];
            if ((a.Y > Y) != (b.Y > Y) && X < (b.X - a.X) * (Y - a.Y) / (b.Y - a.Y) + a.X) inside = !inside;
        }
    }
    return inside;
}

double DistanceToLines(const ShpObj& s, double X, double Y) {
    double best = std::numeric_limits<double>::infinity();
    for (std::int32_t p = 1; p <= PartsHeld(s); ++p) {
        const PointArray& pts = s.Parts[p].Pts;
        const std::int32_t n = PartSize(s, p);
        if (n == 1) best = std::min(best, std::hypot(pts[1].X - X, pts[1].Y - Y));
        for (std::int32_t i = 1; i < n; ++i) best = std::min(best, SegmentDistance(pts[i], pts[i + 1], X, Y));
    }
    return best;
}

double DistanceToPoints(const ShpObj& s, double X, double Y) {
    double best = std::numeric_limits<double>::infinity();
    if (s.Parts.size() < 2) return best;
    const PointArray& pts = s.Parts[1].Pts;
    const std::int32_t n =
        std::max(0, std::min<std::int32_t>(s.NumPoints, static_cast<std::int32_t>(pts.size()) - 1));
    for (std::int32_t i = 1; i <= n; ++i) best = std::min(best, std::hypot(pts[i].X - X, pts[i].Y - Y));
    return best;
}

std::int32_t PickCandidate(const LayerStore& store, const ViewState& view, double X, double Y, int r) {
    if (store.HitCount < 1) return 0;
    // The radius in world units, plus half a pixel for the truncation of
    // world to pixel.
    const double radius = (std::max(r, 0) + 0.5) * view.ViewScale;
    for (std::int32_t k = 1; k <= store.HitCount; ++k) {
        const HitEntry& h = store.HitList[k];
        const ShpLayer& L = store.ShapeLayers[h.Layer];
        const ShpObj& s = L.Shapes[h.Shape];
        int type = L.ShapeType;
        if (type == 9) type = s.ShapeType;
        if (IsPointType(type)) return k;  // found by its hit box already
        if (IsMultiPointType(type)) {
            if (DistanceToPoints(s, X, Y) <= radius) return k;
        } else if (IsPolygonType(type)) {
            if (PointInShape(s, X, Y) || DistanceToLines(s, X, Y) <= radius) return k;
        } else if (DistanceToLines(s, X, Y) <= radius) {
            return k;
        }
    }
    return 1;
}

bool PointSearcher(LayerStore& store, const ViewState& view, int x, int y, int r) {
    const std::int32_t Li = store.CurrentLayer, si = store.CurrentShape;
    if (Li < 1 || Li > store.LayerCount) return false;
    const ShpLayer& L = store.ShapeLayers[Li];
    if (si < 1 || si > ShapeCount(L) || L.IsNullShape(si)) return false;
    const ShpObj& s = L.Shapes[si];
    const HitBox box = PixelHitBox(store, view, x, y, r);
    bool found = false;
    if (IsMultiPointType(L.ShapeType)) {
        // A multipoint keeps its points in Parts[1] and has no PartSizes.
        if (s.Parts.size() < 2) return false;
        const PointArray& pts = s.Parts[1].Pts;
        const std::int32_t n =
            std::max(0, std::min<std::int32_t>(s.NumPoints, static_cast<std::int32_t>(pts.size()) - 1));
        for (std::int32_t k = 1; k <= n; ++k)
            if (box.Contains(pts[k].X, pts[k].Y)) {
                store.CurrentPart = 1;
                store.CurrentPoint = k;
                found = true;
            }
        return found;
    }
    for (std::int32_t p = 1; p <= PartsHeld(s); ++p) {
        const PointArray& pts = s.Parts[p].Pts;
        const std::int32_t n = PartSize(s, p);
        for (std::int32_t k = 1; k <= n; ++k)
            if (box.Contains(pts[k].X, pts[k].Y)) {
                store.CurrentPart = p;
                store.CurrentPoint = k;
                found = true;
            }
    }
    return found;
}

}  // namespace zemba
