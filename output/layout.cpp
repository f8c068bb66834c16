#include "output/layout.h"

#include <algorithm>
#include <cmath>

#include "core/file_io.h"
#include "mapping/map_commands.h"
#include "output/legend.h"

namespace zemba {

const LayoutElementInfo kLayoutElements[kLayoutElementCount] = {
    {"TitleTPanel", "Title T", "Title, series (top)", "TT", 0, -1, -1},
    {"AuthorTPanel", "Author T", "Author (top)", "AT", 1, -1, -1},
    {"TitleBPanel", "Title B", "Title, series (bottom)", "TB", 2, -1, -1},
    {"AuthorBPanel", "Author B", "Author (bottom)", "AB", 3, -1, -1},
    {"SourcePanel", "Source", "Source, projection", "SP", 4, -1, -1},
    {"FeatureTextPanel", "FText", "Feature Text", "FT", 5, -1, -1},
    {"NorthTextPanel", "N", "NA Text", "NT", 6, -1, -1},
    {"ContourPanel", "Contour", "Contour", "CT", 7, -1, -1},
    {"NorthBitPanel", "N", "North Arrow", "NB", -1, 0, 1},
    {"LegendaryPanel", "Legend", "Legend", "LG", -1, 1, 2},
    {"MapPanel", "Map Bitmap", "", "MB", -1, 2, -1},
    {"MapLocoPanel", "M", "Map Location", "ML", -1, 3, 3},
    {"ScalePanel", "Scale", "Scale bar", "SB", -1, 4, 4},
    {"FeatureBitmapPanel", "Feature", "Feature Bitmap", "FB", -1, 5, 5},
    {"", "", "Grid (s)", "GS", -1, -1, 0},
};

const LayoutElement kMoverOrder[kLayoutElementCount] = {
    kTitleTop,    kAuthorTop,   kTitleBottom, kAuthorBottom, kFeatureText, kNorthText, kSourceText, kContourText,
    kLocationPic, kGridElement, kLegendPic,   kScaleBarPic,  kFeaturePic,  kNorthArrowPic, kMapPic};

PlacementSlot* SlotOf(LegendRec& l, LayoutElement e) {
    if (e < 0 || e >= kLayoutElementCount) return nullptr;
    const LayoutElementInfo& i = kLayoutElements[e];
    if (i.text >= 0) return &l.TextPlace[i.text];
    if (i.picture >= 0) return &l.BitmapPlace[i.picture];
    return nullptr;
}

const PlacementSlot* SlotOf(const LegendRec& l, LayoutElement e) { return SlotOf(const_cast<LegendRec&>(l), e); }

std::uint8_t* IncludeFlagOf(LegendRec& l, LayoutElement e) {
    if (e < 0 || e >= kLayoutElementCount) return nullptr;
    const LayoutElementInfo& i = kLayoutElements[e];
    if (i.text >= 0) return &l.ShowText[i.text];
    if (i.showBitmap >= 0) return &l.ShowBitmap[i.showBitmap];
    return nullptr;
}

int RoundHalfEven(double v) {
    if (!std::isfinite(v)) return 0;
    v = std::clamp(v, -2147483647.0, 2147483647.0);
    const double f = std::floor(v);
    const double d = v - f;
    double r = f;
    if (d > 0.5 || (d == 0.5 && std::fmod(f, 2.0) != 0)) r = f + 1;
    return static_cast<int>(r);
}

std::array<int, 4> DefaultPlace(LayoutElement e, bool landscape) {
    static const int kPortrait[kLayoutElementCount][4] = {
        {88, 4, 49, 13},    {10, 4, 57, 13},   {94, 177, 41, 13},  {10, 177, 65, 13}, {10, 192, 46, 31},
        {56, 150, 44, 14},  {140, 134, 17, 17}, {58, 210, 41, 13}, {140, 120, 17, 11}, {120, 192, 44, 25},
        {10, 18, 127, 158}, {140, 154, 17, 17}, {58, 192, 57, 17}, {56, 130, 65, 18},  {0, 0, 0, 0}};
    static const int kLandscape[kLayoutElementCount][4] = {
        {160, 8, 49, 13},  {8, 8, 57, 13},     {122, 155, 41, 13}, {8, 155, 65, 13},  {170, 66, 46, 31},
        {112, 135, 44, 14}, {170, 150, 17, 17}, {170, 120, 41, 13}, {170, 137, 17, 11}, {170, 36, 44, 25},
        {3, 23, 200, 164},  {196, 138, 17, 17}, {170, 100, 57, 17}, {88, 111, 65, 18},  {0, 0, 0, 0}};
    const int(*t)[4] = landscape ? kLandscape : kPortrait;
    if (e < 0 || e >= kLayoutElementCount) return {0, 0, 0, 0};
    return {t[e][0], t[e][1], t[e][2], t[e][3]};
}

Sheet SheetOfLayout(const LegendRec& l) {
    Sheet s;
    if (l.PaperPlace[6] > 0 && l.PaperPlace[7] > 0) {
        s.WidthMm = l.PaperPlace[6] / static_cast<double>(kPaperUnitsPerMm);
        s.HeightMm = l.PaperPlace[7] / static_cast<double>(kPaperUnitsPerMm);
    } else if (l.PaperPlace[2] > l.PaperPlace[3]) {
        std::swap(s.WidthMm, s.HeightMm);
    }
    return s;
}

LayoutCommands::LayoutCommands(LayerStore& store, MapProject& project, Prompter& prompter, Progress& progress,
                               MapCommands* maps)
    : store_(store), project_(project), prompter_(prompter), progress_(progress), maps_(maps) {
    Include.fill(true);
}

void LayoutCommands::PanelFromSlot(LayoutElement e) {
    const PlacementSlot* s = SlotOf(project_.MapLegend, e);
    if (s) Panels[e] = {(*s)[0], (*s)[1], (*s)[2], (*s)[3]};
}

void LayoutCommands::SetDataToForm() {
    for (int e = 0; e < kLayoutElementCount; ++e) PanelFromSlot(static_cast<LayoutElement>(e));
}

void LayoutCommands::FormShow() {
    const bool open = store_.ProjectName != "Nada" && FileExists(store_.ProjectPath + store_.ProjectName);
    if (!open && store_.LayerCount > 0 && maps_) maps_->SaveMapBtnClick();
    SyncGridKind(project_.MapLegend);
    const Sheet s = SheetOfLayout(project_.MapLegend);
    if (s.Landscape() != sheet.Landscape()) sheet = s;
    PaperPanel.width = static_cast<int>(std::lround(sheet.WidthMm));
    PaperPanel.height = static_cast<int>(std::lround(sheet.HeightMm));
    SetDataToForm();
}

std::array<bool, kLayoutElementCount> LayoutCommands::CheckSizes() {
    LegendRec& l = project_.MapLegend;
    std::array<bool, kLayoutElementCount> red{};
    for (int k = 0; k < kLayoutElementCount; ++k) {
        const auto e = static_cast<LayoutElement>(k);
        if (std::uint8_t* f = IncludeFlagOf(l, e)) *f = Include[k] ? 1 : 0;
        const LayoutElementInfo& i = kLayoutElements[k];
        if (i.text >= 0) {
            red[k] = TextElementEmpty(l, i.text);
        } else if (e == kGridElement) {
            red[k] = !CheckMapLegendRec(l)[9];
        } else if (i.picture >= 0 && e != kMapPic) {
            const std::string& file = BitmapEntryFile(l, i.picture == 0 ? 0 : i.picture - (i.picture > 2 ? 1 : 0));
            red[k] = !(FileElementPresent(file) || file == kDrawnByProgram);
        }
    }
    progress_.Pump();
    LayoutChecked = true;
    return red;
}

void LayoutCommands::SlotPaperFromPanel(PlacementSlot& slot, const MockRect& panel) {
    slot[0] = panel.left;
    slot[1] = panel.top;
    slot[2] = panel.width;
    slot[3] = panel.height;
    slot[4] = RoundHalfEven(panel.left * scale.X);
    slot[5] = RoundHalfEven(panel.top * scale.Y);
}

bool LayoutCommands::MeasureText(int e) {
    if (e < 0 || e >= 8 || !Measurer) return false;
    LegendRec& l = project_.MapLegend;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(0, l.LineCounts[e])), l.Lines[e].size());
    if (n == 0) return false;
    std::size_t longest = 0;
    for (std::size_t i = 1; i < n; ++i)
        if (l.Lines[e][i].size() > l.Lines[e][longest].size()) longest = i;
    const FontRef font = l.Fonts[e] ? l.Fonts[e] : MapProject::LegendFont();
    double w = 0, h = 0;
    Measurer->Measure(*font, l.Lines[e][longest], w, h);
    const int wi = RoundHalfEven(w), hi = RoundHalfEven(h);
    MockRect& panel = Panels[e];
    panel.width = RoundHalfEven(wi / scale.X);
    panel.height = RoundHalfEven(static_cast<double>(n) * hi / scale.Y);
    if (ShowSize) ShowSize(w, h);
    PlacementSlot& slot = l.TextPlace[e];
    SlotPaperFromPanel(slot, panel);
    slot[6] = wi;
    slot[7] = hi * static_cast<int>(n);
    return true;
}

