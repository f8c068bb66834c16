// What the options window's buttons do, apart from the window: the
// "Defaults" set, the number boxes, the directory buttons, the thumbnail
// cleaner and the extension set files. No Qt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/options.h"
#include "core/ui.h"

namespace zemba {

// ---- Base options ----

// The "Defaults" button: a smaller set than a first start (radius 8, not 2).
// `programDir` becomes HomeDir, and ProjectPath and the eight file-kind
// directories become HomeDir.
void SetMenuDefaults(Options& o, const std::string& programDir);

// The text of a number box as a whole number. On failure the number-format
// box (ShowErrorNumber with the position where reading stopped) is shown and
// `value` keeps its old value.
bool ReadNumberBox(const std::string& text, std::int32_t& value, Prompter& prompter);

constexpr std::int32_t kMaxSelectionRadius = 100;
std::int32_t ClampRadius(std::int32_t r);

// The window's close: MessageX, MessageY and SelectionRadius from their
// boxes (a box that is not a number keeps the old value; the radius is
// clamped to 0..100).
void StoreNumberBoxes(Options& o, const std::string& messageX, const std::string& messageY,
                      const std::string& radius, Prompter& prompter);

// Where a box of w x h at (x, y) goes so that all of it is on the screen
// area (sx, sy, sw, sh); a box larger than the screen keeps its top left
// corner on it.
struct BoxPlace {
    int x, y;
};
BoxPlace ClampBoxToScreen(int x, int y, int w, int h, int sx, int sy, int sw, int sh);

// ---- Directories ----

enum DirKind { DirTiger, DirDot, DirSdts, DirDlg, DirDxf, DirShape, DirDb, DirImages, DirProject, DirKindCount };

// Caption of the box, e.g. "Shape Files".
const char* DirCaption(DirKind k);
// Filter of the button's file dialog ("Shape files (*.shp)|*.shp").
const char* DirFilter(DirKind k);
std::string& DirOption(Options& o, DirKind k);
// Whether the button takes a chosen file of this name (extensions compared
// in lower case).
bool DirAcceptsFile(DirKind k, const std::string& path);
// The button after its dialog: stores the chosen file's directory (with a
// trailing '/'). False, with nothing changed, for an empty choice or a file
// of another extension.
bool StoreChosenDirectory(Options& o, DirKind k, const std::string& chosenFile);

// ---- Thumbnails ----

constexpr const char* kSetThumbDirText = "Please Set Thumbnail directory in Program Options";

// "Kill All Thumbs": deletes the plain files of `thumbDir` but "index.dat",
// after asking with the folder and the number of files. Never in the
// program's own folder (compared after resolving links and ".."), never
// without a chosen folder, never in sub-folders, and never through a link.
// A file that cannot be deleted is reported ("Boo boo " + path and the
// reason). Returns the number of files deleted.
int KillAllThumbs(const std::string& thumbDir, const std::string& programDir, Prompter& prompter);

// "Delete .bmp Thumbnails": deletes exactly the chosen files that are plain
// ".bmp" files; anything else chosen is left and reported. Returns the
// number deleted.
int DeleteChosenThumbnails(const std::vector<std::string>& chosen, Prompter& prompter);

// ---- Extension sets ----

enum ExtSet { ExtV, ExtR, ExtD, ExtT, ExtW, ExtDb, ExtL, ExtSetCount };

// Radio captions "V", "R", "D", "T", "W", "Db", "L".
const char* ExtSetCaption(int set);
// "Grafext.et0" .. "Grafext.et6" in `dir`.
std::string ExtensionSetPath(const std::string& dir, int set);
// The "Defaults" patterns of a set.
const std::vector<std::string>& DefaultExtensions(int set);
// `text` with the set's default patterns appended, one a line.
std::string AppendDefaultExtensions(const std::string& text, int set);

// Open: the set's file into `text` (line ends made "\n"). A missing file is
// not an error: `text` stays and `found` is false.
Result LoadExtensionSet(const std::string& dir, int set, std::string& text, bool& found);
// Save: the text to the set's file, replaced whole.
Result SaveExtensionSet(const std::string& dir, int set, const std::string& text);

}  // namespace zemba
