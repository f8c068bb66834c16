#include "app/output_actions.h"

#include <QAction>
#include <QObject>
#include <memory>

#include "app/help.h"
#include "app/main_window.h"
#include "app/options.h"
#include "mapping/mapping_windows.h"
#include "output/legend_form.h"
#include "output/output_windows.h"
#include "output/print_layout_form.h"

namespace zemba {
namespace {

// Keeps the output windows' logic alive as long as the main window.
class OutputHolder : public QObject {
public:
    OutputHolder(QObject* parent, std::unique_ptr<OutputWindows> w) : QObject(parent), windows(std::move(w)) {}
    std::unique_ptr<OutputWindows> windows;
};

}  // namespace

OutputWindows& WireOutputActions(TZeEditForm& window, LayerStore& store, ViewState& view, MappingWindows& mapping,
                                 Options& options, Prompter& prompter, Progress& progress) {
    auto* holder = new OutputHolder(
        &window, std::make_unique<OutputWindows>(store, view, window.Renderer(), mapping.Project(), mapping.Commands(),
                                                 prompter, progress, &window));
    OutputWindows& out = *holder->windows;
    out.Help = [&prompter](int context, QWidget* parent) {
        Result r = ShowHelp(context, parent);
        if (!r) prompter.ShowErrorText("Help is not available:\r\n" + r.reason);
    };
    out.LegendForm().move(options.LegendPos.Left, options.LegendPos.Top);
    out.LayoutForm().move(options.PrintLayoutPos.Left, options.PrintLayoutPos.Top);
    out.Closed = [&window, &options, &prompter, &out](QWidget* w) {
        ScreenPos& pos = w == &out.LegendForm() ? options.LegendPos : options.PrintLayoutPos;
        pos.Left = w->x();
        pos.Top = w->y();
        if (w == &out.LayoutForm() && !window.Commands().OptionsPath.empty())
            SaveOptions(options, window.Commands().OptionsPath, prompter);
    };
    struct Pair {
        const char* menu;
        const char* button;
        void (OutputWindows::*show)();
    } const kPairs[] = {{"LegendMI", "LegendTB", &OutputWindows::ShowLegend},
                        {"PrintLayoutMI", "PrintLayoutTB", &OutputWindows::ShowLayout}};
    for (const Pair& p : kPairs) {
        QAction* mi = window.Action(p.menu);
        QAction* tb = window.Action(p.button);
        if (!mi || !tb) continue;
        mi->setProperty("available", true);
        tb->setProperty("available", true);
        auto show = p.show;
        QObject::connect(mi, &QAction::triggered, holder, [&out, show] { (out.*show)(); });
        QObject::connect(tb, &QAction::triggered, mi, &QAction::trigger);
    }
    return out;
}

}  // namespace zemba
