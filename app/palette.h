// The 256-colour palette of the options window: its ten generators, the
// Subvert and Invert sets, the layer colours of "Set 256" and the colour
// file (the 256 entries as 32-bit little-endian COLORREF values, 1024 bytes).
// Plain code: the window only shows and picks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/options.h"
#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

using Palette256 = std::array<COLORREF, 256>;

constexpr std::size_t kColorFileSize = 1024;

// Palette types, as ColorSetType holds them (the radio entry n is type n + 1).
enum ColorSet {
    csBlue = 1,
    csAqua,
    csGreen,
    csYellow,
    csPurple,
    csRed,
    csSilver,
    csRandom,  // fresh random colours on every regeneration
    csSeeded,  // "#Set": the seeded ramp of ColorSeed
    csFiled,   // the colour file
};

// Caption of the radio entry of a type ("Blue" ... "Filed"); "" outside 1..10.
const char* ColorSetName(int type);

inline COLORREF MakeColorRef(int r, int g, int b) {
    return static_cast<COLORREF>(r & 0xFF) | (static_cast<COLORREF>(g & 0xFF) << 8) |
           (static_cast<COLORREF>(b & 0xFF) << 16);
}
inline int RedOf(COLORREF c) { return c & 0xFF; }
inline int GreenOf(COLORREF c) { return (c >> 8) & 0xFF; }
inline int BlueOf(COLORREF c) { return (c >> 16) & 0xFF; }

// Types 1..7: one hue from full strength (entry 0) down to black.
Palette256 RampPalette(int type);
// Type 8: each entry a random colour in 0..15999999.
Palette256 RandomPalette(std::uint32_t seed);
// Type 9: smooth blends between random colours far enough apart; the same
// seed always gives the same palette. Entry 255 is black.
Palette256 SeededRamp(std::int32_t seed);
// Sixteen blocks of sixteen shades.
Palette256 SubvertPalette();
// A channel that is 255 in entry 0 ramps 0..255 across the palette; any
// other channel is 0 throughout.
Palette256 InvertPalette(const Palette256& current);
// "&Clear".
Palette256 WhitePalette();

// "Se&t 256": every layer i gets line colour palette(i + 1) and fill colour
// palette(i), the colours it was given when it was read.
void SetLayerColours(LayerStore& store);

// The colour file named by `name`: a relative name is taken in `baseDir`
// (the options file's folder), so it does not depend on the current
// directory.
std::string ResolveColorFile(const std::string& name, const std::string& baseDir);

// Reads a colour file. Anything but exactly 1024 bytes is refused and `out`
// is left as it was.
Result ReadColorFile(const std::string& path, Palette256& out);
// Writes through a temporary file renamed over `path`.
Result WriteColorFile(const std::string& path, const Palette256& pal);

// Regenerates `pal` by options.ColorSetType (as the window's Setup and its
// "Verts" radio group do). `clockSeed` seeds type 8. Type 9 uses
// options.ColorSeed. Type 10 loads the colour file (resolved against
// `baseDir`) and stays type 10, so later regenerations reload the user's
// colours instead of replacing them by random ones; when the file is
// missing or unusable the palette stays as it was and the reason is
// returned.
Result RegeneratePalette(Palette256& pal, const Options& options, const std::string& baseDir,
                         std::uint32_t clockSeed);

// A seed from the clock, for "Random".
std::uint32_t ClockSeed();

// The palette editor's state and buttons, for the "256 Color Sets" tab.
// Relative colour file names are taken in `baseDir`.
class PaletteEditor {
public:
    PaletteEditor(Options& options, Prompter& prompter, std::string baseDir);

    const Palette256& Colors() const { return pal_; }
    COLORREF Entry(int i) const { return pal_[static_cast<std::size_t>(i) & 0xFF]; }
    // A cell given a colour from the colour dialog.
    void SetEntry(int i, COLORREF c);

    // Set-up (each layer open, each show of the window): regenerates by
    // ColorSetType. Nothing is shown: when the colour file cannot be used
    // the palette simply stays.
    void Setup();
    // The "Verts" radio group (entry n is type n + 1); an unusable colour
    // file is reported and the palette stays.
    void SelectType(int type);
    // "#Set" with the seed box's value.
    void SelectSeeded(std::int32_t seed);
    // "&Open" after its dialog: a usable colour file becomes ColorFileName
    // and "Filed" is selected; a file that is not a colour file is
    // reported and nothing changes. False when nothing changed.
    bool OpenFile(const std::string& path);
    // "&Save": the palette to `name` (resolved as ColorFileName is); a
    // failure is reported with the path and the reason.
    bool SaveFile(const std::string& name);
    void Clear() { pal_ = WhitePalette(); }
    void Subvert() { pal_ = SubvertPalette(); }
    void Invert() { pal_ = InvertPalette(pal_); }

    const std::string& BaseDir() const { return baseDir_; }
    // Seeds "Random"; tests replace it.
    std::uint32_t (*ClockSeedFn)() = ClockSeed;

private:
    Options& options_;
    Prompter& prompter_;
    std::string baseDir_;
    Palette256 pal_ = RampPalette(csSilver);
};

}  // namespace zemba