void LayoutCommands::CheckMap() { MeasurePicture(kMapPic); }

void LayoutCommands::MeasurePicture(LayoutElement e) {
    if (e < 0 || e >= kLayoutElementCount || kLayoutElements[e].picture < 0) return;
    PlacementSlot& slot = project_.MapLegend.BitmapPlace[kLayoutElements[e].picture];
    // The panel the user sized is the picture's place on paper: the map
    // fills it, a picture fits into it keeping its proportions.
    MockRect& panel = Panels[e];
    if (panel.width <= 0 || panel.height <= 0) {
        // A panel never sized keeps the slot's size, else the picture's own.
        if (slot[2] > 0 && slot[3] > 0) {
            panel.width = slot[2];
            panel.height = slot[3];
        } else if (slot[6] > 0 && slot[7] > 0) {
            panel.width = RoundHalfEven(slot[6] / scale.X);
            panel.height = RoundHalfEven(slot[7] / scale.Y);
        } else {
            return;
        }
    }
    SlotPaperFromPanel(slot, panel);
    slot[6] = RoundHalfEven(panel.width * scale.X);
    slot[7] = RoundHalfEven(panel.height * scale.Y);
    if (ShowSize) ShowSize(slot[6], slot[7]);
}

bool LayoutCommands::StoreLayout() {
    if (!LayoutChecked) CheckSizes();
    CheckMap();
    const LegendRec& l = project_.MapLegend;
    for (int e = 0; e < 8; ++e) {
        if (Include[e] && !TextElementEmpty(l, e)) MeasureText(e);
        progress_.Pump();
    }
    for (LayoutElement e : {kLocationPic, kNorthArrowPic, kLegendPic, kScaleBarPic, kFeaturePic}) {
        if (Include[e]) MeasurePicture(e);
        progress_.Pump();
    }
    return maps_ ? maps_->SaveMapBtnClick() : true;
}

