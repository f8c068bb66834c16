// Script commands of map projects: load-project, save-project, project and
// convert, on the map window's own code.
#include <cstdio>
#include <map>
#include <memory>

#include "mapping/map_commands.h"
#include "tools/script.h"
#include "view/editing.h"
#include "view/viewport.h"

namespace zemba {
namespace {

struct ProjectState {
    MapProject project;
    std::unique_ptr<MapCommands> commands;
};

// The project records of a session (one per session, made on first use).
ProjectState& State(ScriptSession& s) {
    static std::map<ScriptSession*, ProjectState> states;
    ProjectState& st = states[&s];
    if (!st.commands) {
        st.commands = std::make_unique<MapCommands>(s.store, st.project, s.prompter, s.progress);
        st.commands->Report = [](const std::string& line) { std::fprintf(stderr, "zemba-info: %s\n", line.c_str()); };
        // After a projection the view shows the layers where they now are,
        // as the window's refresh does.
        st.commands->Refresh = [&s] {
            ReExtentAll(s.store, 0);
            if (s.store.CurrentLayer >= 1) FitToLayer(s.store, s.view, s.store.CurrentLayer);
            UpdateViewScale(s.store, s.view);
        };
        // clear-all returns the project records to the blank project too.
        MapCommands* maps = st.commands.get();
        std::function<void()> before = s.files->hooks().ProjectCleared;
        s.files->hooks().ProjectCleared = [maps, before] {
            if (before) before();
            maps->ClearProject();
        };
    }
    return st;
}

ZEMBA_SCRIPT_COMMAND("load-project", "load-project P.zmp", 1, 1, [](ScriptSession& s, const ScriptArgs& a) {
    ProjectState& st = State(s);
    LoadMapHooks hooks;
    hooks.OpenLayer = [&s] { return s.files->NewLayer(); };
    if (!st.commands->LoadProject(a[0], hooks)) throw ScriptError(a[0] + ": project not loaded");
    s.out << "Loaded " << a[0] << ": " << s.store.LayerCount << " layers, " << st.project.MapLegend.ProjectionName
          << "\n";
});

ZEMBA_SCRIPT_COMMAND("save-project", "save-project P.zmp", 1, 1, [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    if (!State(s).commands->SaveProjectAs(a[0])) throw ScriptError(a[0] + ": project not saved");
    s.out << "Saved " << a[0] << "\n";
});

// project [KEY=VALUE,...]: the layers into the project's system, or into
// the one named (which then becomes the project's).
ZEMBA_SCRIPT_COMMAND("project", "project [KEY=VALUE,...]", 0, 1, [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    ProjectState& st = State(s);
    if (!a.empty()) {
        MapInfoRec info = st.project.MapInfo;
        Result r = ParseMapInfo(a[0], info);
        if (!r) throw ScriptError("project: " + r.reason);
        st.project.MapInfo = info;
    }
    if (!st.commands->Project()) throw ScriptError("project: " + s.prompter.last);
    const ShpLayer& L = s.store.ShapeLayers[s.store.CurrentLayer];
    s.out << st.project.MapLegend.ProjectionName << ": " << FormatNumber(L.XMin) << ' ' << FormatNumber(L.YMin) << ' '
          << FormatNumber(L.XMax) << ' ' << FormatNumber(L.YMax) << "\n";
});

// convert [LAYER]: the layer (1.., default the current one) back to
// geographic degrees from its own description, written to its shapefile.
ZEMBA_SCRIPT_COMMAND("convert", "convert [LAYER] [--ignore-datum] [--ignore-errors]", 0, 3,
                     [](ScriptSession& s, const ScriptArgs& a) {
                         s.NeedLayer();
                         int layer = s.store.CurrentLayer;
                         bool ignoreDatum = false, ignoreErrors = false;
                         for (const std::string& arg : a) {
                             if (arg == "--ignore-datum")
                                 ignoreDatum = true;
                             else if (arg == "--ignore-errors")
                                 ignoreErrors = true;
                             else
                                 layer = ScriptInt(arg);
                         }
                         if (layer < 1 || layer > s.store.LayerCount) throw ScriptError("convert: no layer " + std::to_string(layer));
                         if (!State(s).commands->ConvertLayer(layer - 1, ignoreDatum, ignoreErrors))
                             throw ScriptError("convert: " + s.prompter.last);
                         const ShpLayer& L = s.store.ShapeLayers[layer];
                         s.out << "Converted " << L.ShpName << " to geographic degrees\n";
                     });

}  // namespace
}  // namespace zemba
