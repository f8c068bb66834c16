// The in-memory layer store: loaded layers, their shapes and styles, and the
// map state that every part of the program reads and changes.
//
// Numbering: layers, shapes, parts and vertices count from 1 and element 0 of
// their arrays is reserved (Shapes[0] is the view's working copy of the
// selected shape). Fields count from 0; LayerOrder counts from 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/default_init.h"

namespace zemba {

// 0x00BBGGRR: red in the low byte.
using COLORREF = std::uint32_t;

// A font description shared by reference: a change made through one
// LabelFont shows through every layer and shape that holds it.
struct FontDesc {
    std::string Family = "MS Sans Serif";
    int PointSize = 8;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    COLORREF Color = 0x000000;
    int Escapement = 0;  // tenths of a degree
};
using FontRef = std::shared_ptr<FontDesc>;

struct PointXY {
    double X;
    double Y;
};
struct PointXYZM {
    double X;
    double Y;
    double Z;
    double M;
};

// Vertex arrays are filled straight from file blocks, so they are allocated
// without zeroing; every element is written before it is read.
using PointArray = std::vector<PointXY, DefaultInitAllocator<PointXY>>;
using PointArray3 = std::vector<PointXYZM, DefaultInitAllocator<PointXYZM>>;

// The shapefile's "no data" measure: any M below -1e38 means none. Z files
// without measures carry it, so other programs read them as Z only.
constexpr double kNoMeasure = -1.7976931348623157e308;
inline bool IsNoMeasure(double m) { return m < -1e38; }

struct PAR {
    PointArray Pts;  // Pts[1..PartSizes[k]]; Pts[0] unused
};
struct PAR3 {
    PointArray3 Pts;
};

struct ShpObj {
    std::int32_t ShapeType = 0;
    std::int32_t RecNum = 0;
    std::int32_t NumPoints = 0;
    std::int32_t NumParts = 0;
    std::vector<std::int32_t> PartSizes;  // from 1
    std::vector<PAR> Parts;               // from 1
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    std::vector<std::string> Values;  // from 0, one per field
};

struct ShpObj3 {
    std::int32_t ShapeType = 0;
    std::int32_t RecNum = 0;
    std::int32_t NumPoints = 0;
    std::int32_t NumParts = 0;
    std::vector<std::int32_t> PartSizes;
    std::vector<PAR3> Parts;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    double ZMin = 0, MMin = 0, ZMax = 0, MMax = 0;  // a point keeps its Z and M here
    std::vector<std::string> Values;
};

// Field type codes as the table library reports them.
enum FieldType : std::uint8_t {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftWord = 4,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftLargeint = 25,
};

struct FieldDefRec {
    std::int32_t FieldNo = 0;  // 1-based
    std::string Name;
    std::uint8_t DataType = ftUnknown;
    std::int32_t Size = 0;
    std::int32_t Precision = 0;
    std::uint8_t Required = 0;
};

struct ShpLayer {
    std::int32_t LayerIndex = 0;
    std::int32_t NumRecords = 0;
    std::int32_t NumExtraParts = 0;
    std::int32_t NumPoints = 0;
    std::uint8_t Modified = 0;
    std::int32_t ShapeType = 0;
    std::string DbfName;
    std::string DbfPath;
    std::string ShpName;
    std::string ShpPath;
    double XShift = 0, YShift = 0;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    double ZMin = 0, MMin = 0, ZMax = 0, MMax = 0;
    std::int32_t NumFields = 0;
    std::vector<FieldDefRec> Fields;  // from 0
    // The text of the .cpg file beside the table (its encoding; empty: none)
    // and of the .prj file beside the shapefile, both written back on save.
    std::string CodePage;
    std::string Prj;
    std::vector<ShpObj> Shapes = std::vector<ShpObj>(1);  // from 1; Shapes[0] is the working copy
    // Z and M per vertex, parallel to Shapes, when the file had them; empty
    // for layers without Z or M data.
    std::vector<ShpObj3> Shapes3;

    // Shape index k holds a null shape (type 0 record): counted and numbered,
    // with its attribute row, drawing nothing.
    std::vector<std::uint8_t> NullShape;  // from 1; empty when none
    // Records the reader could not read (kept as null shapes) plus one when
    // the file was cut: a save over that file asks first.
    std::int32_t DamagedRecords = 0;
    bool IsNullShape(std::int32_t k) const {
        return k >= 0 && static_cast<std::size_t>(k) < NullShape.size() && NullShape[k] != 0;
    }
    // Z and M of shape k when they were kept and still match its geometry
    // (an edit that changed the shape without them leaves nullptr).
    const ShpObj3* KeptZM(std::int32_t k) const;