void LayoutCommands::SetupPrinter(const Sheet& s, bool reset) {
    sheet = s;
    scale = PaperScale{};
    const int w = static_cast<int>(std::lround(s.WidthMm)), h = static_cast<int>(std::lround(s.HeightMm));
    PaperPanel = {8, 160, w, h};
    LegendRec& l = project_.MapLegend;
    l.PaperPlace = {8, 160, w, h, 0, 0, w * kPaperUnitsPerMm, h * kPaperUnitsPerMm};
    if (reset) {
        for (int k = 0; k < kLayoutElementCount; ++k) {
            const auto e = static_cast<LayoutElement>(k);
            PlacementSlot* slot = SlotOf(l, e);
            if (!slot) continue;
            const std::array<int, 4> d = DefaultPlace(e, s.Landscape());
            SlotPaperFromPanel(*slot, {d[0], d[1], d[2], d[3]});
        }
        PlacementSlot& map = l.BitmapPlace[2];
        map[6] = RoundHalfEven(map[2] * scale.X);
        map[7] = RoundHalfEven(map[3] * scale.Y);
    }
    SetDataToForm();
}

void LayoutCommands::SetupPrinterBtnClick(const Sheet& s) {
    const bool reset = prompter_.AskYesNoText("Put every element of the layout back in its default place for this "
                                              "sheet?") == Answer::Yes;
    SetupPrinter(s, reset);
}

