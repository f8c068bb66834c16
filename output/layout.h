// The print layout's logic over MapLegend: the fourteen elements and their
// placement slots, the include boxes, measuring, Store Layout, Setup
// Printer, the Mover, and drawing the page as commands. The mock-up shows
// one pixel per millimetre and paper is counted in 0.1 mm, so one scale
// (10 paper units a pixel) serves mock-up, preview and printer alike.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/layer_store.h"
#include "core/ui.h"
#include "mapping/project_files.h"
#include "output/page.h"

namespace zemba {

class MapCommands;

enum LayoutElement : int {
    kTitleTop, kAuthorTop, kTitleBottom, kAuthorBottom, kSourceText, kFeatureText, kNorthText, kContourText,
    kNorthArrowPic, kLegendPic, kMapPic, kLocationPic, kScaleBarPic, kFeaturePic, kGridElement,
    kLayoutElementCount
};

struct LayoutElementInfo {
    const char* panel;       // "TitleTPanel"
    const char* caption;     // "Title T"
    const char* includeBox;  // "Title, series (top)"; empty for the map
    const char* mover;       // "TT"
    int text;                // text element 0..7, else -1
    int picture;             // picture element 0..5 (BitmapPlace), else -1
    int showBitmap;          // ShowBitmap index (grid, north arrow, legend, location, scale, feature), else -1
};
extern const LayoutElementInfo kLayoutElements[kLayoutElementCount];
// The Mover list: "TT", "AT", "TB", "AB", "FT", "NT", "SP", "CT", "ML", "GS", "LG", "SB", "FB", "NB", "MB".
extern const LayoutElement kMoverOrder[kLayoutElementCount];

PlacementSlot* SlotOf(LegendRec& l, LayoutElement e);  // null for the grid
const PlacementSlot* SlotOf(const LegendRec& l, LayoutElement e);
std::uint8_t* IncludeFlagOf(LegendRec& l, LayoutElement e);  // null for the map

// Round to nearest, halves to the even neighbour.
int RoundHalfEven(double v);

struct Sheet {
    double WidthMm = 216, HeightMm = 279;  // Letter
    bool Landscape() const { return WidthMm > HeightMm; }
};
// Paper units per mock-up pixel.
struct PaperScale {
    double X = kPaperUnitsPerMm, Y = kPaperUnitsPerMm;
};

// Width and height of a line of text in paper units.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual void Measure(const FontDesc& font, const std::string& line, double& w, double& h) = 0;
};

// A mock-up rectangle in pixels (1 mm each).
struct MockRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// The default mock-up places of Setup Printer, per orientation, by element
// (the grid has none).
std::array<int, 4> DefaultPlace(LayoutElement e, bool landscape);

// The sheet a stored layout was made for: Letter, turned when its paper
// mock-up is wider than tall.
Sheet SheetOfLayout(const LegendRec& l);

class LayoutCommands {
public:
    // `maps` saves the project; may be null in tests that do not save.
    LayoutCommands(LayerStore& store, MapProject& project, Prompter& prompter, Progress& progress,
                   MapCommands* maps);

    Sheet sheet;
    PaperScale scale;
    bool LayoutChecked = false;
    // Include boxes by element; all start ticked (the map's is always on).
    std::array<bool, kLayoutElementCount> Include;
    // The element panels on the mock-up: their view of the slots.
    std::array<MockRect, kLayoutElementCount> Panels{};
    MockRect PaperPanel{8, 160, 216, 279};

    TextMeasurer* Measurer = nullptr;
    // The main window's map picture size in pixels.
    std::function<void(int& w, int& h)> MapPictureSize;
    // The "Size Matters" width and height read-outs.
    std::function<void(double w, double h)> ShowSize;

    // FormShow: a project exists once layers are loaded; the sheet turns
    // with the stored paper mock-up; the panels follow the slots.
    void FormShow();
    // SetDataToForm: every panel from its slot's mock-up numbers.
    void SetDataToForm();
    // "Check Sizes.. data ready?": include flags from the boxes; returns,
    // by element, the boxes to paint red (nothing to print there).
    std::array<bool, kLayoutElementCount> CheckSizes();
    // Measuring one element from its panel into its slot. A text element
    // with no lines is left as it is (false).
    bool MeasureText(int e);
    void MeasurePicture(LayoutElement e);
    void CheckMap();
    // "Store Layout": check when never checked, measure the map and every
    // included element, save the project. False when the save failed.
    bool StoreLayout();
    // "Setup Printer" after the page set-up dialog chose `s`: the scale,
    // the paper mock-up and (when `reset`) every element's default place.
    void SetupPrinter(const Sheet& s, bool reset);
    // The button after the page set-up dialog: asks before putting every
    // element back in its default place.
    void SetupPrinterBtnClick(const Sheet& s);
    // The Mover. Arrow ranges span the whole sheet (pixels, or paper units
    // when scaled).
    int MoverMaxX(bool scaled) const;
    int MoverMaxY(bool scaled) const;
    void MoverSelect(int entry, bool scaled, int& x, int& y) const;
    void MoverSetX(int entry, int v, bool scaled);
    void MoverSetY(int entry, int v, bool scaled);
    void MoverReset(int entry);
    // "OSC" on the "Object Size Computation" entry k.
    void SizeMattersOsc(int k);
    // Draw: the page from the slots. Named picture files that are missing
    // are reported by name and left out; empty elements are left out; the
    // map is always drawn. `metresPerPixel`: ground metres of one map
    // picture pixel, 0 when unknown (the drawn scale bar needs it).
    Page Draw(double metresPerPixel = 0);
    // "Print Preview": Store Layout when never checked, then Draw.
    Page PrintPreview(double metresPerPixel = 0);

    LegendRec& Legend() { return project_.MapLegend; }

private:
    void PanelFromSlot(LayoutElement e);
    void SlotPaperFromPanel(PlacementSlot& slot, const MockRect& panel);

    LayerStore& store_;
    MapProject& project_;
    Prompter& prompter_;
    Progress& progress_;
    MapCommands* maps_;
};

}  // namespace zemba
