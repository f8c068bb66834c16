#include "app/mapping_actions.h"

#include <QWidget>

#include "app/help.h"
#include "app/main_window.h"
#include "app/options.h"
#include "convert/transformer_window.h"
#include "mapping/map_form.h"
#include "mapping/mapping_windows.h"

namespace zemba {

void ShowHelpOrSay(int context, QWidget* from, Prompter& prompter) {
    Result r = ShowHelp(context, from);
    if (!r) prompter.ShowErrorText("Help is not available:\r\n" + r.reason);
}

void WireMappingWindows(TZeEditForm& window, MappingWindows& mapping, Options& options, Prompter& prompter) {
    mapping.MapForm().move(options.MapPos.Left, options.MapPos.Top);
    mapping.Help = [&prompter](int context, QWidget* from) { ShowHelpOrSay(context, from, prompter); };
    // The messages window keeps its place itself while the program runs.
    mapping.Closed = [&window, &mapping, &options, &prompter](QWidget* w) {
        if (w != &mapping.MapForm()) return;
        options.MapPos.Left = w->x();
        options.MapPos.Top = w->y();
        if (!window.Commands().OptionsPath.empty()) SaveOptions(options, window.Commands().OptionsPath, prompter);
    };
}

TTransformer* ShowConversionWindow(TZeEditForm& window, Options& options, Prompter& prompter) {
    QWidget* parent = &window;
    return ShowTransformer(
        &window, prompter, options.DlgDir, options.ShapeDir,
        [parent, &prompter](int context) { ShowHelpOrSay(context, parent, prompter); },
        WindowPlace{&options.WindowLeft[WinTransformer], &options.WindowTop[WinTransformer]},
        &options.VectorDbDir);
}

}  // namespace zemba
