// Script commands of picking, editing, creation and undo: the same tool
// controller the map window drives, with world coordinates in place of
// pointer positions.

#include <filesystem>

#include <QString>

#include "text/layer_codec.h"
#include "tools/script.h"
#include "view/editing.h"
#include "view/renderer.h"

namespace zemba {

ToolController& ScriptSession::Tools() {
    if (!tools) {
        tools = std::make_unique<ToolController>(store, view, &Renderer(), prompter);
        tools->SelectionRadius = options.SelectionRadius;
        // Leaving editing (clear-all, another layer) ends the history, as in
        // the window.
        ToolController* t = tools.get();
        auto prev = files->hooks().EndEditing;
        files->hooks().EndEditing = [t, prev] {
            if (prev) prev();
            t->DisableEditing(0);
        };
    }
    return *tools;
}

namespace {

std::string Id(std::int32_t layer, std::int32_t shape) {
    return std::to_string(layer) + "." + std::to_string(shape);
}

// Hit test and pick at world (X, Y) on the current view, as an info click.
void HitAt(ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    UpdateViewScale(s.store, s.view);
    const PixelPoint p = WorldToPixel(s.store, s.view, ScriptNumber(a[0]), ScriptNumber(a[1]));
    if (!s.Tools().SelectAt(p.x, p.y)) throw ScriptError("nothing at " + a[0] + " " + a[1]);
}

void NeedSelection(ScriptSession& s) {
    if (!s.tools || !s.tools->Flags().ShapeSelected) throw ScriptError("no shape is selected (use select X Y)");
}

void Edit(ScriptSession& s, int code, double dx, double dy, const char* done) {
    NeedSelection(s);
    const std::string id = Id(s.store.CurrentLayer, s.store.CurrentShape);
    s.prompter.last.clear();
    if (!s.Tools().RunEditBy(code, dx, dy))
        throw ScriptError(s.prompter.last.empty() ? "the edit changed nothing" : s.prompter.last);
    s.out << done << ' ' << id;
    if (code == kCopyMoveShape) s.out << " (copy " << Id(s.store.CurrentLayer, s.store.ShapeLayers[s.store.CurrentLayer].NumRecords) << ")";
    s.out << "\n";
    // A shape edit ends the selection, as a release in the window does.
    if (code <= kCopyMoveShape) s.Tools().Flags().ShapeSelected = false;
}

void VertexEdit(ScriptSession& s, const ScriptArgs& a, int code, const char* done) {
    NeedSelection(s);
    s.store.CurrentPart = ScriptInt(a[0]);
    s.store.CurrentPoint = ScriptInt(a[1]);
    const double dx = a.size() > 2 ? ScriptNumber(a[2]) : 0, dy = a.size() > 3 ? ScriptNumber(a[3]) : 0;
    Edit(s, code, dx, dy, done);
}

void Create(ScriptSession& s, int code, double Xs, double Ys, double Xe, double Ye, const std::string& text = {},
            bool withText = false) {
    s.NeedLayer();
    s.prompter.last.clear();
    // The text is part of the feature: one undo takes both away. The script
    // is UTF-8; the layer keeps its own bytes.
    const std::int32_t target = FeatureTarget(s.store, code);
    const std::string bytes =
        withText && target ? LayerCodec(s.store.ShapeLayers[target].CodePage).FromUnicode(QString::fromUtf8(text.c_str()))
                           : text;
    const std::int32_t T = s.Tools().RunCreateAt(code, Xs, Ys, Xe, Ye, withText ? &bytes : nullptr);
    if (T == 0) throw ScriptError(s.prompter.last.empty() ? "no layer takes this feature" : s.prompter.last);
    const std::int32_t k = s.store.ShapeLayers[T].NumRecords;
    s.out << "Created " << Id(T, k) << "\n";
}

ZEMBA_SCRIPT_COMMAND("hit", "hit X Y", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    HitAt(s, a);
    const std::int32_t pick = s.Tools().Flags().HitPick;
    for (std::int32_t c = 1; c <= s.store.HitCount; ++c) {
        const HitEntry& h = s.store.HitList[c];
        s.out << "Obj : " << Id(h.Layer, h.Shape) << " Type: " << ShapeFileTypeRG(s.store.ShapeLayers[h.Layer].ShapeType)
              << (c == pick ? " *" : "") << "\n";
    }
});

ZEMBA_SCRIPT_COMMAND("select", "select X Y", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    HitAt(s, a);
    s.out << "Selected " << Id(s.store.CurrentLayer, s.store.CurrentShape) << "\n";
});

