#include "app/file_commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>

#include "app/messages.h"
#include "core/attributes.h"
#include "core/exports.h"
#include "core/layer_save.h"
#include "core/shp_reader.h"
#include "core/shp_writer.h"
#include "mapping/projection.h"
#include "view/editing.h"

namespace fs = std::filesystem;

namespace zemba {

namespace {

bool DirExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

}  // namespace

// Marks the store as in use for the length of a long loop.
struct FileCommands::BusyScope {
    explicit BusyScope(FileCommands& c) : c_(c) {
        ++c_.state_.Busy;
        if (c_.hooks_.LongWork) c_.hooks_.LongWork(true);
    }
    ~BusyScope() {
        --c_.state_.Busy;
        if (c_.hooks_.LongWork) c_.hooks_.LongWork(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    FileCommands& c_;
};

namespace {

const char* const kEmptySlot = " ";

}  // namespace

std::string UpperExt(const std::string& path) {
    std::string name = FileNamePart(path);
    std::size_t p = name.find_last_of('.');
    if (p == std::string::npos) return {};
    std::string ext = name.substr(p);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

std::string CaptionFor(const std::string& name) { return "ZEMBA Editor: " + FileNamePart(name); }

std::string ShapeFileTypeRG(std::int32_t code) {
    // The shapefile types have their names in the store; the box also names
    // a few codes of other formats.
    switch (code) {
        case 2: return "Texts";
        case 7: return "P.A.L. MZ";
        case 32: return "Mesh TIN";
        case 34: return "Fan";
        case 36: return "Strip";
        case 37: return "OI Polys";
        case 39: return "Rings";
        default: return ShapeTypeName(code);
    }
}

void PushRecent(std::array<std::string, 5>& recent, const std::string& path) {
    // A file already listed moves to the top instead of appearing twice.
    int from = 4;
    for (int k = 0; k < 5; ++k)
        if (recent[k] == path) {
            from = k;
            break;
        }
    for (int k = from; k > 0; --k) recent[k] = recent[k - 1];
    recent[0] = path;
}

void RebuildRecent(std::array<std::string, 5>& recent) {
    // One pass: each gap moves at most one place towards the end.
    for (int k = 0; k < 4; ++k) {
        if (recent[k] == kEmptySlot) {
            recent[k] = recent[k + 1];
            recent[k + 1] = kEmptySlot;
        }
    }
}

std::array<std::string, 5> ReopenCaptions(const std::array<std::string, 5>& recent) {
    std::array<std::string, 5> c;
    for (int k = 0; k < 5; ++k) c[k] = "&" + std::to_string(k) + " " + recent[k];
    return c;
}

StatusLayout StatusLayoutFor(int windowWidth) {
    StatusLayout s;
    s.PanelWidth = windowWidth - 8;
    s.XYWidth = s.PanelWidth / 2;
    s.ProgressWidth = s.PanelWidth <= 400 ? 100 : 200;
    return s;
}

void RecomputeLayerExtents(LayerStore& store, std::int32_t i) {
    if (i < 1 || i > store.LayerCount) return;
    ShpLayer& L = store.ShapeLayers[i];
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
    double x1 = -x0, y1 = -x0;
    const std::int32_t n =
        std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
    for (std::int32_t k = 1; k <= n; ++k) {
        if (L.IsNullShape(k)) continue;
        const ShpObj& s = L.Shapes[k];
        x0 = std::min(x0, s.XMin);
        y0 = std::min(y0, s.YMin);
        x1 = std::max(x1, s.XMax);
        y1 = std::max(y1, s.YMax);
    }
    if (x0 > x1 || y0 > y1) return;  // no shapes: keep the header box
    L.XMin = x0;
    L.YMin = y0;
    L.XMax = x1;
    L.YMax = y1;
}

FileCommands::FileCommands(LayerStore& store, Options& options, Prompter& prompter,
                           Progress& progress, MainState& state, FileHooks hooks)
    : store_(store),
      options_(options),
      prompter_(prompter),
      progress_(progress),
      state_(state),
      hooks_(std::move(hooks)) {
    state_.ReopenCaptions = ReopenCaptions(options_.Recent);
}

void FileCommands::Notify() {
    if (hooks_.Changed) hooks_.Changed();
}

void FileCommands::Hourglass(bool on) {
    if (hooks_.Hourglass) hooks_.Hourglass(on);
}

void FileCommands::SetCaption(const std::string& name) {
    state_.Caption = CaptionFor(name);
    Notify();
}

void FileCommands::UpdateToolStatus(int level) {
    state_.ToolLevel = level;
    if (hooks_.EndEditing) hooks_.EndEditing();
    Notify();
}

void FileCommands::Open() {
    if (Refused()) return;
    std::string path = prompter_.ChooseOpenFile(
        "Open", options_.ShapeDir,
        "Shape File Maps(*.shp, *.zmp)|*.shp;*.zmp|Bitmaps (*.bmp)|*.bmp|Data files (*.btd)|*.btd");
    if (path.empty() || !FileExists(path)) return;
    state_.LastOpenedFile = path;
    // Only a file that opened joins the recent list (a data file is listed
    // though nothing is loaded from it).
    if (LoadFromFile(path) || UpperExt(path) == ".BTD") {
        PushRecent(options_.Recent, path);
        RebuildReopenMenu();
    }
}

bool FileCommands::LoadFromFile(const std::string& path) {
    if (Refused()) return false;
    const std::string ext = UpperExt(path);
    if (ext == ".SHP") {
        if (!FileExists(CompanionFile(path, ".dbf"))) {
            prompter_.Message(MsgFamily::Error, 20, CompanionFile(path, ".dbf"));
            return false;
        }
        options_.ShapeDir = DirectoryPart(path);
        const std::string previousName = store_.LayerFileName;
        store_.LayerFileName = path;
        Hourglass(true);
        bool ok = NewLayer();
        if (ok) {
            SetCaption(store_.LayerFileName);
            LayerComboBoxChange(state_.LayerIndex);
        } else {
            // The name of a file that was not loaded must not become the
            // default name for saving.
            store_.LayerFileName = previousName;
        }
        Hourglass(false);
        if (!ok) prompter_.Message(MsgFamily::Error, 19, lastFailure_);
        Notify();
        return ok;
    }
    if (ext == ".ZMP") {
        options_.ProjectPath = DirectoryPart(path);
        store_.ProjectPath = options_.ProjectPath;
        if (hooks_.LoadProject) {
            const bool ok = hooks_.LoadProject(path);
            if (hooks_.LayerTableChanged) hooks_.LayerTableChanged();
            // The project's styles stay; the boxes and caption show its layer.
            if (store_.LayerCount > 0) {
                SelectLayerKeepingStyle(store_.CurrentLayer >= 1 ? store_.CurrentLayer : 1);
                UpdateToolStatus(1);
            }
            Notify();
            return ok;
        }
        prompter_.ShowErrorText("Map projects cannot be opened in this version of ZEMBA:\r\n" +
                                path);
        return false;
    }
    if (ext == ".BMP") {
        if (!hooks_.LoadBackground) return false;
        Hourglass(true);
        Result r = hooks_.LoadBackground(path);
        if (r) {
            store_.BaseImageLoaded = true;
            options_.BaseImagesDir = DirectoryPart(path);
            store_.BaseImagePath = DirectoryPart(path);
            store_.BaseImageName = FileNamePart(path);
            if (hooks_.Redraw) hooks_.Redraw();
        }
        Hourglass(false);
        if (!r) prompter_.ShowErrorText("Bitmap not loaded: " + path + "\r\n" + r.reason);
        Notify();
        return r.ok;
    }
    if (ext == ".BTD") {
        store_.BtdPath = DirectoryPart(path);
        store_.BtdName = FileNamePart(path);
        // No reader for data files exists, so nothing is attached.
        store_.BtdLoaded = false;
        return false;
    }
    return false;
}

bool FileCommands::NewLayer() {
    if (Refused()) return false;
    if (hooks_.RefreshPalette) hooks_.RefreshPalette();

    // A failed read leaves the layer table and the map translation as they
    // were, so keep what the reader may touch before it fails.
    const std::int32_t previousCurrent = store_.CurrentLayer;
    const double mx0 = store_.MapXMin, mx1 = store_.MapXMax, my0 = store_.MapYMin,
                 my1 = store_.MapYMax, mxo = store_.MapXOffset, myo = store_.MapYOffset;

    store_.AppendLayerSlot();
    Result r;
    {
        BusyScope busy(*this);
        r = ReadShapefile(store_, prompter_, progress_);
        if (r) r = LoadAttributes(store_, store_.CurrentLayer, progress_);
    }
    if (!r) {
        lastFailure_ = r.reason;
        store_.RollBackAppend();
        store_.CurrentLayer = std::min(previousCurrent, store_.LayerCount);
        store_.MapXMin = mx0;
        store_.MapXMax = mx1;
        store_.MapYMin = my0;
        store_.MapYMax = my1;
        store_.MapXOffset = mxo;
        store_.MapYOffset = myo;
        return false;
    }
    lastFailure_.clear();
    // A layer opened into a projected map is shown in the map's system.
    ConvertOutcome projected = ProjectNewLayer(store_, store_.CurrentLayer, progress_, {});
    if (!projected.result) prompter_.ShowErrorText("Layer not projected:\r\n" + projected.result.reason);
    if (hooks_.LayerTableChanged) hooks_.LayerTableChanged();
    state_.SoilDbLinked = false;
    state_.ExtDbLinked = false;
    state_.SoilDbActive = false;
    if (hooks_.LayerOpened) hooks_.LayerOpened(store_.CurrentLayer);
    if (store_.LayerCount == 1 && hooks_.FirstLayerOpened) hooks_.FirstLayerOpened();
    if (hooks_.Redraw) hooks_.Redraw();
    LayerComboUpdate(store_.CurrentLayer);
    UpdateToolStatus(1);
    return true;
}

void FileCommands::Reopen(int k) {
    if (Refused() || k < 0 || k > 4) return;
    const std::string path = options_.Recent[k];
    if (path != kEmptySlot && FileExists(path)) {
        state_.LastOpenedFile = path;
        LoadFromFile(path);
    } else {
        // Say why the entry goes, rather than dropping it without a word.
        if (path != kEmptySlot)
            prompter_.ShowErrorText("File not found: " + path + "\r\nIt is taken off the Reopen list.");
        options_.Recent[k] = kEmptySlot;
        RebuildReopenMenu();
    }
}

void FileCommands::RebuildReopenMenu() {
    RebuildRecent(options_.Recent);
    state_.ReopenCaptions = ReopenCaptions(options_.Recent);
    Notify();
}

bool FileCommands::SaveLayerTo(std::int32_t i, const std::string& path) {
    ShpLayer& D = store_.ShapeLayers[i];
    // Writing over a damaged original drops for good what could not be read.
    if (D.DamagedRecords > 0 && path == D.ShpPath + D.ShpName &&
        prompter_.AskYesNoText("The file " + path + " was damaged: some of its records could not be read and are "
                               "empty shapes. Saving over it loses them for good. Save anyway?") != Answer::Yes)
        return false;
    Result r;
    Hourglass(true);
    {
        BusyScope busy(*this);
        // Edits leave boxes that only a re-extent makes exact; layers shown
        // projected are written back in geographic degrees, with their table.
        ReExtentLayer(store_, i);
        r = WriteLayerGeographic(store_, i, path, progress_);
    }
    Hourglass(false);
    if (!r) prompter_.ShowErrorText("Shape file not saved: " + path + "\r\n" + r.reason);
    if (r && path == D.ShpPath + D.ShpName) D.DamagedRecords = 0;
    return r.ok;
}

void FileCommands::Save() {
    if (Refused()) return;
    const std::int32_t i = store_.CurrentLayer;
    if (i < 1 || i > store_.LayerCount) return;
    ShpLayer& L = store_.ShapeLayers[i];
    // Saved to its own files, the layer holds nothing the close must ask about.
    if (SaveLayerTo(i, L.ShpPath + L.ShpName)) {
        L.Modified = 0;
        if (hooks_.Status)
            hooks_.Status("Saved " + L.ShpName + " (" + std::to_string(L.NumRecords) + " shapes)");
    }
}

// The file Save As and Export propose: the current layer's own (not the
// file opened last, which may be another layer), else the last file opened.
static std::string ProposedFile(const LayerStore& store) {
    const std::int32_t i = store.CurrentLayer;
    if (i >= 1 && i <= store.LayerCount && !store.ShapeLayers[i].ShpName.empty())
        return store.ShapeLayers[i].ShpPath + store.ShapeLayers[i].ShpName;
    return store.LayerFileName;
}

void FileCommands::SaveAs() {
    if (Refused()) return;
    const std::string proposed = ProposedFile(store_);
    std::string dir = DirectoryPart(proposed);
    if (!DirExists(dir)) dir = options_.ShapeDir;
    const std::string path =
        prompter_.ChooseSaveFile("Save As", dir, "Shape File Map(*.shp,*.zmp)|*.shp;*.zmp",
                                 FileNamePart(proposed));
    if (path.empty()) return;
    // A name typed without an extension is a shapefile's.
    const std::string target = UpperExt(path).empty() ? path + ".shp" : path;
    const std::string ext = UpperExt(target);
    if (ext == ".SHP") {
        const std::int32_t i = store_.CurrentLayer;
        if (i < 1 || i > store_.LayerCount) return;
        SaveLayerTo(i, target);
    } else if (ext == ".ZMP") {
        if (hooks_.SaveProject) {
            Hourglass(true);
            hooks_.SaveProject(path);
            Hourglass(false);
            return;
        }
        prompter_.ShowErrorText("Map projects cannot be saved in this version of ZEMBA:\r\n" +
                                target);
    } else {
        prompter_.ShowErrorText("Nothing was saved: a layer is saved as a .shp file.\r\n" + target);
    }
}

void FileCommands::Export() {
    if (Refused()) return;
    const std::string proposed = ProposedFile(store_);
    std::string dir = DirectoryPart(proposed);
    if (!DirExists(dir)) dir = options_.ShapeDir;
    const std::string path = prompter_.ChooseSaveFile(
        "Export", dir,
        "Export File (*.dxf *.dat *.bmp)|*.dxf;*.dat;*.bmp|DXF drawing (*.dxf)|*.dxf|"
        "Coordinates (*.dat)|*.dat|Bitmap (*.bmp)|*.bmp",
        ChangeFileExt(FileNamePart(proposed), ".dxf"));
    if (path.empty()) return;
    const std::string target = UpperExt(path).empty() ? path + ".dxf" : path;
    const std::string ext = UpperExt(target);
    if (ext != ".DAT" && ext != ".DXF" && ext != ".BMP") {
        prompter_.ShowErrorText("Nothing was exported: choose a .dxf, .dat or .bmp name.\r\n" + target);
        return;
    }
    const std::int32_t i = store_.CurrentLayer;
    const bool haveLayer = i >= 1 && i <= store_.LayerCount;
    Result r;
    Hourglass(true);
    {
        BusyScope busy(*this);
        if (ext == ".DAT" && haveLayer)
            r = ExportCoordinates(store_, i, target, progress_);
        else if (ext == ".DXF" && haveLayer)
            r = ExportDxf(store_, i, target, progress_);
        else if (ext == ".BMP" && hooks_.SaveViewBitmap)
            r = hooks_.SaveViewBitmap(target);
    }
    Hourglass(false);
    if (!r) prompter_.ShowErrorText("Export failed: " + target + "\r\n" + r.reason);
}

bool FileCommands::ClearAll(bool ask) {
    if (Refused()) return false;
    // Nothing the user made is dropped without a word.
    if (ask && !AskToSaveLayers("Clear anyway")) return false;
    if (hooks_.EndEditing) hooks_.EndEditing();
    state_.EditsMade = false;
    if (hooks_.ForgetEdits) hooks_.ForgetEdits();
    store_.ClearAll();
    if (hooks_.LayerTableChanged) hooks_.LayerTableChanged();
    state_.SoilDbLinked = false;
    state_.ExtDbLinked = false;
    state_.SoilDbActive = false;
    if (hooks_.ReleaseBackground) hooks_.ReleaseBackground();
    if (hooks_.ResetView) hooks_.ResetView();
    LayerComboUpdate(0);
    UpdateToolStatus(-1);
    SetCaption("");
    if (hooks_.ProjectCleared) hooks_.ProjectCleared();
    return true;
}

bool FileCommands::AskToSaveLayer(std::int32_t i, bool& all, const std::string& goOn) {
    ShpLayer& L = store_.ShapeLayers[i];
    if (!L.Modified) return true;
    bool save = all;
    if (!all) {
        const Answer a = prompter_.AskSaveChanges(MessageText(MsgFamily::YesCancelAll, 3, std::to_string(i)), true);
        if (a == Answer::Cancel || a == Answer::None) return false;
        // All saves this layer and every later one without asking again.
        if (a == Answer::All) all = save = true;
        if (a == Answer::Yes) save = true;
    }
    if (!save) return true;
    RecomputeLayerExtents(store_, i);
    if (SaveLayerTo(i, L.ShpPath + L.ShpName)) {
        L.Modified = 0;
        return true;
    }
    return prompter_.AskYesNoText("Shape Layer" + std::to_string(i) + " was not saved. " + goOn +
                                  " and lose its changes?") == Answer::Yes;
}

bool FileCommands::AskToSaveLayers(const std::string& goOn) {
    bool all = false;
    for (std::int32_t i = 1; i <= store_.LayerCount; ++i)
        if (!AskToSaveLayer(i, all, goOn)) return false;
    return true;
}

bool FileCommands::EditsMade() const {
    return state_.EditsMade || (hooks_.ShapesEdited && hooks_.ShapesEdited());
}

void FileCommands::CloseQuery(int left, int top) {
    state_.MainWindowOpen = false;
    progress_.Pump();
    options_.MainPos.Left = left;
    options_.MainPos.Top = top;
    if (!OptionsPath.empty()) SaveOptions(options_, OptionsPath, prompter_);
}

bool FileCommands::CloseSaveQuestions() {
    if (EditsMade() || store_.MapChanged) {
        if (prompter_.Message(MsgFamily::YesNo, 3) == Answer::Yes) {
            Hourglass(true);
            if (store_.ProjectName != "Nada")
                store_.LayerFileName = store_.ProjectPath + store_.ProjectName;
            else
                store_.LayerFileName = ChangeFileExt(store_.LayerFileName, ".zmp");
            Hourglass(false);
            SaveAs();
        }
    }
    // Cancel on any layer keeps the program open with everything as it was.
    if (!AskToSaveLayers("Close anyway")) return false;
    state_.EditsMade = false;
    return true;
}

void FileCommands::ReleaseAll() {
    store_.ClearAll();
    if (hooks_.ReleaseBackground) hooks_.ReleaseBackground();
}

void FileCommands::LayerComboUpdate(int index) {
    state_.LayerItems.clear();
    for (std::int32_t i = 1; i <= store_.LayerCount; ++i)
        state_.LayerItems.push_back(store_.ShapeLayers[i].ShpName);
    if (store_.LayerCount == 0) {
        state_.LayerIndex = -1;
        state_.FieldItems.clear();
        state_.FieldIndex = -1;
        state_.ShapeTypeText.clear();
    } else {
        state_.LayerIndex =
            (index >= 1 && index <= store_.LayerCount) ? index - 1 : -1;
    }
    Notify();
}

void FileCommands::LayerComboBoxChange(int boxIndex) {
    // The reader fills CurrentLayer: it must not move under a running loop.
    if (Refused()) return;
    if (store_.LayerCount <= 0 || boxIndex < 0 || boxIndex >= store_.LayerCount) return;
    state_.LayerIndex = boxIndex;
    store_.CurrentLayer = boxIndex + 1;
    const ShpLayer& L = store_.ShapeLayers[store_.CurrentLayer];
    std::string name = ShapeFileTypeRG(L.ShapeType);
    if (!name.empty()) state_.ShapeTypeText = name;
    FieldsComboUpdate();
    // The layer keeps the style the user gave it.
    if (hooks_.EndEditing) hooks_.EndEditing();
    SetCaption(L.ShpName);
}

void FileCommands::SelectLayerKeepingStyle(int layer) {
    if (layer < 1 || layer > store_.LayerCount) return;
    store_.CurrentLayer = layer;
    LayerComboUpdate(layer);
    state_.LayerIndex = layer - 1;
    const std::string type = ShapeFileTypeRG(store_.ShapeLayers[layer].ShapeType);
    if (!type.empty()) state_.ShapeTypeText = type;
    FieldsComboUpdate();
    if (hooks_.EndEditing) hooks_.EndEditing();
    SetCaption(store_.ShapeLayers[layer].ShpName);
}

void FileCommands::FieldsComboUpdate() {
    state_.FieldItems.clear();
    const std::int32_t i = store_.CurrentLayer;
    if (i >= 1 && i <= store_.LayerCount)
        for (const FieldDefRec& f : store_.ShapeLayers[i].Fields) state_.FieldItems.push_back(f.Name);
    state_.FieldIndex = state_.FieldItems.empty() ? -1 : 0;
    // The box shows entry 0, so the current field follows it; a field index
    // of another layer could lie past this layer's fields.
    store_.CurrentField = 0;
    Notify();
}

void FileCommands::FieldComboBoxChange(int boxIndex) {
    if (store_.LayerCount <= 0 || boxIndex < 0) return;
    state_.FieldIndex = boxIndex;
    store_.CurrentField = boxIndex;
}

}  // namespace zemba
