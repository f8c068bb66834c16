// DLG nodes, lines or areas (with islands) to a shapefile with a dBase
// attribute table and a .prj.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/dlg_reader.h"
#include "core/ui.h"
#include "db/db.h"

namespace zemba {

enum AttributeMode { amMajorMinor, amSingleCode, amMinorCodes, amSoil };
enum class ExportLayer { Points, Lines, Areas, MPoint };

// The conversion window's DLG state.
struct DlgState {
    std::string DlgFileName;       // the import page's file
    std::string QuickViewFileName; // the quick view's own file
    bool DlgSelected = false;
    DlgRecordMode RecordMode = dlgTextLines;
    std::int64_t DlgNodeCount = 0, DlgAreaCount = 0, DlgLineCount = 0;
    int ShapeExportCount = 0;
    db::Session Session;
};

struct DlgShapeOptions {
    ExportLayer Layer = ExportLayer::Areas;
    bool SkipFirstArea = true;
    bool SkipSsurgoBlankHalf = false;
    AttributeMode Mode = amMajorMinor;
    bool SsurgoSpecialFeature = false;
    bool NumberItems = false;
    bool MapAttributes = false;
    // Numbering gaps: ask (Abort/Retry/Ignore through the prompter) or not.
    bool NumberingCheck = true;
    bool WritePrj = true;
};

struct DlgShapeReport {
    std::int64_t Written = 0;      // records in the shapefile
    std::int64_t NullShapes = 0;
    std::int64_t Parts = 0, Points = 0, Holes = 0;
    std::int64_t IslandsDone = 0, PointsAdded = 0, LinePointsAdded = 0;
    std::int64_t NodeAttrMax = 0, LineAttrMax = 0, AreaAttrMax = 0;
    std::int64_t LinesRead = 0, AreasRead = 0;
    std::int64_t IslandMismatches = 0;
    std::vector<db::FieldDef> Fields;
    std::vector<std::string> Memo;
    std::string Hint;
    std::vector<std::string> Outputs;  // files put in place
};

// `FirstExportedArea` of the options.
int FirstExportedArea(const DlgShapeOptions& o);

// The attribute table's fields. `sideFile` is "att", "sym", "sat" or "" for
// the soil mode; `dlgName` picks the .att field; n is the largest
// attribute count of the export.
std::vector<db::FieldDef> DlgTableSchema(const DlgShapeOptions& o, const std::string& sideFile,
                                         const std::string& dlgName, std::int64_t n);

// ESRI WKT for the header's reference system, or "" when it has none we know.
std::string DlgPrjText(const DlgHeader& header, std::string* why = nullptr);

// Converts `dlgPath` to `shpPath` (+ .shx, .dbf, .prj, the "_" table copy).
// Nothing is left behind when it fails; the reason is in the result (the
// boxes of the conversion have been shown through the prompter).
Result ExportDlgToShape(const std::string& dlgPath, const std::string& shpPath, const DlgShapeOptions& options,
                        Prompter& prompter, Progress& progress, DlgShapeReport& report);

// The "OK" button of the export group: the window's checks (a chosen DLG,
// an 8.3 name) and then the export into the Shape directory.
Result DLGShapeExport(DlgState& state, const std::string& shapeDir, const std::string& shapeName,
                      const DlgShapeOptions& options, Prompter& prompter, Progress& progress,
                      DlgShapeReport& report);

// Records of a .sat text: split at LF, CR LF or CR.
std::vector<std::string> SplitSatRecords(const std::string& text);

}  // namespace zemba

namespace zemba {

// What the import page shows after a DLG is chosen.
struct DlgImportPage {
    DlgHeader Header;
    std::vector<std::string> Memo;
    std::string DxfName;
    std::string Hint;
};

// "DLG File Selector" of the import page after the dialog: the extension
// test (message 11), the county soil survey renaming, the header and the
// proposed names. Sets `state` (file, selection, record mode, counts).
Result ChooseImportDlg(DlgState& state, const std::string& chosen, const std::string& dlgDir, Prompter& prompter,
                       DlgImportPage& page);

// The shape name after the export layer changed: a fresh proposal unless
// the user edited the name since the last one.
std::string ShapeNameForLayer(const std::string& current, const std::string& lastProposed,
                              const std::string& dxfName, const std::string& layer);

// DLGIRGClick's text for ShapeLayerEdit.
std::string ShapeLayerText(const std::string& layer);

// The quick view's file after the dialog: renamed when it is a county soil
// survey file. Returns the cached picture's name ("" when there is none).
std::string ChooseQuickViewDlg(DlgState& state, const std::string& chosen, const std::string& dlgDir,
                               Prompter& prompter);

}  // namespace zemba
