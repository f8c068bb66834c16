#include "attributes/classify.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "attributes/values.h"
#include "view/styles.h"

namespace zemba {

std::string ClassifyCaption(const LayerStore& store, int layer, int field) {
    if (!HasField(store, layer, field)) return "Classify Attributes";
    const ShpLayer& L = store.ShapeLayers[layer];
    const FieldDefRec& f = L.Fields[field];
    return "Classify the " + f.Name + " " + FieldTypeWord(f.DataType) + " attributes of " + L.ShpName;
}

std::vector<COLORREF> ColorRamp(COLORREF start, int n) {
    if (n < 1) n = 1;
    const int c[3] = {static_cast<int>(start & 0xFF), static_cast<int>((start >> 8) & 0xFF),
                      static_cast<int>((start >> 16) & 0xFF)};
    std::vector<COLORREF> ramp(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) {
        COLORREF v = 0;
        for (int k = 0; k < 3; ++k) {
            const int d = (255 - c[k]) / n;
            v |= static_cast<COLORREF>(c[k] + (i - 1) * d) << (8 * k);
        }
        ramp[i] = v;
    }
    ramp[0] = ramp[1];
    return ramp;
}

StyleSnapshot TakeStyleSnapshot(const LayerStore& store, int layer) {
    StyleSnapshot s;
    if (!ValidLayer(store, layer)) return s;
    const SymLayer& y = store.SymLayers[layer];
    s.Layer = layer;
    s.Visible = y.Visible;
    s.NumClasses = y.NumClasses;
    s.ClassBreaks = y.ClassBreaks;
    s.SymObjs = y.SymObjs;
    return s;
}

void RestoreStyleSnapshot(LayerStore& store, const StyleSnapshot& snap) {
    if (!ValidLayer(store, snap.Layer)) return;
    SymLayer& y = store.SymLayers[snap.Layer];
    y.Visible = snap.Visible;
    y.NumClasses = snap.NumClasses;
    y.ClassBreaks = snap.ClassBreaks;
    // Only the styles a classification writes: labels set meanwhile stay.
    const std::size_t n = std::min(y.SymObjs.size(), snap.SymObjs.size());
    for (std::size_t i = 0; i < n; ++i) {
        SymObj& o = y.SymObjs[i];
        const SymObj& was = snap.SymObjs[i];
        o.StyleSet = was.StyleSet;
        o.BrushStyle = was.BrushStyle;
        o.PenStyle = was.PenStyle;
        o.PenWidth = was.PenWidth;
        o.PenColor = was.PenColor;
        o.BrushColor = was.BrushColor;
    }
}

namespace {

enum class Family { Point, Line, Polygon, Other };

Family FamilyOf(int type) {
    if (IsPointType(type) || IsMultiPointType(type)) return Family::Point;
    if (type == 3 || type == 13 || type == 23) return Family::Line;
    if (IsPolygonType(type)) return Family::Polygon;
    return Family::Other;
}

// Symbol of class or value k; -1 (the first of each cycle) draws in the
// layer's own style.
void ApplySymbol(SymObj& o, Family f, int k, int polygonCycle) {
    switch (f) {
        case Family::Point: o.BrushStyle = (k % 5) - 1; break;
        case Family::Line: o.PenStyle = (k % 4) - 1; break;
        case Family::Polygon: o.BrushStyle = (k % polygonCycle) - 1; break;
        case Family::Other: break;
    }
}

std::string Number(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string SkippedNotice(int skipped, const std::string& field) {
    if (skipped <= 0) return {};
    return std::to_string(skipped) + (skipped == 1 ? " shape has" : " shapes have") + " no number in " +
           field + " and " + (skipped == 1 ? "was" : "were") + " left unclassed.";
}

// Shapes that exist both as geometry and as style records.
int ShapeCount(const LayerStore& store, int layer) {
    const ShpLayer& L = store.ShapeLayers[layer];
    return static_cast<int>(std::min<long long>(
        {static_cast<long long>(L.NumRecords), static_cast<long long>(L.Shapes.size()) - 1,
         static_cast<long long>(store.SymLayers[layer].SymObjs.size()) - 1}));
}

// Progress per shape; the bar moves once a percent.
void Percent(Progress& progress, int i, int n) {
    const int step = n >= 100 ? n / 100 : 1;
    if (i % step == 0 || i == n) progress.SetPosition(n > 0 ? std::llround(static_cast<double>(i) / n * 100.0) : 0);
    progress.Pump();
}

}  // namespace

SetValuesResult SetValues(LayerStore& store, int layer, int field, ClassStyleMode mode, Progress& progress) {
    SetValuesResult r;
    if (!HasField(store, layer, field) || !ValidLayer(store, layer)) return r;
    EnsureSymObjs(store, layer);
    progress.SetRange(0, 100);
    DistinctValueList list = DistinctValues(store, layer, field);
    r.Skipped = list.Skipped;
    if (list.Values.size() > 101) r.Notice = "last one is " + std::to_string(list.Values.size() - 1);
    const std::string skipped = SkippedNotice(r.Skipped, store.ShapeLayers[layer].Fields[field].Name);
    if (!skipped.empty()) r.Notice += (r.Notice.empty() ? "" : "\r\n") + skipped;

    if (ShownVisible(store.SymLayers[layer]) == 1) CopyLayerStyleToObjects(store, layer);
    const ShpLayer& L = store.ShapeLayers[layer];
    const Family fam = FamilyOf(L.ShapeType);
    std::vector<SymObj>& objs = store.SymLayers[layer].SymObjs;
    r.Counts.assign(list.Values.size(), 0);
    const int n = ShapeCount(store, layer);
    for (int i = 1; i <= n; ++i) {
        auto it = list.Position.find(ValueOf(L, i, field));
        if (it != list.Position.end()) {
            const int k = it->second;
            SymObj& o = objs[i];
            o.StyleSet = 1;
            if (mode != ClassStyleMode::Symbol) o.PenColor = o.BrushColor = palette(k);
            if (mode != ClassStyleMode::Color) ApplySymbol(o, fam, k, 7);
            ++r.Counts[k];
        }
        Percent(progress, i, n);
    }
    r.Values = std::move(list.Values);
    r.Ok = true;
    progress.SetPosition(0);
    return r;
}

SetClassesResult SetClasses(LayerStore& store, int layer, int field, int n, ClassStyleMode mode,
                            const std::vector<COLORREF>& ramp, bool quantiles, Progress& progress) {
    SetClassesResult r;
    if (!HasField(store, layer, field) || !ValidLayer(store, layer) || n < 1) return r;
    const ShpLayer& L = store.ShapeLayers[layer];
    const FieldDefRec& f = L.Fields[field];
    if (!IsNumericFieldType(f.DataType)) {
        r.Error = "Not a Numeric Field";
        return r;
    }
    EnsureSymObjs(store, layer);
    progress.SetRange(0, 100);
    const bool integer = IsIntegerFieldType(f.DataType);
    const int count = ShapeCount(store, layer);

    // One pass reads every number; shapes without one are remembered as such.
    std::vector<double> v(static_cast<std::size_t>(count) + 1, 0.0);
    std::vector<char> has(static_cast<std::size_t>(count) + 1, 0);
    double mn = std::numeric_limits<double>::infinity(), mx = -std::numeric_limits<double>::infinity();
    int numbers = 0;
    for (int i = 1; i <= count; ++i) {
        if (ParseNumber(ValueOf(L, i, field), integer, v[i]) && std::isfinite(v[i])) {
            has[i] = 1;
            ++numbers;
            mn = std::min(mn, v[i]);
            mx = std::max(mx, v[i]);
        } else {
            ++r.Skipped;
        }
        Percent(progress, i, count);
    }
    if (numbers == 0 && count > 0) {
        r.Error = "Not a Numeric Field";
        progress.SetPosition(0);
        return r;
    }
    r.Notice = SkippedNotice(r.Skipped, f.Name);

    r.Breaks.assign(static_cast<std::size_t>(n) + 1, 0.0);
    if (numbers > 0) {
        r.Breaks[0] = mn;
        if (quantiles) {
            std::vector<double> sorted;
            sorted.reserve(numbers);
            for (int i = 1; i <= count; ++i)
                if (has[i]) sorted.push_back(v[i]);
            std::sort(sorted.begin(), sorted.end());
            for (int j = 1; j <= n; ++j) {
                const long long pos = (static_cast<long long>(j) * numbers + n - 1) / n;  // ceil
                r.Breaks[j] = sorted[static_cast<std::size_t>(std::max<long long>(pos, 1) - 1)];
            }
        } else {
            const double width = (mx - mn) / n;
            for (int j = 1; j <= n; ++j) r.Breaks[j] = mn + j * width;
            r.Breaks[n] = mx;  // exact, whatever the rounding of j * width
        }
    }

    if (ShownVisible(store.SymLayers[layer]) == 1) CopyLayerStyleToObjects(store, layer);
    SymLayer& sym = store.SymLayers[layer];
    sym.NumClasses = n;
    // The layer keeps the breaks as its side file and project files mean
    // them: offsets from the minimum in 1..N, element 0 unused.
    sym.ClassBreaks.assign(r.Breaks.size(), 0.0);
    for (std::size_t j = 1; j < r.Breaks.size(); ++j) sym.ClassBreaks[j] = r.Breaks[j] - r.Breaks[0];
    const Family fam = FamilyOf(L.ShapeType);
    r.Counts.assign(static_cast<std::size_t>(n) + 1, 0);
    const double width = numbers > 0 ? (mx - mn) / n : 0;
    for (int i = 1; i <= count; ++i) {
        if (has[i]) {
            int j;
            if (quantiles) {
                j = static_cast<int>(std::lower_bound(r.Breaks.begin() + 1, r.Breaks.end(), v[i]) -
                                     r.Breaks.begin());
            } else {
                // First class whose top offset holds the value; what rounding
                // puts above the last one belongs to the top class.
                j = width > 0 ? static_cast<int>(std::ceil((v[i] - mn) / width)) : 1;
                while (j > 1 && v[i] - mn <= (j - 1) * width) --j;
                while (j < n && v[i] - mn > j * width) ++j;
            }
            j = std::clamp(j, 1, n);
            SymObj& o = sym.SymObjs[i];
            o.StyleSet = 1;
            if (mode != ClassStyleMode::Symbol) {
                const COLORREF c = static_cast<std::size_t>(j) < ramp.size() ? ramp[j] : 0;
                o.PenColor = o.BrushColor = c;
            }
            if (mode != ClassStyleMode::Color) ApplySymbol(o, fam, j, mode == ClassStyleMode::Symbol ? 6 : 7);
            ++r.Counts[j];
        }
        Percent(progress, i, count);
    }
    for (int j = 1; j <= n; ++j)
        r.Labels.push_back(Number(r.Breaks[j - 1]) + " - " + Number(r.Breaks[j]) + " (" +
                           std::to_string(r.Counts[j]) + ")");
    r.Ok = true;
    progress.SetPosition(0);
    return r;
}

void ClassifySession::Clear() {
    values_ = classes_ = restored_ = false;
}

void ClassifySession::Init(COLORREF startColor) {
    start_ = startColor & 0xFFFFFF;
    inverted_ = false;
    snapshots_.clear();
    SetLayer(store_.CurrentLayer);
    RecomputeRamp();
}

void ClassifySession::SetLayer(int layer) {
    layer_ = ValidLayer(store_, layer) ? layer : 0;
    field_ = 0;
    Clear();
}

void ClassifySession::SetField(int field) {
    field_ = HasField(store_, layer_, field) ? field : 0;
    Clear();
}

void ClassifySession::SetNumClasses(int n) {
    n_ = (n == 5 || n == 7 || n == 9 || n == 11) ? n : 5;
    RecomputeRamp();
}

void ClassifySession::SetStartColor(COLORREF c) {
    start_ = c & 0xFFFFFF;
    inverted_ = false;
    RecomputeRamp();
}

void ClassifySession::InvertRamp() {
    inverted_ = !inverted_;
    RecomputeRamp();
}

void ClassifySession::RecomputeRamp() {
    ramp_ = ColorRamp(start_, n_);
    if (inverted_) {
        std::reverse(ramp_.begin() + 1, ramp_.end());
        ramp_[0] = ramp_[1];
    }
    classes_ = false;
}

void ClassifySession::Snapshot() {
    if (!snapshots_.count(layer_)) snapshots_[layer_] = TakeStyleSnapshot(store_, layer_);
}

SetValuesResult ClassifySession::DoSetValues(Progress& progress) {
    if (values_ || !HasField(store_, layer_, field_)) return {};
    Snapshot();
    SetValuesResult r = SetValues(store_, layer_, field_, Mode, progress);
    if (r.Ok) {
        values_ = true;
        classes_ = false;
        restored_ = false;
    }
    return r;
}

SetClassesResult ClassifySession::DoSetClasses(Progress& progress) {
    if (classes_ || !HasField(store_, layer_, field_)) return {};
    RecomputeRamp();
    if (!IsNumericFieldType(store_.ShapeLayers[layer_].Fields[field_].DataType)) {
        SetClassesResult r;
        r.Error = "Not a Numeric Field";
        return r;
    }
    Snapshot();
    SetClassesResult r = SetClasses(store_, layer_, field_, n_, Mode, ramp_, Quantiles, progress);
    if (r.Ok) {
        classes_ = true;
        values_ = false;
        restored_ = false;
    }
    return r;
}

bool ClassifySession::Apply() {
    if (!ValidLayer(store_, layer_)) return false;
    int v;
    if (classes_ && !restored_)
        v = 3;
    else if (values_ && !restored_)
        v = 2;
    else if (restored_)
        return true;  // the restored styles are already in place
    else
        return false;
    store_.SymLayers[layer_].Visible = v;
    return true;
}

bool ClassifySession::Cancel() {
    values_ = classes_ = false;
    restored_ = true;
    auto it = snapshots_.find(layer_);
    if (it == snapshots_.end()) return false;
    RestoreStyleSnapshot(store_, it->second);
    snapshots_.erase(it);
    return true;
}

}  // namespace zemba
