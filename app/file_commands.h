// What the main window's file commands do, as plain code over the layer
// store and the options: opening, reopening, saving, exporting and clearing
// layers, the recent-files list, the close questions, the caption, the tool
// status level and the logic of the layer and field boxes. The window shows
// the results (MainState) and supplies the few things only it can do
// (FileHooks); tests drive the commands with a scripted prompter.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/options.h"
#include "core/file_io.h"
#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// What the main window shows that the commands decide.
struct MainState {
    std::string Caption = "ZEMBA";
    int ToolLevel = -1;
    // The "Layer" box: ShpName of layers 1..LayerCount; LayerIndex is the
    // selected entry (-1 for none).
    std::vector<std::string> LayerItems;
    int LayerIndex = -1;
    // The "Layer fields" box.
    std::vector<std::string> FieldItems;
    int FieldIndex = -1;
    // The read-only "Shape Type" box.
    std::string ShapeTypeText;
    // Captions of Vector > Reopen, "&0 " + R0 ... "&4 " + R4.
    std::array<std::string, 5> ReopenCaptions;
    std::string LastOpenedFile;
    // Soil and external database link flags.
    bool SoilDbLinked = false;
    bool ExtDbLinked = false;
    bool SoilDbActive = false;
    // Set while the main window is open (the database window hides rather
    // than closes while it holds).
    bool MainWindowOpen = false;
    // Shapes were edited in the view since the last undo.
    bool EditsMade = false;
    // Above zero while a long loop (read, redraw) runs; commands that change
    // the layer store are refused meanwhile.
    int Busy = 0;
};

// The parts of a command only the window can do. Any of them may be left
// empty (tests leave most of them empty).
struct FileHooks {
    std::function<void()> Redraw;          // DVDORedraw
    std::function<void()> RefreshPalette;  // options window set-up before a read
    std::function<void()> EndEditing;
    std::function<void(bool)> Hourglass;  // wait cursor on/off
    // Background bitmaps: load one from a file, release it.
    std::function<Result(const std::string&)> LoadBackground;
    std::function<void()> ReleaseBackground;
    // Saves the view image as a .bmp file.
    std::function<Result(const std::string&)> SaveViewBitmap;
    // Clear All's view part: tools off, "Fit To Window" on, view scale 1,
    // the bitmap filled with the background colour.
    std::function<void()> ResetView;
    // The state changed; the window shows it.
    std::function<void()> Changed;
    // A long loop begins (true) or ends (false): the window shows its
    // progress bar and guards the store.
    std::function<void(bool)> LongWork;
    // A layer was read and added (its number).
    std::function<void(int)> LayerOpened;
    // True while some other long loop of the window runs.
    std::function<bool()> IsBusy;
    // Map projects: open one; save one under the name chosen in "Save As...".
    std::function<bool(const std::string&)> LoadProject;
    std::function<bool(const std::string&)> SaveProject;
    // The layer table changed (a layer read, Clear All): windows that keep
    // layer or HitList rows let go of them.
    std::function<void()> LayerTableChanged;
    // Shapes were edited in the view since the last undo; Clear All forgets it.
    std::function<bool()> ShapesEdited;
    std::function<void()> ForgetEdits;
    // The first layer was opened: the view shows it as Full View does.
    std::function<void()> FirstLayerOpened;
    // A short report for the status bar ("Saved nc.shp (100 shapes)").
    std::function<void(const std::string&)> Status;
    // Clear All's last step: the map project records back to the blank project.
    std::function<void()> ProjectCleared;
};

// Upper-cased extension with its dot (".SHP"), or "".
std::string UpperExt(const std::string& path);

// "ZEMBA Editor: " + the file-name part of name.
std::string CaptionFor(const std::string& name);

// Name of a shape type code for the "Shape Type" box; empty for codes it
// does not name (the box is then left as it is).
std::string ShapeFileTypeRG(std::int32_t code);

// Controls carrying tag t are enabled at tool status level a when t <= a.
inline bool TagEnabled(int tag, int level) { return tag <= level; }

// Recent files: the shift done by Open and the one-pass rebuild of the
// Reopen menu.
void PushRecent(std::array<std::string, 5>& recent, const std::string& path);
void RebuildRecent(std::array<std::string, 5>& recent);
std::array<std::string, 5> ReopenCaptions(const std::array<std::string, 5>& recent);

// Sizes of the status panel's parts for a window width.
struct StatusLayout {
    int PanelWidth;
    int XYWidth;
    int ProgressWidth;
};
StatusLayout StatusLayoutFor(int windowWidth);

// Layer extents recomputed from its shapes' boxes, as the editing commands
// keep them.
void RecomputeLayerExtents(LayerStore& store, std::int32_t i);

class FileCommands {
public:
    FileCommands(LayerStore& store, Options& options, Prompter& prompter, Progress& progress,
                 MainState& state, FileHooks hooks = {});

    FileHooks& hooks() { return hooks_; }
    MainState& state() { return state_; }

    // True (and nothing happens) while a long loop runs.
    bool Refused() const { return state_.Busy > 0 || (hooks_.IsBusy && hooks_.IsBusy()); }

    void SetCaption(const std::string& name);
    void UpdateToolStatus(int level);

    // "Open...": the dialog, the recent list, LoadFromFile.
    void Open();
    // Opens a file by its extension. Returns true when something was loaded.
    bool LoadFromFile(const std::string& path);
    // Appends and reads one layer from store.LayerFileName.
    bool NewLayer();
    // Reopen item k (0..4).
    void Reopen(int k);
    void RebuildReopenMenu();

    // Writes the current layer to its own shapefile.
    void Save();
    void SaveAs();
    void Export();
    // Clear All; with `ask`, each modified or never saved layer is offered
    // for saving first. False (nothing cleared) when the user cancelled.
    bool ClearAll(bool ask = true);
    // The save question of one layer ("Shape Layer<i> Modified. Save
    // changes?", Yes / No / Cancel / All) and of all of them in turn; false
    // when the user cancelled. `goOn` names what happens after a failed
    // save ("Close anyway").
    bool AskToSaveLayer(std::int32_t i, bool& all, const std::string& goOn);
    bool AskToSaveLayers(const std::string& goOn);
    // Shapes were edited since the last undo, or the window says so.
    bool EditsMade() const;

    // Close query: the note that the main window is open goes, the main
    // window's position is kept and the options are written.
    void CloseQuery(int left, int top);
    // The save questions at close. Returns false when the user cancelled
    // (or a save failed and the user chose to keep the program open).
    bool CloseSaveQuestions();
    // Releases the layers at the end.
    void ReleaseAll();

    // The layer and field boxes.
    void LayerComboUpdate(int index);
    void LayerComboBoxChange(int boxIndex);
    void FieldsComboUpdate();
    // Makes `layer` current and shows it in the layer, type and field boxes
    // and the caption, keeping the styles it has (a window's OK, a project
    // just opened); the box's own change puts the default style back.
    void SelectLayerKeepingStyle(int layer);
    void FieldComboBoxChange(int boxIndex);

    // Where the options are written (set by the program at start-up).
    std::string OptionsPath;

private:
    struct BusyScope;
    bool SaveLayerTo(std::int32_t i, const std::string& path);
    void Notify();
    void Hourglass(bool on);

    LayerStore& store_;
    Options& options_;
    Prompter& prompter_;
    Progress& progress_;
    MainState& state_;
    FileHooks hooks_;
    std::string lastFailure_;  // reason of the last failed read
};

}  // namespace zemba