ZEMBA_SCRIPT_COMMAND("move", "move DX DY", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    Edit(s, kMoveShape, ScriptNumber(a[0]), ScriptNumber(a[1]), "Moved");
});

ZEMBA_SCRIPT_COMMAND("copymove", "copymove DX DY", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    Edit(s, kCopyMoveShape, ScriptNumber(a[0]), ScriptNumber(a[1]), "Moved");
});

ZEMBA_SCRIPT_COMMAND("delete", "delete", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    Edit(s, kDeleteShape, 0, 0, "Deleted");
});

ZEMBA_SCRIPT_COMMAND("vmove", "vmove P V DX DY", 4, 4, [](ScriptSession& s, const ScriptArgs& a) {
    VertexEdit(s, a, kMoveVertex, "Moved a vertex of");
});

ZEMBA_SCRIPT_COMMAND("vdup", "vdup P V DX DY", 4, 4, [](ScriptSession& s, const ScriptArgs& a) {
    VertexEdit(s, a, kDuplicateVertex, "Duplicated a vertex of");
});

ZEMBA_SCRIPT_COMMAND("vdel", "vdel P V", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    VertexEdit(s, a, kDeleteVertex, "Deleted a vertex of");
});

ZEMBA_SCRIPT_COMMAND("newlayer", "newlayer point|line|polygon|text NAME", 2, 2,
                     [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    const std::string& kind = a[0];
    const int type = kind == "point" ? 1 : kind == "line" ? 3 : kind == "polygon" ? 5 : kind == "text" ? 2 : 0;
    if (type == 0) throw ScriptError("the kind is point, line, polygon or text");
    if (!LayerCommandOffered(s.store, type)) throw ScriptError("a " + kind + " layer was made already");
    // A name with a directory puts the layer there (a relative one from the
    // working directory, as on any command line); a bare name goes to the
    // Shape directory.
    std::string name = a[1];
    std::error_code ec;
    if (name.find('/') != std::string::npos && name.front() != '/')
        name = (std::filesystem::current_path(ec) / name).string();
    s.prompter.last.clear();
    const std::int32_t n = s.Tools().CreateLayer(type, name, s.options.ShapeDir, nullptr);
    if (n == 0) throw ScriptError(s.prompter.last.empty() ? "no layer was made" : s.prompter.last);
    s.out << "Layer " << n << " " << s.store.ShapeLayers[n].ShpPath << s.store.ShapeLayers[n].ShpName << "\n";
});

ZEMBA_SCRIPT_COMMAND("point", "point X Y", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    const double X = ScriptNumber(a[0]), Y = ScriptNumber(a[1]);
    Create(s, kMakePoint, X, Y, X, Y);
});

ZEMBA_SCRIPT_COMMAND("line", "line X1 Y1 X2 Y2", 4, 4, [](ScriptSession& s, const ScriptArgs& a) {
    Create(s, kMakeLine, ScriptNumber(a[0]), ScriptNumber(a[1]), ScriptNumber(a[2]), ScriptNumber(a[3]));
});

ZEMBA_SCRIPT_COMMAND("polygon", "polygon X1 Y1 X2 Y2", 4, 4, [](ScriptSession& s, const ScriptArgs& a) {
    Create(s, kMakePolygon, ScriptNumber(a[0]), ScriptNumber(a[1]), ScriptNumber(a[2]), ScriptNumber(a[3]));
});

ZEMBA_SCRIPT_COMMAND("text", "text X Y TEXT", 3, 3, [](ScriptSession& s, const ScriptArgs& a) {
    const double X = ScriptNumber(a[0]), Y = ScriptNumber(a[1]);
    Create(s, kMakeTextPoint, X, Y, X, Y, a[2], true);
});

ZEMBA_SCRIPT_COMMAND("undo", "undo", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    const std::string step = s.tools ? s.tools->UndoStack().undoText().toStdString() : std::string();
    if (!s.tools || !s.tools->UndoEditClick()) throw ScriptError("nothing to undo");
    s.out << "Undone " << step << "\n";
});

ZEMBA_SCRIPT_COMMAND("redo", "redo", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    const std::string step = s.tools ? s.tools->UndoStack().redoText().toStdString() : std::string();
    if (!s.tools || !s.tools->RedoEditClick()) throw ScriptError("nothing to redo");
    s.out << "Redone " << step << "\n";
});

}  // namespace
}  // namespace zemba
