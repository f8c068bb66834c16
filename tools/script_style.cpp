// Script commands of styling, labelling, classifying and finding: the
// Layer Properties, Classify and Find windows without a window. They act on
// the current layer.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "app/style_actions.h"
#include "attributes/classify.h"
#include "attributes/find.h"
#include "attributes/values.h"
#include "tools/script.h"
#include "view/styles.h"

namespace zemba {
namespace {

int NeedField(ScriptSession& s, const std::string& name) {
    s.NeedLayer();
    const auto& fields = s.store.ShapeLayers[s.store.CurrentLayer].Fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string a = fields[i].Name, b = name;
        std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return std::toupper(c); });
        std::transform(b.begin(), b.end(), b.begin(), [](unsigned char c) { return std::toupper(c); });
        if (a == b) return static_cast<int>(i);
    }
    throw ScriptError(name + ": no such field in " + s.store.ShapeLayers[s.store.CurrentLayer].ShpName);
}

// RRGGBB as written on the web, into a COLORREF.
COLORREF ParseColour(const std::string& t) {
    std::string h = t[0] == '#' ? t.substr(1) : t;
    char* end = nullptr;
    const unsigned long v = std::strtoul(h.c_str(), &end, 16);
    if (h.size() != 6 || !end || *end != '\0') throw ScriptError(t + ": a colour is RRGGBB");
    return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

bool ParseOnOff(const std::string& t) {
    if (t == "on" || t == "1" || t == "yes") return true;
    if (t == "off" || t == "0" || t == "no") return false;
    throw ScriptError(t + ": expected on or off");
}

void PrintFound(ScriptSession& s, const FindResult& r) {
    StoreHits(s.store, r);
    s.out << FoundText(s.store.HitCount) << "\n";
    for (std::size_t k = 0; k < r.Hits.size(); ++k) s.out << (k ? " " : "") << r.Hits[k].Shape;
    if (!r.Hits.empty()) s.out << "\n";
    if (!r.Notice.empty()) s.prompter.ShowErrorText(r.Notice);
}

ZEMBA_SCRIPT_COMMAND("layer", "layer N", 1, 1, [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    const int L = ScriptInt(a[0]);
    if (!ValidLayer(s.store, L)) throw ScriptError("no layer " + a[0]);
    SelectLayerKeepingStyle(*s.files, s.store, L);
});

ZEMBA_SCRIPT_COMMAND("values", "values FIELD", 1, 1, [](ScriptSession& s, const ScriptArgs& a) {
    const int f = NeedField(s, a[0]);
    const DistinctValueList d = DistinctValues(s.store, s.store.CurrentLayer, f);
    for (const std::string& v : d.Values) s.out << v << "\n";
    s.out << d.Values.size() << " values";
    if (d.Skipped) s.out << ", " << d.Skipped << " shapes without a number";
    s.out << "\n";
});

ZEMBA_SCRIPT_COMMAND("find-text", "find-text FIELD TEXT", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    const int f = NeedField(s, a[0]);
    PrintFound(s, FindText(s.store, s.store.CurrentLayer, f, a[1], s.progress));
});

ZEMBA_SCRIPT_COMMAND("find-value", "find-value FIELD OP VALUE  (OP: < = > >= <> <= like)", 3, 3,
                     [](ScriptSession& s, const ScriptArgs& a) {
                         const int f = NeedField(s, a[0]);
                         CompareOp op;
                         if (!ParseCompareOp(a[1], op)) throw ScriptError(a[1] + ": not a comparison");
                         const FindResult r = FindValue(s.store, s.store.CurrentLayer, f, op, a[2], s.progress);
                         if (r.ErrorNumber == 4) throw ScriptError("Not a Number");
                         PrintFound(s, r);
                     });