int LayoutCommands::MoverMaxX(bool scaled) const {
    const int mm = static_cast<int>(std::lround(sheet.WidthMm));
    return scaled ? mm * kPaperUnitsPerMm : mm;
}

int LayoutCommands::MoverMaxY(bool scaled) const {
    const int mm = static_cast<int>(std::lround(sheet.HeightMm));
    return scaled ? mm * kPaperUnitsPerMm : mm;
}

void LayoutCommands::MoverSelect(int entry, bool scaled, int& x, int& y) const {
    x = y = 0;
    if (entry < 0 || entry >= kLayoutElementCount) return;
    const PlacementSlot* s = SlotOf(project_.MapLegend, kMoverOrder[entry]);
    if (!s) return;
    x = scaled ? (*s)[4] : (*s)[0];
    y = scaled ? (*s)[5] : (*s)[1];
}

void LayoutCommands::MoverSetX(int entry, int v, bool scaled) {
    if (entry >= 0 && entry < kLayoutElementCount) {
        if (PlacementSlot* s = SlotOf(project_.MapLegend, kMoverOrder[entry])) {
            v = std::clamp(v, 0, MoverMaxX(scaled));
            if (scaled) {
                (*s)[4] = v;
                (*s)[0] = RoundHalfEven(v / scale.X);
            } else {
                (*s)[0] = v;
            }
        }
    }
    SetDataToForm();
}

void LayoutCommands::MoverSetY(int entry, int v, bool scaled) {
    if (entry >= 0 && entry < kLayoutElementCount) {
        if (PlacementSlot* s = SlotOf(project_.MapLegend, kMoverOrder[entry])) {
            v = std::clamp(v, 0, MoverMaxY(scaled));
            if (scaled) {
                (*s)[5] = v;
                (*s)[1] = RoundHalfEven(v / scale.Y);
            } else {
                (*s)[1] = v;
            }
        }
    }
    SetDataToForm();
}

void LayoutCommands::MoverReset(int entry) {
    if (entry >= 0 && entry < kLayoutElementCount) {
        if (PlacementSlot* s = SlotOf(project_.MapLegend, kMoverOrder[entry])) {
            (*s)[0] = (*s)[1] = 10;
            (*s)[4] = (*s)[5] = 10 * kPaperUnitsPerMm;
        }
    }
    SetDataToForm();
}

void LayoutCommands::SizeMattersOsc(int k) {
    // The "Object Size Computation" list; Grid, Paper Size and the
    // boundaries measure nothing.
    static const int kEntries[20] = {kTitleTop,    kAuthorTop,   kTitleBottom, kAuthorBottom, kSourceText,
                                     kFeatureText, -1,           kNorthArrowPic, kNorthText,  kLegendPic,
                                     kLocationPic, kScaleBarPic, kFeaturePic,  kContourText,  kMapPic,
                                     -1,           -1,           -1,           -1,            -1};
    if (k < 0 || k >= 20 || kEntries[k] < 0) return;
    const auto e = static_cast<LayoutElement>(kEntries[k]);
    if (kLayoutElements[e].text >= 0)
        MeasureText(kLayoutElements[e].text);
    else if (e == kMapPic)
        CheckMap();
    else
        MeasurePicture(e);
}

namespace {

// A slot's paper rectangle; one never measured takes its mock-up place.
PaperRect PaperBox(const PlacementSlot& s, const PaperScale& scale) {
    PaperRect r{s[4], s[5], s[6], s[7]};
    if (r.width <= 0 || r.height <= 0) {
        r.left = RoundHalfEven(s[0] * scale.X);
        r.top = RoundHalfEven(s[1] * scale.Y);
        r.width = RoundHalfEven(s[2] * scale.X);
        r.height = RoundHalfEven(s[3] * scale.Y);
    }
    return r;
}

}  // namespace

