#include "output/project_pdf.h"

#include "output/layout.h"
#include "output/output_windows.h"
#include "output/page_painter.h"
#include "view/renderer.h"

namespace zemba {

Result WriteLayoutPdf(LayerStore& store, ViewState& view, MapRenderer& renderer, MapProject& project,
                      Prompter& prompter, const std::string& pdf) {
    if (store.LayerCount > 0) FitToLayer(store, view, store.CurrentLayer >= 1 ? store.CurrentLayer : 1);
    UpdateViewScale(store, view);
    NullProgress progress;
    LayoutCommands layout(store, project, prompter, progress, nullptr);
    QtTextMeasurer measurer;
    layout.Measurer = &measurer;
    layout.MapPictureSize = [&view](int& w, int& h) {
        w = view.BitmapWidth;
        h = view.BitmapHeight;
    };
    layout.sheet = SheetOfLayout(project.MapLegend);
    const Page page = DrawLayoutPage(layout, store, view);
    std::vector<std::string> failures;
    Result r = WritePagePdf(pdf, page, MapSourceOf(renderer, store, view), store.ProjectName, &failures);
    for (const std::string& f : failures) prompter.ShowErrorText("Picture not loaded, left off the page: " + f);
    return r;
}

}  // namespace zemba