ZEMBA_SCRIPT_COMMAND("find-near", "find-near DISTANCE LAYER... (within, next-to: 0)", 2, -1,
                     [](ScriptSession& s, const ScriptArgs& a) {
                         s.NeedLayer();
                         std::vector<int> layers;
                         for (std::size_t k = 1; k < a.size(); ++k) layers.push_back(ScriptInt(a[k]));
                         PrintFound(s, FindSpatial(s.store, s.store.CurrentLayer, layers, SpatialRelation::Within,
                                                   ScriptNumber(a[0]), s.progress));
                     });

ZEMBA_SCRIPT_COMMAND("zoom-found", "zoom-found", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    s.NeedLayer();
    FoundBox box;
    for (int k = 1; k <= s.store.HitCount; ++k) {
        const HitEntry& h = s.store.HitList[k];
        if (ValidLayer(s.store, h.Layer) && h.Shape >= 1 &&
            static_cast<std::size_t>(h.Shape) < s.store.ShapeLayers[h.Layer].Shapes.size())
            box.Add(s.store.ShapeLayers[h.Layer].Shapes[h.Shape]);
    }
    if (!ZoomToFound(s.store, box)) throw ScriptError("nothing found to zoom to");
    UpdateViewScale(s.store, s.view);
});

ZEMBA_SCRIPT_COMMAND("highlight", "highlight", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    s.NeedLayer();
    if (s.store.HitCount < 1 || !HighlightFound(s.store, s.store.HitList[1].Layer, s.options.HighlightColor))
        throw ScriptError("nothing found to highlight");
});

ZEMBA_SCRIPT_COMMAND(
    "classify", "classify FIELD [--classes N] [--mode color|symbol|both] [--start RRGGBB] [--quantiles] [--invert] [--values]",
    1, -1, [](ScriptSession& s, const ScriptArgs& a) {
        const int f = NeedField(s, a[0]);
        ClassifySession c(s.store);
        c.Init(s.options.ClassStartColor);
        c.SetField(f);
        bool values = false, invert = false;
        for (std::size_t k = 1; k < a.size(); ++k) {
            const std::string& o = a[k];
            auto next = [&]() -> const std::string& {
                if (k + 1 >= a.size()) throw ScriptError(o + " needs a value");
                return a[++k];
            };
            if (o == "--classes") {
                const int n = ScriptInt(next());
                if (n != 5 && n != 7 && n != 9 && n != 11) throw ScriptError("--classes is 5, 7, 9 or 11");
                c.SetNumClasses(n);
            } else if (o == "--mode") {
                const std::string& m = next();
                if (m == "color") c.Mode = ClassStyleMode::Color;
                else if (m == "symbol") c.Mode = ClassStyleMode::Symbol;
                else if (m == "both") c.Mode = ClassStyleMode::Both;
                else throw ScriptError(m + ": the mode is color, symbol or both");
            } else if (o == "--start") {
                c.SetStartColor(ParseColour(next()));
            } else if (o == "--quantiles") {
                c.Quantiles = true;
            } else if (o == "--invert") {
                invert = true;
            } else if (o == "--values") {
                values = true;
            } else {
                throw ScriptError(o + ": unknown option");
            }
        }
        if (invert) c.InvertRamp();
        if (values) {
            const SetValuesResult r = c.DoSetValues(s.progress);
            if (!r.Ok) throw ScriptError("nothing to classify");
            for (std::size_t k = 0; k < r.Values.size(); ++k) s.out << r.Values[k] << " (" << r.Counts[k] << ")\n";
            if (!r.Notice.empty()) s.prompter.ShowErrorText(r.Notice);
        } else {
            const SetClassesResult r = c.DoSetClasses(s.progress);
            if (!r.Error.empty()) throw ScriptError(r.Error);
            if (!r.Ok) throw ScriptError("nothing to classify");
            for (std::size_t j = 0; j < r.Labels.size(); ++j) s.out << "class " << j + 1 << ": " << r.Labels[j] << "\n";
            if (!r.Notice.empty()) s.prompter.ShowErrorText(r.Notice);
        }
        c.Apply();
    });