    // The coordinate system the shapes are held in now, as a projection
    // block's slots (mapping/projection.h); empty: geographic degrees on
    // NAD27, as layers are kept on disk.
    std::vector<double> CoordSystem;
};

struct SymObj {
    std::int32_t StyleSet = 0;
    std::int32_t LabelSet = 0;
    std::int32_t ObjSpare1 = 0;
    std::int32_t BrushStyle = 0;
    std::int32_t PenStyle = 0;
    std::int32_t PenWidth = 0;
    COLORREF LabelBackColor = 0;
    COLORREF PenColor = 0;
    COLORREF BrushColor = 0;
    std::uint8_t ObjSpare2 = 0;
    std::uint8_t LabelPlaced = 0;
    std::uint8_t LabelBackgrounded = 0;
    FontRef LabelFont;
    std::string LabelText;
    std::int32_t LabelFontHeight = 0;
    std::int32_t LabelRotation = 0;
    std::int32_t ObjSpare3 = 0;
    std::int32_t ObjSpare4 = 0;
    double LabelX = 0;
    double LabelY = 0;
};

struct SymLayer {
    std::int32_t SpareA = 0;
    std::int32_t SpareB = 0;
    std::int32_t NumClasses = 0;
    std::int32_t Visible = 0;
    std::int32_t Labeled = 0;
    std::int32_t ShapeStyle = 0;
    std::int32_t LineStyle = 0;
    std::int32_t LineWidth = 0;
    COLORREF LabelBackColor = 0;
    COLORREF SpareColorA = 0;
    COLORREF SpareColorB = 0;
    COLORREF LineColor = 0;
    COLORREF FillColor = 0;
    std::uint8_t Editable = 0;
    std::uint8_t Outlined = 0;
    std::uint8_t LabelBackgrounded = 0;
    FontRef LabelFont;
    std::int32_t LabelFontHeight = 0;
    std::int32_t LabelRotation = 0;
    std::int32_t LabelField = 0;
    std::vector<double> ClassBreaks;  // NumClasses + 1 entries; [j] the top of class j less the minimum
    std::vector<SymObj> SymObjs;      // from 1
};

struct HitEntry {
    std::int32_t Layer = 0;
    std::int32_t Shape = 0;
};

// The layer table and map state. The application owns one; tests make as
// many as they like.
struct LayerStore {
    std::vector<ShpLayer> ShapeLayers{1};  // LayerCount + 1
    std::vector<SymLayer> SymLayers{1};    // LayerCount + 1
    std::int32_t LayerCount = 0;
    std::int32_t CurrentLayer = 0;
    std::vector<std::int32_t> LayerOrder;  // from 0, LayerCount entries

    double MapXMin = 0, MapXMax = 1, MapYMin = 0, MapYMax = 1;
    double MapWidth = 1, MapHeight = 1;
    double MapXOffset = 0, MapYOffset = 0;
    std::int32_t CurrentShape = 0;
    std::int32_t CurrentPart = 0;
    std::int32_t CurrentPoint = 0;
    std::int32_t CurrentField = 0;
    std::vector<HitEntry> HitList{1};  // from 1
    std::int32_t HitCount = 0;
    std::string LayerFileName = "NoName.duh";
    std::string NewLayerFileName;
    bool BaseImageLoaded = false;
    std::string BaseImagePath, BaseImageName;
    bool MapChanged = false;
    bool BtdLoaded = false;
    std::string BtdPath, BtdName;
    std::string ProjectPath;
    std::string ProjectName = "Nada";
    // The system the map is shown in (a projection block's slots); empty:
    // geographic degrees on NAD27. Layers opened into a projected map are
    // projected into it.
    std::vector<double> MapSystem;
    std::int32_t PointLayerIndex = 0, LineLayerIndex = 0, PolygonLayerIndex = 0, AnnoLayerIndex = 0;
    bool PointLayerMade = false, LineLayerMade = false, PolygonLayerMade = false, AnnoLayerMade = false;

    // The font every layer read from a file labels with (the progress
    // window's message font); shared, so one change shows in all of them.
    FontRef DefaultLabelFont = std::make_shared<FontDesc>();

    // Append an empty layer slot and make it current; SymLayers is resized
    // later by SetLoadedLayerDefaults.
    void AppendLayerSlot();
    // Undo a failed AppendLayerSlot, releasing whatever the read put there.
    void RollBackAppend();
    // Style defaults of a layer just read from a file (layer i).
    void SetLoadedLayerDefaults(std::int32_t i);
    // Line and fill style and colours of layer i by its number.
    void SetDefaultStyle(std::int32_t i);
    // The Clear All command.
    void ClearAll();
    // Extents and translation from layer i's header box, when it is read.
    void ApplyLayerExtents(std::int32_t i);
};

// The 14-colour default palette, by k mod 14.
COLORREF palette(std::int64_t k);

// "Points", "Lines", ... for a shape type code; empty for unknown codes.
const char* ShapeTypeName(std::int32_t shapeType);

bool IsPointType(std::int32_t t);       // 1, 11, 21 (and 2, the text layer)
bool IsMultiPointType(std::int32_t t);  // 8, 18, 28
bool IsMultiPartType(std::int32_t t);   // 3, 5, 13, 15, 23, 25
bool IsPolygonType(std::int32_t t);     // 5, 15, 25
bool HasZ(std::int32_t t);              // 11, 13, 15, 18
bool HasM(std::int32_t t);              // types with a measure section

}  // namespace zemba
