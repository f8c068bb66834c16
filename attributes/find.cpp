#include "attributes/find.h"

#include <algorithm>
#include <cmath>

#include "attributes/values.h"
#include "view/styles.h"

namespace zemba {

void FoundBox::Add(const ShpObj& s) {
    XMin = std::min(XMin, s.XMin);
    YMin = std::min(YMin, s.YMin);
    XMax = std::max(XMax, s.XMax);
    YMax = std::max(YMax, s.YMax);
}

std::string TextFindLabel(const LayerStore& store, int layer, int field) {
    if (!HasField(store, layer, field)) return "in selected Attributes";
    const ShpLayer& L = store.ShapeLayers[layer];
    return "in selected " + L.ShpName + " " + L.Fields[field].Name + " Attributes";
}

std::string FoundText(int count) { return "Found " + std::to_string(count); }

namespace {

int ShapeCount(const ShpLayer& L) {
    return static_cast<int>(std::min<long long>(L.NumRecords, static_cast<long long>(L.Shapes.size()) - 1));
}

// Progress per shape; the bar moves once a percent.
void Percent(Progress& progress, int i, int n) {
    const int step = n >= 100 ? n / 100 : 1;
    if (i % step == 0 || i == n) progress.SetPosition(n > 0 ? std::llround(static_cast<double>(i) / n * 100.0) : 0);
    progress.Pump();
}

}  // namespace

FindResult FindText(const LayerStore& store, int layer, int field, const std::string& text, Progress& progress) {
    FindResult r;
    if (text.empty() || !HasField(store, layer, field)) return r;
    const ShpLayer& L = store.ShapeLayers[layer];
    const int n = ShapeCount(L);
    progress.SetRange(0, 100);
    for (int i = 1; i <= n; ++i) {
        if (ValueOf(L, i, field).find(text) != std::string::npos) {
            r.Hits.push_back({layer, i});
            r.Box.Add(L.Shapes[i]);
        }
        Percent(progress, i, n);
    }
    progress.SetPosition(0);
    return r;
}

bool ParseCompareOp(const std::string& t, CompareOp& op) {
    static const char* kOps[] = {"<", "=", ">", ">=", "<>", "<=", "like"};
    for (int k = 0; k < 7; ++k)
        if (t == kOps[k]) {
            op = static_cast<CompareOp>(k);
            return true;
        }
    return false;
}

FindResult FindValue(const LayerStore& store, int layer, int field, CompareOp op, const std::string& value,
                     Progress& progress) {
    FindResult r;
    if (!HasField(store, layer, field)) return r;
    const ShpLayer& L = store.ShapeLayers[layer];
    const std::uint8_t type = L.Fields[field].DataType;
    if (!IsNumericFieldType(type)) {
        r.ErrorNumber = 4;
        return r;
    }
    const bool integer = IsIntegerFieldType(type);
    double ref = 0;
    if (!ParseNumber(value, integer, ref)) {
        r.ErrorNumber = 4;
        return r;
    }
    const int n = ShapeCount(L);
    progress.SetRange(0, 100);
    for (int i = 1; i <= n; ++i) {
        double v;
        if (!ParseNumber(ValueOf(L, i, field), integer, v)) {
            ++r.Skipped;
        } else {
            bool hit = false;
            switch (op) {
                case CompareOp::Less: hit = v < ref; break;
                case CompareOp::Equal:
                case CompareOp::Like: hit = v == ref; break;
                case CompareOp::Greater: hit = v > ref; break;
                case CompareOp::GreaterEqual: hit = v >= ref; break;
                case CompareOp::NotEqual: hit = v != ref; break;
                case CompareOp::LessEqual: hit = v <= ref; break;
            }
            if (hit) {
                r.Hits.push_back({layer, i});
                r.Box.Add(L.Shapes[i]);
            }
        }
        Percent(progress, i, n);
    }
    if (r.Skipped > 0)
        r.Notice = std::to_string(r.Skipped) + (r.Skipped == 1 ? " shape has" : " shapes have") + " no number in " +
                   L.Fields[field].Name + " and " + (r.Skipped == 1 ? "was" : "were") + " skipped.";
    progress.SetPosition(0);
    return r;
}

bool SpatialRelationAvailable(int index) {
    return index == static_cast<int>(SpatialRelation::Within) ||
           index == static_cast<int>(SpatialRelation::SurroundedBy) ||
           index == static_cast<int>(SpatialRelation::NextTo);
}

bool DistanceUnitAvailable(int index) { return index == 0; }

namespace {

double BoxGap(const ShpObj& a, const ShpObj& b) {
    const double dx = std::max({0.0, b.XMin - a.XMax, a.XMin - b.XMax});
    const double dy = std::max({0.0, b.YMin - a.YMax, a.YMin - b.YMax});
    return std::hypot(dx, dy);
}

bool Inside(const ShpObj& a, const ShpObj& outer) {
    return a.XMin >= outer.XMin && a.XMax <= outer.XMax && a.YMin >= outer.YMin && a.YMax <= outer.YMax;
}

struct Candidate {
    const ShpObj* s;
    int layer;
    int shape;
};

}  // namespace

FindResult FindSpatial(const LayerStore& store, int searchLayer, const std::vector<int>& checkedLayers,
                       SpatialRelation relation, double distance, Progress& progress) {
    FindResult r;
    if (!ValidLayer(store, searchLayer) || !SpatialRelationAvailable(static_cast<int>(relation))) return r;
    double d = relation == SpatialRelation::Within ? distance : 0.0;
    if (!(d >= 0)) d = 0;

    // Shapes of the checked layers sorted by their left edge, so each search
    // shape looks only at those whose box can reach it.
    std::vector<Candidate> others;
    double widest = 0;
    for (int c : checkedLayers) {
        if (!ValidLayer(store, c)) continue;
        const ShpLayer& L = store.ShapeLayers[c];
        const int n = ShapeCount(L);
        for (int i = 1; i <= n; ++i) {
            if (L.IsNullShape(i)) continue;
            others.push_back({&L.Shapes[i], c, i});
            widest = std::max(widest, L.Shapes[i].XMax - L.Shapes[i].XMin);
        }
    }
    std::sort(others.begin(), others.end(),
              [](const Candidate& a, const Candidate& b) { return a.s->XMin < b.s->XMin; });

    const ShpLayer& S = store.ShapeLayers[searchLayer];
    const int n = ShapeCount(S);
    progress.SetRange(0, 100);
    for (int i = 1; i <= n; ++i) {
        const ShpObj& a = S.Shapes[i];
        if (!S.IsNullShape(i)) {
            const double from = a.XMin - d - widest, to = a.XMax + d;
            auto it = std::lower_bound(others.begin(), others.end(), from,
                                       [](const Candidate& c, double x) { return c.s->XMin < x; });
            for (; it != others.end() && it->s->XMin <= to; ++it) {
                if (it->layer == searchLayer && it->shape == i) continue;
                const bool hit = relation == SpatialRelation::SurroundedBy ? Inside(a, *it->s)
                                                                           : BoxGap(a, *it->s) <= d;
                if (hit) {
                    r.Hits.push_back({searchLayer, i});
                    r.Box.Add(a);
                    break;
                }
            }
        }
        Percent(progress, i, n);
    }
    progress.SetPosition(0);
    return r;
}

void StoreHits(LayerStore& store, const FindResult& r) {
    store.HitList.assign(1, HitEntry{});
    store.HitList.insert(store.HitList.end(), r.Hits.begin(), r.Hits.end());
    store.HitCount = static_cast<std::int32_t>(r.Hits.size());
}

bool ZoomToFound(LayerStore& store, const FoundBox& box) {
    if (store.HitCount <= 0 || box.Empty()) return false;
    store.MapXMin = box.XMin;
    store.MapYMin = box.YMin;
    store.MapXMax = box.XMax;
    store.MapYMax = box.YMax;
    store.MapXOffset = -box.XMin;
    store.MapYOffset = -box.YMin;
    return true;
}

bool HighlightFound(LayerStore& store, int layer, COLORREF highlight) {
    if (store.HitCount <= 0 || !ValidLayer(store, layer)) return false;
    SwitchToObjectStyles(store, layer, 5);
    SymLayer& s = store.SymLayers[layer];
    if (s.Visible < 1) s.Visible = 5;  // what was found is shown
    for (int k = 1; k <= store.HitCount && static_cast<std::size_t>(k) < store.HitList.size(); ++k) {
        const HitEntry& h = store.HitList[k];
        if (h.Layer != layer || h.Shape < 1 || static_cast<std::size_t>(h.Shape) >= s.SymObjs.size()) continue;
        SymObj& o = s.SymObjs[h.Shape];
        o.StyleSet = 1;
        o.PenColor = o.BrushColor = highlight & 0xFFFFFF;
    }
    return true;
}

std::vector<ResultRow> ResultRows(const LayerStore& store, int field) {
    std::vector<ResultRow> rows;
    for (int k = 1; k <= store.HitCount && static_cast<std::size_t>(k) < store.HitList.size(); ++k) {
        const HitEntry& h = store.HitList[k];
        ResultRow row{h.Layer, h.Shape, {}};
        if (ValidLayer(store, h.Layer)) row.Value = ValueOf(store.ShapeLayers[h.Layer], h.Shape, field);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace zemba