ZEMBA_SCRIPT_COMMAND("label", "label FIELD [--rotation D] [--no-background]", 1, -1,
                     [](ScriptSession& s, const ScriptArgs& a) {
                         const int f = NeedField(s, a[0]);
                         const int L = s.store.CurrentLayer;
                         LabelSettings st;
                         st.Field = f;
                         st.BackColor = s.store.SymLayers[L].LabelBackColor;
                         st.Backgrounded = s.store.SymLayers[L].LabelBackgrounded != 0;
                         if (s.store.SymLayers[L].LabelFont) st.Font = *s.store.SymLayers[L].LabelFont;
                         for (std::size_t k = 1; k < a.size(); ++k) {
                             if (a[k] == "--rotation" && k + 1 < a.size())
                                 st.Rotation = std::clamp(ScriptInt(a[++k]), 0, 359);
                             else if (a[k] == "--no-background")
                                 st.Backgrounded = false;
                             else
                                 throw ScriptError(a[k] + ": unknown option");
                         }
                         if (!st.Backgrounded) st.BackColor = s.view.BackgroundColor;
                         LabelAsSelected(s.store, L, st, s.progress);
                     });

ZEMBA_SCRIPT_COMMAND(
    "style",
    "style [visible on|off] [fill RRGGBB] [line RRGGBB] [width N] [fill-style N] [line-style N] [outlined on|off] "
    "[labeled on|off] [skip-overlaps on|off] [apply] [up] [down] [delete] [reset]",
    1, -1, [](ScriptSession& s, const ScriptArgs& a) {
        s.NeedLayer();
        for (std::size_t k = 0; k < a.size(); ++k) {
            const std::string& key = a[k];
            const int L = s.store.CurrentLayer;
            SymLayer& y = s.store.SymLayers[L];
            auto next = [&]() -> const std::string& {
                if (k + 1 >= a.size()) throw ScriptError(key + " needs a value");
                return a[++k];
            };
            if (key == "visible") {
                SetLayerVisible(s.store, L, ParseOnOff(next()));
            } else if (key == "fill") {
                y.FillColor = ParseColour(next());
            } else if (key == "line") {
                y.LineColor = ParseColour(next());
            } else if (key == "width") {
                if (!SetLineWidthText(s.store, L, next(), s.prompter)) throw ScriptError("width: not an integer");
            } else if (key == "fill-style") {
                y.ShapeStyle = std::clamp(ScriptInt(next()), 0, UsesMarkers(s.store.ShapeLayers[L].ShapeType) ? 5 : 7);
            } else if (key == "line-style") {
                y.LineStyle = std::clamp(ScriptInt(next()), 0, 5);
            } else if (key == "outlined") {
                SetOutlined(s.store, L, ParseOnOff(next()), s.view.BackgroundColor);
            } else if (key == "labeled") {
                y.Labeled = ParseOnOff(next()) ? 1 : 0;
            } else if (key == "skip-overlaps") {
                s.view.SkipOverlappingLabels = ParseOnOff(next());
            } else if (key == "apply") {
                y.Visible = 1;
            } else if (key == "up" || key == "down") {
                const int row = RowOfLayer(s.store, L);
                key == "up" ? MoveLayerUp(s.store, row) : MoveLayerDown(s.store, row);
            } else if (key == "delete") {
                const DeleteOutcome out = DeleteLayer(s.store, RowOfLayer(s.store, L), s.prompter,
                                                      [&s] { s.files->ClearAll(false); });
                if (!out.Deleted) throw ScriptError("the layer was not deleted");
                if (!out.ClearedAll) s.files->LayerComboUpdate(s.store.CurrentLayer);
                return;  // no current layer to style further
            } else if (key == "reset") {
                ResetStyles(s.store, s.store.DefaultLabelFont ? *s.store.DefaultLabelFont : FontDesc{});
            } else {
                throw ScriptError(key + ": unknown style setting");
            }
        }
    });

}  // namespace
}  // namespace zemba
