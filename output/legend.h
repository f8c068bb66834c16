// The legend window's logic over MapLegend: which elements are filled, the
// text editor's load and save with its shared font, the picture chooser, the
// grid choice and the map location name. No Qt: the window only copies
// controls to these calls and back.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"
#include "mapping/project_files.h"

namespace zemba {

class MapCommands;

// Names of the text elements in the editor's radio group, element 0 first.
extern const char* const kLegendTextNames[8];
// The 14 boxes of "Map Selections Finished", in the order CheckMapLegendRec fills them.
extern const char* const kLegendBoxNames[14];
// The picture entries of the bitmap page ("North Arrow" .. "Feature Bitmap").
extern const char* const kLegendBitmapNames[5];
// The picture element each bitmap entry chooses for (0, 1, 3, 4, 5).
int BitmapEntryElement(int entry);
std::string& BitmapEntryFile(LegendRec& l, int entry);
const std::string& BitmapEntryFile(const LegendRec& l, int entry);

constexpr int kStateCount = 53;
constexpr int kCountryCount = 165;
extern const char* const kStateNames[kStateCount];
extern const char* const kCountryNames[kCountryCount];
// The lists show these before anything is chosen.
extern const char* const kDefaultState;
extern const char* const kDefaultCountry;
extern const char* const kGridNames[3];

// File field of a scale bar or north arrow that the program draws itself
// (from the map's extent and units) instead of a picture.
extern const char* const kDrawnByProgram;

// A text element with no lines, an empty first line of "." or only blank
// lines has nothing to print.
bool TextElementEmpty(const LegendRec& l, int e);
// The field names a picture file (not "." or empty, not program-drawn).
bool NamesFile(const std::string& field);
// The field names a picture file that exists.
bool FileElementPresent(const std::string& field);
// Picture files the program reads: .bmp, .png, .jpg, .jpeg, compared upper-cased.
bool PictureExtensionAccepted(const std::string& path);

// The 14 boxes: text elements 0..7, then "Map Location", "Grid (s)",
// "North Arrow Bitmap", "Legend", "Scale Bars", "Feature Bitmap". The grid
// box reports a grid choice ("Lat Long" or "UTM Grid"), not a file.
std::array<bool, 14> CheckMapLegendRec(const LegendRec& l);

// The editor memo's text as element lines: an empty memo has no lines.
std::vector<std::string> MemoLines(const std::string& text);

// Picture size in pixels; fails with the picture library's reason.
using PictureSizer = std::function<Result(const std::string& path, int& width, int& height)>;

// GridKind from GridName (a project stores only the name).
void SyncGridKind(LegendRec& l);

class LegendCommands {
public:
    // `maps` saves the project (its SaveMapBtnClick); may be null in tests
    // that do not save.
    LegendCommands(LayerStore& store, MapProject& project, Prompter& prompter, MapCommands* maps);

    // The memo's font: elements saved from the editor refer to it, so a
    // later font change shows in all of them.
    FontRef MemoFont;

    // FormShow: a project exists once layers are loaded (a new one is named
    // first); GridKind follows the stored GridName.
    void FormShow();
    // "Validate / Save": the boxes, then the project saved. With no layers
    // loaded the user is told so and nothing is written.
    std::array<bool, 14> ValidateSave(bool* saved = nullptr);
    // "Load" (text): the memo takes element e's font and lines.
    std::vector<std::string> LoadText(int e);
    // "Save" (text): element e takes the memo's lines and refers to its font.
    void SaveText(int e, const std::vector<std::string>& lines);
    // "Font": the memo's font (shared) takes the chosen one.
    void SetMemoFont(const FontDesc& f) { *MemoFont = f; }
    // "Load" (bitmaps) with the chosen file (empty: cancelled). The
    // picture's size becomes its slot's paper size. A file of another kind
    // changes nothing; one that fails to load is reported and leaves the
    // field with no file.
    bool LoadBitmap(int entry, const std::string& path, const PictureSizer& sizer, int* w = nullptr,
                    int* h = nullptr);
    // The scale bar (entry 3) or north arrow (entry 0) drawn by the program.
    void SetDrawn(int entry, bool drawn);
    static bool Drawable(int entry) { return entry == 0 || entry == 3; }
    // "Grids" radio group.
    void SetGrid(int index);
    // "Map Location" radio group: 0 state, 1 country, 2 free text. An empty
    // list text takes the list's default.
    void SetLocation(int choice, const std::string& state, const std::string& country,
                     const std::string& variable);

    LegendRec& Legend() { return project_.MapLegend; }
    Prompter& UserPrompter() { return prompter_; }

private:
    LayerStore& store_;
    MapProject& project_;
    Prompter& prompter_;
    MapCommands* maps_;
};

}  // namespace zemba
