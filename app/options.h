// The program options and their file "zemba.pof": one fixed record of 5168
// bytes (little-endian integers, length-prefixed 256-byte string slots).
// Every window reads the options directly; the application owns one Options.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

constexpr std::size_t kOptionsFileSize = 5168;
constexpr const char* kOptionsFileName = "zemba.pof";

// Index of ToolbarVisible.
enum ToolbarIndex { TbMenu, TbClip, TbExit, TbFile, TbEdit, TbZoom, TbLayer, TbTools, TbCount };
// Index of SoundOn.
enum SoundIndex { SndError, SndWarning, SndInfo, SndConfirmation, SndCompletion, SndCount };
// Index of WindowLeft / WindowTop.
enum WindowIndex {
    WinSpare0,
    WinTransformer,     // data conversion
    WinLayerProps,      // layer properties
    WinLabelProps,      // label properties
    WinFind,
    WinSoilsDb,
    WinIdentify,
    WinSpare7,
    WinClassify,
    WinAbout,
    WinOptions,
    WinCount
};

// Where a window goes until the user has placed it.
constexpr std::int32_t kDefaultWindowPlace = 123;

struct ScreenPos {
    std::int32_t Left = 123;
    std::int32_t Top = 123;
};

struct Options {
    // Directories end with '/', so that ProjectPath + ProjectName and the
    // like name a file.
    std::string HomeDir;
    std::string ProjectPath;
    std::string ColorFileName = "COLORFILE.2CP";
    // Recent[k] is Rk, newest first; an empty slot holds " ".
    std::array<std::string, 5> Recent{{" ", " ", " ", " ", " "}};
    std::string TigerDir, DotDir, SdtsDir, DxfDir;
    std::string DlgDir;
    std::string ShapeDir;
    std::string VectorDbDir;
    std::string BaseImagesDir;

    COLORREF SpareColor1 = 0x008000;
    COLORREF SpareColor2 = 0x008080;
    COLORREF SpareColor3 = 0x0000FF;
    COLORREF SpareColor4 = 0xC0C0C0;
    COLORREF ClassStartColor = 0x00FF00;
    COLORREF EditingColor = 0xFF00FF;
    COLORREF BackgroundColor = 0xFFFFFF;
    COLORREF HighlightColor = 0x00FFFF;
    COLORREF EditColor = 0x0000FF;
    COLORREF SpareColor5 = 0;

    std::array<bool, TbCount> ToolbarVisible{{true, true, true, true, true, true, true, true}};
    std::array<bool, SndCount> SoundOn{{false, false, false, false, false}};
    bool SoundIsWave = false;  // not kept in the file

    std::int32_t SelectionRadius = 2;
    std::int32_t ColorSetType = 8;  // 1..10
    std::int32_t ColorSeed = 32;
    std::int32_t MessageX = 123;
    std::int32_t MessageY = 123;

    // Saved window positions (left, top).
    ScreenPos PrintLayoutPos;
    ScreenPos CreateBitmapPos;
    ScreenPos MapPos;
    ScreenPos LegendPos;
    ScreenPos MainPos{0, 0};
    ScreenPos DatabasePos;
    ScreenPos SysInfoPos;
    // Spare pairs: kept in the file, read by nobody.
    std::array<ScreenPos, 5> SparePos{};
    // Left and top of the windows of WindowIndex; window 0 is spare.
    std::array<std::int32_t, WinCount> WindowLeft{{0, 123, 123, 123, 123, 123, 123, 123, 123, 123, 123}};
    std::array<std::int32_t, WinCount> WindowTop{{0, 123, 123, 123, 123, 123, 123, 123, 123, 123, 123}};
};

// "Resize Window" (the view bitmap follows the window) is kept in the first
// spare position slot, so the file layout and its defaults stay as they are.
inline bool BitmapFollowsWindow(const Options& o) { return o.SparePos[0].Left == 1; }
inline void SetBitmapFollowsWindow(Options& o, bool on) { o.SparePos[0].Left = on ? 1 : 0; }

// Every option to its first-start default; the directory options become
// `programDir` (a trailing '/' is added when missing).
void SetDefaultOptions(Options& o, const std::string& programDir);

// The 5168-byte record of `o`. A string longer than 255 bytes does not fit
// its slot; it is stored empty (" " for a recent file) rather than cut,
// since a cut path would name a different file.
std::string EncodeOptions(const Options& o);

// Fills `o` from a record. Fails, leaving `o` untouched, when the record is
// not 5168 bytes or holds values no options file has (a boolean other than
// 0 or 1, a palette type outside 1..10). SoundIsWave keeps its value.
Result DecodeOptions(const std::string& bytes, Options& o);

// Reads the options file at `path` into `o` (untouched on failure).
Result ReadOptionsFile(const std::string& path, Options& o);

// Writes the options file: to a temporary file in the same folder, renamed
// over `path` when complete, so a failed write keeps the previous file.
Result WriteOptionsFile(const std::string& path, const Options& o);

// Where the options file lives: "zemba.pof" in `programDir` when that
// directory can be written, else in $XDG_CONFIG_HOME/zemba/ (or
// ~/.config/zemba/), which is created when missing.
std::string OptionsFilePath(const std::string& programDir);

// Start-up: reads the options file at `path`, or, when there is none, sets
// the defaults and writes it. A damaged or unreadable file is reported
// through `prompter.ShowErrorText` with the reason, kept beside as
// "<path>.bad", and replaced by the defaults. A failed write is reported too; the program runs
// on with the options in memory. Returns true when the file was read.
bool LoadOrCreateOptions(Options& o, const std::string& path, const std::string& programDir,
                         Prompter& prompter);

// Writes the options file, reporting a failure through `prompter`. For the
// close handlers of the windows that keep a position.
bool SaveOptions(const Options& o, const std::string& path, Prompter& prompter);

}  // namespace zemba
