// A printed page as a list of drawing commands in paper units (0.1 mm from
// the sheet's top-left corner), recorded by the print layout and played
// by the preview, the printer and the PDF writer alike. No Qt.
#pragma once

#include <string>
#include <vector>

#include "core/layer_store.h"

namespace zemba {

// Paper units per millimetre: mock-up, preview and printer share this unit.
constexpr int kPaperUnitsPerMm = 10;

struct PaperRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

struct PageCommand {
    enum class Kind {
        Brush,       // color, brushStyle
        Font,        // font
        Text,        // text with its top-left at (rect.left, rect.top)
        Picture,     // file stretched into rect
        Map,         // the map, fitted into rect
        ScaleBar,    // drawn into rect from metresPerUnit of the map
        NorthArrow,  // drawn into rect
    };
    Kind kind = Kind::Text;
    PaperRect rect;
    std::string text;  // Text: the line; Picture: the file
    FontDesc font;
    COLORREF color = 0xFFFFFF;
    int brushStyle = 1;
};

struct Page {
    double WidthMm = 216, HeightMm = 279;
    int PageNumber = 1;
    std::vector<PageCommand> Commands;
    // Ground metres per paper unit of the drawn map; 0 when unknown.
    double MapMetresPerUnit = 0;
    // The map as drawn: it fills its panel.
    PaperRect MapBox;
    // The grid over the map: 0 none, 1 a graticule in degrees, 2 the UTM
    // grid in metres; drawn only over a map in those units.
    int Grid = 0;
    // The map's units for the grid: 1 degrees, 2 metres of a UTM zone, 0 other.
    int MapUnits = 0;

    int WidthUnits() const { return static_cast<int>(WidthMm * kPaperUnitsPerMm + 0.5); }
    int HeightUnits() const { return static_cast<int>(HeightMm * kPaperUnitsPerMm + 0.5); }
};

// The largest rectangle of proportions w:h inside `box`, centred.
PaperRect FitInto(const PaperRect& box, double w, double h);

// A scale bar that fits `maxLength` paper units: a round ground length (1, 2
// or 5 times a power of ten, in metres or kilometres), its length on paper,
// the number of segments and the label ("0", "500 m", "2 km").
struct ScaleBarSpec {
    double groundMetres = 0;
    int lengthUnits = 0;
    int segments = 0;
    std::string label;
    bool ok = false;
};
ScaleBarSpec MakeScaleBar(double metresPerUnit, int maxLength);

// Metres of one map unit (the map window's unit list: 0 radians, 1 U.S.
// feet, 2 metres, 3 seconds, 4 degrees, 5 international feet) at latitude
// `lat` for the angular units; 0 for an unknown unit.
double MetresPerMapUnit(long unit, double lat);

}  // namespace zemba
