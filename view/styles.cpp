#include "view/styles.h"

#include <algorithm>
#include <cmath>

#include "view/viewport.h"

namespace zemba {

bool ValidLayer(const LayerStore& store, int layer) {
    return layer >= 1 && layer <= store.LayerCount &&
           static_cast<std::size_t>(layer) < store.ShapeLayers.size() &&
           static_cast<std::size_t>(layer) < store.SymLayers.size();
}

void EnsureSymObjs(LayerStore& store, int layer) {
    if (!ValidLayer(store, layer)) return;
    const std::size_t want = static_cast<std::size_t>(std::max(0, store.ShapeLayers[layer].NumRecords)) + 1;
    std::vector<SymObj>& v = store.SymLayers[layer].SymObjs;
    if (v.size() < want) v.resize(want);
}

int ShownVisible(const SymLayer& s) {
    if (s.Visible >= 1) return s.Visible;
    return s.Visible < 0 ? -s.Visible : 1;
}

void SetLayerVisible(LayerStore& store, int layer, bool visible) {
    if (!ValidLayer(store, layer)) return;
    SymLayer& s = store.SymLayers[layer];
    if (visible)
        s.Visible = ShownVisible(s);
    else if (s.Visible >= 1)
        s.Visible = s.Visible == 1 ? 0 : -s.Visible;
}

void CopyLayerStyleToObjects(LayerStore& store, int layer) {
    if (!ValidLayer(store, layer)) return;
    EnsureSymObjs(store, layer);
    SymLayer& s = store.SymLayers[layer];
    for (std::size_t i = 1; i < s.SymObjs.size(); ++i) {
        SymObj& o = s.SymObjs[i];
        o.StyleSet = 1;
        o.BrushStyle = s.ShapeStyle;
        o.PenStyle = s.LineStyle;
        o.PenWidth = s.LineWidth;
        o.PenColor = s.LineColor;
        o.BrushColor = s.FillColor;
    }
}

void SwitchToObjectStyles(LayerStore& store, int layer, int objectVisible) {
    if (!ValidLayer(store, layer)) return;
    SymLayer& s = store.SymLayers[layer];
    EnsureSymObjs(store, layer);
    if (ShownVisible(s) == 1) CopyLayerStyleToObjects(store, layer);
    s.Visible = s.Visible >= 1 ? objectVisible : -objectVisible;
}

bool UsesMarkers(int t) { return t == 1 || t == 8; }

std::vector<std::string> SymbolStyleNames(int t) {
    if (UsesMarkers(t))
        return {"Square Marker", "Circle Marker", "Triangle Marker", "Dot Marker", "Dot Circle Marker",
                "XBox Marker"};
    return {"Solid Fill",           "Horizontal Fill",          "Vertical Fill",
            "Upward Diagonal Fill", "Downward Diagonal Fill",   "Cross Fill",
            "Diagonal Cross Fill",  "Transparent Fill"};
}

std::vector<std::string> LineStyleNames(int t) {
    if (UsesMarkers(t)) return {};
    return {"Solid Line", "Dash Line", "Dot Line", "Dash-Dot Line", "Dash-Dot-Dot Line"};
}

std::vector<std::string> LayerRows(const LayerStore& store) {
    std::vector<std::string> rows;
    for (int r = 0; r < store.LayerCount && static_cast<std::size_t>(r) < store.LayerOrder.size(); ++r) {
        const int L = store.LayerOrder[r];
        rows.push_back(ValidLayer(store, L) ? store.ShapeLayers[L].ShpName : std::string());
    }
    return rows;
}

int LayerOfRow(const LayerStore& store, int row) {
    if (row < 0 || row >= store.LayerCount || static_cast<std::size_t>(row) >= store.LayerOrder.size())
        return 0;
    const int L = store.LayerOrder[row];
    return ValidLayer(store, L) ? L : 0;
}

int RowOfLayer(const LayerStore& store, int layer) {
    for (int r = 0; r < store.LayerCount && static_cast<std::size_t>(r) < store.LayerOrder.size(); ++r)
        if (store.LayerOrder[r] == layer) return r;
    return -1;
}

void SetOutlined(LayerStore& store, int layer, bool on, COLORREF background) {
    if (!ValidLayer(store, layer)) return;
    SymLayer& s = store.SymLayers[layer];
    s.Outlined = on ? 1 : 0;
    s.LineStyle = on ? 0 : 5;
    s.LineColor = on ? 0x000000 : background;
}

void SetLabelBackground(LayerStore& store, int layer, bool on, COLORREF background) {
    if (!ValidLayer(store, layer)) return;
    SymLayer& s = store.SymLayers[layer];
    s.LabelBackgrounded = on ? 1 : 0;
    s.LabelBackColor = on ? 0xFFFFFF : background;
}

bool SetLineWidthText(LayerStore& store, int layer, const std::string& text, Prompter& prompter) {
    if (!ValidLayer(store, layer)) return false;
    long v = 0;
    const int pos = ParseIntPos(text, v);
    if (pos != 0) {
        prompter.Message(MsgFamily::ErrorNumber, pos, text);
        return false;
    }
    store.SymLayers[layer].LineWidth = static_cast<std::int32_t>(std::clamp<long>(v, 1, 10));
    return true;
}

int MoveLayerUp(LayerStore& store, int row) {
    const int n = std::min<int>(store.LayerCount, static_cast<int>(store.LayerOrder.size()));
    if (row < 1 || row >= n) return row;
    std::swap(store.LayerOrder[row - 1], store.LayerOrder[row]);
    return row - 1;
}

int MoveLayerDown(LayerStore& store, int row) {
    const int n = std::min<int>(store.LayerCount, static_cast<int>(store.LayerOrder.size()));
    if (row < 0 || row >= n - 1) return row;
    std::swap(store.LayerOrder[row + 1], store.LayerOrder[row]);
    return row + 1;
}

DeleteOutcome DeleteLayer(LayerStore& store, int row, Prompter& prompter,
                          const std::function<void()>& clearAll) {
    DeleteOutcome out;
    const int L = LayerOfRow(store, row);
    if (L == 0) return out;
    const ShpLayer& gone = store.ShapeLayers[L];
    if (gone.Modified &&
        prompter.AskYesNoText("Layer " + gone.ShpName + " has changes that are not saved.\r\nDelete it anyway?") !=
            Answer::Yes)
        return out;
    out.Deleted = true;
    out.SelectionLost = store.CurrentLayer == L && store.CurrentShape > 0;

    // The layer made by a creation command frees that command.
    auto created = [&](std::int32_t& index, bool& made, bool& freed) {
        if (index == L && made) {
            made = false;
            index = 0;
            freed = true;
        } else if (index > L) {
            index -= 1;
        }
    };
    created(store.PointLayerIndex, store.PointLayerMade, out.PointLayerFreed);
    created(store.LineLayerIndex, store.LineLayerMade, out.LineLayerFreed);
    created(store.PolygonLayerIndex, store.PolygonLayerMade, out.PolygonLayerFreed);
    created(store.AnnoLayerIndex, store.AnnoLayerMade, out.AnnoLayerFreed);

    if (store.LayerCount <= 1) {
        if (clearAll)
            clearAll();
        else
            store.ClearAll();
        out.ClearedAll = true;
        out.SelectionLost = true;
        return out;
    }

    store.ShapeLayers.erase(store.ShapeLayers.begin() + L);
    store.SymLayers.erase(store.SymLayers.begin() + L);
    store.LayerCount -= 1;
    store.LayerOrder.erase(store.LayerOrder.begin() + row);
    for (std::int32_t& k : store.LayerOrder)
        if (k > L) k -= 1;
    store.LayerOrder.resize(store.LayerCount);
    for (int i = L; i <= store.LayerCount; ++i) store.ShapeLayers[i].LayerIndex = i;

    // Candidates of the deleted layer go; those above it follow their layer.
    std::vector<HitEntry> hits(1);
    for (int k = 1; k <= store.HitCount && static_cast<std::size_t>(k) < store.HitList.size(); ++k) {
        HitEntry h = store.HitList[k];
        if (h.Layer == L) continue;
        if (h.Layer > L) h.Layer -= 1;
        hits.push_back(h);
    }
    store.HitList = std::move(hits);
    store.HitCount = static_cast<std::int32_t>(store.HitList.size()) - 1;

    // The current layer follows its renumbering; when it was the deleted one
    // the first layer takes over, without a selection.
    if (store.CurrentLayer == L) {
        store.CurrentLayer = 1;
        store.CurrentShape = store.CurrentPart = store.CurrentPoint = 0;
        store.CurrentField = 0;
    } else if (store.CurrentLayer > L) {
        store.CurrentLayer -= 1;
    }
    return out;
}

void ResetStyles(LayerStore& store, const FontDesc& font) {
    for (int i = 1; i <= store.LayerCount; ++i) {
        if (!ValidLayer(store, i)) continue;
        SymLayer& s = store.SymLayers[i];
        s.Editable = 1;
        store.SetDefaultStyle(i);
        s.SpareA = 5;
        s.SpareB = 25;
        s.NumClasses = 5;
        s.Visible = 1;
        s.Labeled = 0;
        s.SpareColorA = 0x00FF00;
        s.SpareColorB = 0x008000;
        s.Outlined = 1;
        s.LabelBackColor = 0xFFFFFF;
        s.LabelBackgrounded = 1;
        s.LabelFont = std::make_shared<FontDesc>(font);
        s.LabelFont->Escapement = 0;
        s.LabelFontHeight = 0;
        s.LabelRotation = 0;
        s.LabelField = 0;
        s.ClassBreaks = {0, 1, 2, 3, 4, 5};
    }
}

FontRef MakeLabelFont(const FontDesc& sample, int rotation) {
    auto f = std::make_shared<FontDesc>(sample);
    f->Escapement = rotation * 10;
    return f;
}

void LabelAsSelected(LayerStore& store, int layer, const LabelSettings& st, Progress& progress) {
    if (!ValidLayer(store, layer)) return;
    EnsureSymObjs(store, layer);
    SymLayer& s = store.SymLayers[layer];
    const ShpLayer& L = store.ShapeLayers[layer];
    s.Labeled = 1;
    s.LabelRotation = st.Rotation;
    s.LabelBackgrounded = st.Backgrounded ? 1 : 0;
    s.LabelBackColor = st.BackColor;
    s.LabelField = st.Field;
    s.LabelFont = MakeLabelFont(st.Font, st.Rotation);
    s.LabelFontHeight = st.FontHeight;
    const bool haveField = st.Field >= 0 && static_cast<std::size_t>(st.Field) < L.Fields.size();
    const int n = std::min<int>(L.NumRecords, static_cast<int>(s.SymObjs.size()) - 1);
    progress.SetRange(0, 100);
    for (int i = 1; i <= n; ++i) {
        SymObj& o = s.SymObjs[i];
        o.LabelSet = 1;
        o.LabelPlaced = 0;
        o.LabelText = haveField && static_cast<std::size_t>(i) < L.Shapes.size() &&
                              static_cast<std::size_t>(st.Field) < L.Shapes[i].Values.size()
                          ? L.Shapes[i].Values[st.Field]
                          : std::string();
        o.LabelRotation = s.LabelRotation;
        o.LabelBackgrounded = s.LabelBackgrounded;
        o.LabelBackColor = s.LabelBackColor;
        o.LabelFont = s.LabelFont;
        o.LabelFontHeight = s.LabelFontHeight;
        progress.SetPosition(std::llround(static_cast<double>(i) / n * 100.0));
        progress.Pump();
    }
    progress.SetPosition(0);
}

namespace {

SymObj* SelectedObject(LayerStore& store, bool shapeSelected) {
    if (store.LayerCount < 1 || !shapeSelected) return nullptr;
    const int L = store.CurrentLayer, i = store.CurrentShape;
    if (!ValidLayer(store, L) || i < 1 || i > store.ShapeLayers[L].NumRecords) return nullptr;
    EnsureSymObjs(store, L);
    return &store.SymLayers[L].SymObjs[i];
}

}  // namespace

bool ObjectStyleCommand(LayerStore& store, bool shapeSelected, ObjectStyleKind kind, std::uint32_t value) {
    if (!SelectedObject(store, shapeSelected)) return false;
    const int L = store.CurrentLayer;
    SymLayer& s = store.SymLayers[L];
    if (ShownVisible(s) == 1) SwitchToObjectStyles(store, L, 5);
    SymObj& o = s.SymObjs[store.CurrentShape];
    if (o.StyleSet <= 0) {
        // A shape of a layer already in object styles that never had its own.
        o.BrushStyle = s.ShapeStyle;
        o.PenStyle = s.LineStyle;
        o.PenWidth = s.LineWidth;
        o.PenColor = s.LineColor;
        o.BrushColor = s.FillColor;
        o.StyleSet = 1;
    }
    const int k = static_cast<int>(value);
    switch (kind) {
        case ObjectStyleKind::PointType:
            if (k >= 0 && k <= 5) o.BrushStyle = k;
            break;
        case ObjectStyleKind::PolyFill:
            if (k >= 0 && k <= 7) o.BrushStyle = k;
            break;
        case ObjectStyleKind::LineType:
            if (k >= 0 && k <= 4) o.PenStyle = k;
            break;
        case ObjectStyleKind::LineColor:
            o.PenColor = value & 0xFFFFFF;
            break;
        case ObjectStyleKind::FillColor:
            o.BrushColor = value & 0xFFFFFF;
            break;
    }
    return true;
}

bool BeginObjectLabel(LayerStore& store, bool shapeSelected) {
    SymObj* o = SelectedObject(store, shapeSelected);
    if (!o) return false;
    if (o->LabelSet <= 0) {
        const SymLayer& s = store.SymLayers[store.CurrentLayer];
        o->LabelSet = 1;
        o->LabelRotation = s.LabelRotation;
        o->LabelBackgrounded = s.LabelBackgrounded;
        o->LabelBackColor = s.LabelBackColor;
    }
    if (!o->LabelFont) {
        const SymLayer& s = store.SymLayers[store.CurrentLayer];
        o->LabelFont = s.LabelFont ? s.LabelFont : store.DefaultLabelFont;
    }
    return true;
}

void ApplyObjectLabel(LayerStore& store, int layer, int shape, const ObjectLabelSettings& st) {
    if (!ValidLayer(store, layer) || shape < 1 || shape > store.ShapeLayers[layer].NumRecords ||
        static_cast<std::size_t>(shape) >= store.ShapeLayers[layer].Shapes.size())
        return;
    EnsureSymObjs(store, layer);
    SymLayer& s = store.SymLayers[layer];
    SymObj& o = s.SymObjs[shape];
    s.Labeled = 4;
    o.LabelSet = 1;
    if (!o.LabelPlaced) {
        // Fixed where the redraw would have put it, even if it never drew.
        const ShpObj& g = store.ShapeLayers[layer].Shapes[shape];
        o.LabelX = (g.XMin + g.XMax) / 2;
        o.LabelY = (g.YMin + g.YMax) / 2;
    }
    o.LabelPlaced = 1;
    o.LabelText = st.Text;
    o.LabelRotation = st.Rotation;
    o.LabelBackgrounded = st.Backgrounded ? 1 : 0;
    o.LabelBackColor = st.BackColor;
    o.LabelFont = MakeLabelFont(st.Font, st.Rotation);
    o.LabelFontHeight = st.FontHeight;
}

}  // namespace zemba
