#include "output/output_windows.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <cmath>

#include "mapping/map_commands.h"
#include "mapping/projection.h"
#include "output/legend_form.h"
#include "output/preview_form.h"
#include "output/print_layout_form.h"
#include "view/renderer.h"

namespace zemba {

double MapMetresPerPixel(const LayerStore& store, const ViewState& view) {
    const int L = store.CurrentLayer >= 1 && store.CurrentLayer <= store.LayerCount ? store.CurrentLayer : 1;
    if (L < 1 || static_cast<std::size_t>(L) >= store.ShapeLayers.size()) return 0;
    long unit = -1;
    if (!ResolveUnit(LayerSystem(store.ShapeLayers[L]), unit)) return 0;
    // The latitude of the view's centre for the angular units.
    double lat = YtoWorld(store, view, view.BitmapHeight / 2);
    if (unit == 0) lat *= 180.0 / 3.14159265358979323846;
    if (unit == 3) lat /= 3600.0;
    if (!(std::abs(lat) <= 90)) lat = 0;
    return view.ViewScale * MetresPerMapUnit(unit, lat);
}

MapSource MapSourceOf(MapRenderer& renderer, const ViewState& view) {
    MapSource m;
    m.width = view.BitmapWidth;
    m.height = view.BitmapHeight;
    m.draw = [&renderer](QPainter& p, int detail) { renderer.DrawMapOnto(p, detail); };
    return m;
}

OutputWindows::OutputWindows(LayerStore& store, ViewState& view, MapRenderer& renderer, MapProject& project,
                             MapCommands& maps, Prompter& prompter, Progress& progress, QWidget* parent)
    : store_(store),
      view_(view),
      renderer_(renderer),
      legend_(store, project, prompter, &maps),
      layout_(store, project, prompter, progress, &maps) {
    layout_.Measurer = &measurer_;
    layout_.MapPictureSize = [this](int& w, int& h) {
        w = view_.BitmapWidth;
        h = view_.BitmapHeight;
    };
    legendForm_ = new TLegendForm(legend_, store, parent);
    layoutForm_ = new TPrintLayoutForm(layout_, parent);
    preview_ = new TPreviewForm(prompter, parent);
    legendForm_->Help = [this](int c) {
        if (Help) Help(c, legendForm_);
    };
    layoutForm_->Help = [this](int c) {
        if (Help) Help(c, layoutForm_);
    };
    legendForm_->Closed = layoutForm_->Closed = [this](QWidget* w) {
        if (Closed) Closed(w);
    };
    layoutForm_->MetresPerPixel = [this] { return MapMetresPerPixel(store_, view_); };
    layoutForm_->MapScaleText = [&project] { return project.MapInfo.Scale; };
    layoutForm_->PrinterPagePixels = [](int& w, int& h) {
        QPrinter printer(QPrinter::HighResolution);
        const QRect r = printer.pageLayout().fullRectPixels(printer.resolution());
        w = r.width();
        h = r.height();
    };
    layoutForm_->PageSetup = [this](Sheet& s) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(s.Landscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
        QPageSetupDialog dialog(&printer, layoutForm_);
        if (dialog.exec() != QDialog::Accepted) return false;
        const QRectF r = printer.pageLayout().fullRect(QPageLayout::Millimeter);
        s.WidthMm = std::round(r.width());
        s.HeightMm = std::round(r.height());
        return true;
    };
    layoutForm_->OpenPreview = [this](const Page& page) {
        preview_->SetPage(page, MapSourceOf(renderer_, view_), store_.ProjectName);
        preview_->show();
        preview_->raise();
    };
}

OutputWindows::~OutputWindows() = default;

void OutputWindows::ShowLegend() {
    legendForm_->show();
    legendForm_->raise();
    legendForm_->activateWindow();
}

void OutputWindows::ShowLayout() {
    layoutForm_->show();
    layoutForm_->raise();
    layoutForm_->activateWindow();
}

}  // namespace zemba
