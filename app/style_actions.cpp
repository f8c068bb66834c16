#include "app/style_actions.h"

#include <QAction>
#include <QComboBox>

#include "app/help.h"
#include "app/window_place.h"
#include "app/main_window.h"
#include "attributes/attribute_windows.h"
#include "attributes/classify_window.h"
#include "attributes/find_window.h"
#include "view/map_view.h"
#include "view/prop_form.h"
#include "view/styles.h"

namespace zemba {

void SelectLayerKeepingStyle(FileCommands& commands, LayerStore& store, int layer) {
    (void)store;
    commands.SelectLayerKeepingStyle(layer);
}

void WireStyleActions(TZeEditForm& w, LayerStore& store, Options& options, Prompter& prompter) {
    auto help = [&w, &prompter](int context) {
        return [&w, &prompter, context] {
            Result r = ShowHelp(context, &w);
            if (!r) prompter.ShowErrorText("Help is not available:\r\n" + r.reason);
        };
    };
    auto chosen = [&w, &store](int layer) {
        SelectLayerKeepingStyle(w.Commands(), store, layer);
        w.SyncFromState();
        w.Redraw();
    };
    auto redraw = [&w] { w.Redraw(); };
    // A style, label or class change: the close offers to save the map
    // project that keeps it.
    auto restyled = [&w, &store] {
        store.MapChanged = true;
        w.Redraw();
    };

    PropFormHooks ph;
    ph.Redraw = restyled;
    ph.LayerChosen = chosen;
    ph.ClearAll = [&w] { w.Commands().ClearAll(false); };  // the delete has asked
    ph.LayerDeleted = [&w, &store](const DeleteOutcome& out) {
        // Layer numbers moved: no edit, undo step or listed row may name the
        // old ones.
        if (w.Commands().hooks().EndEditing) w.Commands().hooks().EndEditing();
        if (w.Commands().hooks().LayerTableChanged) w.Commands().hooks().LayerTableChanged();
        if (!out.ClearedAll) w.Commands().LayerComboUpdate(store.CurrentLayer);
        w.SyncFromState();
    };
    ph.Help = help(12000);
    auto* props = new TPropForm(store, w.View(), prompter, ph, &w);
    KeepWindowPlace(props, &options.WindowLeft[WinLayerProps], &options.WindowTop[WinLayerProps]);

    RenderFrmHooks rh;
    rh.Redraw = restyled;
    rh.LayerChosen = chosen;
    rh.Help = help(9000);
    rh.StartColorChanged = [&options](COLORREF c) { options.ClassStartColor = c; };
    rh.prompter = &prompter;
    auto* classify = new TRenderFrm(store, rh, &w);
    KeepWindowPlace(classify, &options.WindowLeft[WinClassify], &options.WindowTop[WinClassify]);

    SearchFormHooks sh;
    sh.Redraw = redraw;
    sh.Highlight = [&options] { return options.HighlightColor; };
    sh.ShowShape = [&w](int layer, int shape) {
        w.Renderer().DisplayGraphicShape(layer, shape, 0, false);
        if (w.MapViewWidget()) w.MapViewWidget()->RefreshImage();
    };
    sh.LayerChosen = [&w, &store](int layer) {
        SelectLayerKeepingStyle(w.Commands(), store, layer);
        w.SyncFromState();
    };
    sh.Help = help(11000);
    // "ID": the identify window steps through what was found.
    sh.ShowIdentify = [&w] { w.Attributes().ShowIdentify(); };
    sh.prompter = &prompter;
    auto* find = new TSearchForm(store, sh, &w);
    KeepWindowPlace(find, &options.WindowLeft[WinFind], &options.WindowTop[WinFind]);

    auto wire = [&w](std::initializer_list<const char*> names, std::function<void()> fn) {
        for (const char* n : names) {
            QAction* a = w.Action(n);
            if (!a) continue;
            a->setProperty("available", true);
            QObject::connect(a, &QAction::triggered, &w, fn);
        }
    };
    wire({"PropertiesMI", "PropertiesTB"}, [&w, props] {
        if (w.Commands().Refused()) return;
        props->Init();
        props->exec();
    });
    wire({"ClassifyMI", "ClassifyTB"}, [&w, &store, &options, classify] {
        if (w.Commands().Refused() || store.LayerCount < 1) return;
        classify->Init(options.ClassStartColor);
        classify->exec();
    });
    wire({"FindMI", "FindTB"}, [&w, &store, find] {
        if (w.Commands().Refused() || store.LayerCount < 1) return;
        find->setWindowTitle("Find features in " + (w.LayerCombo() ? w.LayerCombo()->currentText() : QString()));
        find->Init();
        find->exec();
    });
}

}  // namespace zemba