Page LayoutCommands::Draw(double metresPerPixel) {
    const LegendRec& l = project_.MapLegend;
    Page page;
    page.WidthMm = sheet.WidthMm;
    page.HeightMm = sheet.HeightMm;
    page.PageNumber = 1;
    PageCommand brush;
    brush.kind = PageCommand::Kind::Brush;
    brush.color = 0xFFFFFF;
    brush.brushStyle = 1;
    page.Commands.push_back(brush);

    for (int e = 0; e < 8; ++e) {
        if (!l.ShowText[e] || TextElementEmpty(l, e)) continue;
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(l.LineCounts[e]), l.Lines[e].size());
        const PaperRect box = PaperBox(l.TextPlace[e], scale);
        PageCommand font;
        font.kind = PageCommand::Kind::Font;
        font.font = l.Fonts[e] ? *l.Fonts[e] : *MapProject::LegendFont();
        page.Commands.push_back(font);
        // Lines are spaced by the font they print in now: fonts are shared
        // and not stored, so the height measured at Store Layout may be
        // another font's.
        double lineHeight = static_cast<double>(box.height) / n;
        if (Measurer) {
            double w = 0, h = 0;
            Measurer->Measure(font.font, l.Lines[e][0], w, h);
            if (h > 0) lineHeight = RoundHalfEven(h);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (l.Lines[e][i].empty()) continue;
            PageCommand t;
            t.kind = PageCommand::Kind::Text;
            t.rect = {box.left, box.top + RoundHalfEven(lineHeight * i), 0, 0};
            t.text = l.Lines[e][i];
            page.Commands.push_back(t);
        }
    }

    auto picture = [&](int p, int show, PageCommand::Kind drawn) {
        if (!l.ShowBitmap[show]) return;
        const std::string& file = BitmapEntryFile(l, p == 0 ? 0 : p - (p > 2 ? 1 : 0));
        PageCommand c;
        c.rect = PaperBox(l.BitmapPlace[p], scale);
        if (file == kDrawnByProgram && drawn != PageCommand::Kind::Picture) {
            c.kind = drawn;
        } else if (!NamesFile(file)) {
            return;
        } else if (!FileExists(file)) {
            prompter_.ShowErrorText("Picture not found, left off the page: " + file);
            return;
        } else {
            c.kind = PageCommand::Kind::Picture;
            c.text = file;
        }
        page.Commands.push_back(c);
    };
    picture(0, 1, PageCommand::Kind::NorthArrow);
    picture(1, 2, PageCommand::Kind::Picture);

    int mw = 0, mh = 0;
    if (MapPictureSize) MapPictureSize(mw, mh);
    PageCommand map;
    map.kind = PageCommand::Kind::Map;
    map.rect = PaperBox(l.BitmapPlace[2], scale);
    page.MapBox = map.rect;
    // The view's extent shown whole in the panel: the tighter side sets the scale.
    if (metresPerPixel > 0 && mw > 0 && mh > 0 && map.rect.width > 0 && map.rect.height > 0)
        page.MapMetresPerUnit = metresPerPixel * std::max(static_cast<double>(mw) / map.rect.width,
                                                          static_cast<double>(mh) / map.rect.height);
    if (l.ShowBitmap[0]) page.Grid = l.GridName == "Lat Long" ? 1 : l.GridName == "UTM Grid" ? 2 : 0;
    page.Commands.push_back(map);

    picture(3, 3, PageCommand::Kind::Picture);
    picture(4, 4, PageCommand::Kind::ScaleBar);
    picture(5, 5, PageCommand::Kind::Picture);
    return page;
}

Page LayoutCommands::PrintPreview(double metresPerPixel) {
    // The preview shows the mock-up as it stands: the panels are stored first.
    StoreLayout();
    return Draw(metresPerPixel);
}

}  // namespace zemba
