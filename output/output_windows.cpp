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

int MapGridUnits(const LayerStore& store) {
    const int L = store.CurrentLayer >= 1 && store.CurrentLayer <= store.LayerCount ? store.CurrentLayer : 1;
    if (L < 1 || static_cast<std::size_t>(L) >= store.ShapeLayers.size()) return 0;
    const ProjectionBlock b = LayerSystem(store.ShapeLayers[L]);
    long unit = -1;
    if (!ResolveUnit(b, unit)) return 0;
    if (IsGeographic(b) && unit == 4) return 1;
    if (static_cast<int>(b[kSlotCode]) == 1 && unit == 2) return 2;
    return 0;
}

namespace {

// The world box a w x h panel shows: the view's extent, whole and centred.
struct PanelView {
    double scale, centreX, centreY;
};
PanelView PanelViewOf(const LayerStore& store, const ViewState& view, int w, int h) {
    const double s = view.ViewScale;
    const double vw = std::max(1, view.BitmapWidth) * s, vh = std::max(1, view.BitmapHeight) * s;
    PanelView pv;
    pv.scale = std::max(vw / std::max(1, w), vh / std::max(1, h));
    pv.centreX = vw / 2 - store.MapXOffset;
    pv.centreY = vh / 2 - store.MapYOffset;
    return pv;
}

}  // namespace

MapSource MapSourceOf(MapRenderer& renderer, LayerStore& store, ViewState& view) {
    MapSource m;
    m.width = view.BitmapWidth;
    m.height = view.BitmapHeight;
    m.draw = [&renderer](QPainter& p, int detail) { renderer.DrawMapOnto(p, detail); };
    m.drawPanel = [&renderer, &store, &view](QPainter& p, int w, int h, int detail) {
        if (w <= 0 || h <= 0 || !(view.ViewScale > 0)) return;
        const PanelView pv = PanelViewOf(store, view, w, h);
        const KeptMapView kept(store, view);
        // A map of the panel's proportions at the scale that shows the
        // view's extent whole: the renderer takes its scale from the span.
        view.BitmapWidth = w;
        view.BitmapHeight = h;
        store.MapXMax = store.MapXMin + pv.scale * w;
        store.MapYMax = store.MapYMin + pv.scale * h;
        store.MapXOffset = pv.scale * w / 2 - pv.centreX;
        store.MapYOffset = pv.scale * h / 2 - pv.centreY;
        renderer.DrawMapOnto(p, detail);
    };
    m.extentOf = [&store, &view](int w, int h, double& ex0, double& ey0, double& ex1, double& ey1) {
        if (w <= 0 || h <= 0 || !(view.ViewScale > 0)) return false;
        const PanelView pv = PanelViewOf(store, view, w, h);
        ex0 = pv.centreX - pv.scale * w / 2;
        ex1 = pv.centreX + pv.scale * w / 2;
        ey0 = pv.centreY - pv.scale * h / 2;
        ey1 = pv.centreY + pv.scale * h / 2;
        return true;
    };
    return m;
}

Page DrawLayoutPage(LayoutCommands& layout, const LayerStore& store, const ViewState& view) {
    Page page = layout.Draw(MapMetresPerPixel(store, view));
    page.MapUnits = MapGridUnits(store);
    return page;
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
    // One printer set-up: the layout's sheet, which the preview's Page
    // Setup changes too.
    layoutForm_->PageSetup = [this](Sheet& s) {
        QPrinter& printer = preview_->Printer();
        Page sheet;
        sheet.WidthMm = s.WidthMm;
        sheet.HeightMm = s.HeightMm;
        SetUpPrinterForPage(printer, sheet);
        QPageSetupDialog dialog(&printer, layoutForm_);
        if (dialog.exec() != QDialog::Accepted) return false;
        return SheetOfPrinter(printer, s.WidthMm, s.HeightMm);
    };
    layoutForm_->MapGridUnits = [this] { return MapGridUnits(store_); };
    layoutForm_->OpenPreview = [this](const Page& page) {
        preview_->SetPage(page, MapSourceOf(renderer_, store_, view_), store_.ProjectName);
        preview_->show();
        preview_->raise();
    };
    preview_->SheetChanged = [this](double w, double h) {
        Sheet s;
        s.WidthMm = w;
        s.HeightMm = h;
        // The elements keep their places; the sheet, its scale and the
        // mock-up follow the printer.
        layout_.SetupPrinter(s, false);
        layoutForm_->PlacePanels();
        preview_->SetPage(DrawLayoutPage(layout_, store_, view_), MapSourceOf(renderer_, store_, view_),
                          store_.ProjectName);
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
