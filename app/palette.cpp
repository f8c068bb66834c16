#include "app/palette.h"

#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "core/file_io.h"

namespace zemba {

const char* ColorSetName(int type) {
    static const char* const kNames[] = {"Blue",   "Aqua",   "Green", "Yellow", "Purple",
                                         "Red",    "Silver", "Random", "#Set",  "Filed"};
    return type >= 1 && type <= 10 ? kNames[type - 1] : "";
}

namespace {

// One hue at strength v; grey for the silver set.
COLORREF Hue(int type, int v) {
    switch (type) {
    case csBlue: return MakeColorRef(0, 0, v);
    case csAqua: return MakeColorRef(0, v, v);
    case csGreen: return MakeColorRef(0, v, 0);
    case csYellow: return MakeColorRef(v, v, 0);
    case csPurple: return MakeColorRef(v, 0, v);
    case csRed: return MakeColorRef(v, 0, 0);
    default: return MakeColorRef(v, v, v);
    }
}

struct Rgb3 {
    int r, g, b;
};

// Three draws of random(256); gen() % 256 rather than a distribution, whose
// output differs between standard libraries.
Rgb3 Draw(std::mt19937& gen) {
    Rgb3 c;
    c.r = static_cast<int>(gen() % 256);
    c.g = static_cast<int>(gen() % 256);
    c.b = static_cast<int>(gen() % 256);
    return c;
}

}  // namespace

Palette256 RampPalette(int type) {
    Palette256 p{};
    for (int i = 0; i < 256; ++i) p[i] = Hue(type, 255 - i);
    return p;
}

Palette256 RandomPalette(std::uint32_t seed) {
    std::mt19937 gen(seed);
    Palette256 p{};
    for (auto& c : p) c = static_cast<COLORREF>(gen() % 16000000);
    return p;
}

Palette256 SeededRamp(std::int32_t seed) {
    std::mt19937 gen(static_cast<std::uint32_t>(seed));
    Rgb3 prev{64, 64, 64};
    Rgb3 cur = Draw(gen);
    double t = 0;
    Palette256 p{};
    for (int i = 0; i < 256; ++i) {
        t = (255 - i) * 0.03 / 255 + 0.02 + t;
        if (t >= 1) {
            prev = cur;
            // Far enough from the previous colour to make a visible band.
            // The bound only guards against a generator that never gets
            // there; a fair one does within a few draws.
            for (int tries = 0; tries < 100000; ++tries) {
                cur = Draw(gen);
                if (std::abs(cur.r - prev.r) + std::abs(cur.g - prev.g) + std::abs(cur.b - prev.b) > 200)
                    break;
            }
            t = 0;
        }
        p[i] = MakeColorRef(static_cast<int>((1 - t) * prev.r + t * cur.r),
                            static_cast<int>((1 - t) * prev.g + t * cur.g),
                            static_cast<int>((1 - t) * prev.b + t * cur.b));
    }
    p[255] = 0;
    return p;
}

Palette256 SubvertPalette() {
    static const int kBlockHue[16] = {csBlue,   csAqua,   csGreen, csYellow, csPurple, csRed,
                                      csSilver, csBlue,   csAqua,  csGreen,  csYellow, csPurple,
                                      csRed,    csGreen,  csAqua,  csRed};
    Palette256 p{};
    for (int b = 0; b < 16; ++b) {
        const int step = b <= 6 ? 12 : 14;
        for (int j = 0; j < 16; ++j) p[b * 16 + j] = Hue(kBlockHue[b], 255 - step * j);
    }
    return p;
}

Palette256 InvertPalette(const Palette256& current) {
    const bool r = RedOf(current[0]) == 255, g = GreenOf(current[0]) == 255,
               b = BlueOf(current[0]) == 255;
    Palette256 p{};
    for (int i = 0; i < 256; ++i) p[i] = MakeColorRef(r ? i : 0, g ? i : 0, b ? i : 0);
    return p;
}

Palette256 WhitePalette() {
    Palette256 p{};
    p.fill(0xFFFFFF);
    return p;
}

void SetLayerColours(LayerStore& store) {
    const std::int32_t n = std::min<std::int32_t>(store.LayerCount,
                                                  static_cast<std::int32_t>(store.SymLayers.size()) - 1);
    for (std::int32_t i = 1; i <= n; ++i) {
        store.SymLayers[i].LineColor = palette(static_cast<std::int64_t>(i) + 1);
        store.SymLayers[i].FillColor = palette(i);
    }
}

std::string ResolveColorFile(const std::string& name, const std::string& baseDir) {
    if (name.empty() || name[0] == '/' || baseDir.empty()) return name;
    return baseDir.back() == '/' ? baseDir + name : baseDir + "/" + name;
}

Result ReadColorFile(const std::string& path, Palette256& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Result::Fail(path + ": " + std::strerror(errno));
    // One byte more than a colour file tells a long file from a good one.
    std::string bytes(kColorFileSize + 1, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return Result::Fail(path + ": the file could not be read");
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got != kColorFileSize)
        return Result::Fail(path + ": not a colour file (" +
                            (got > kColorFileSize ? std::string("more than 1024")
                                                  : std::to_string(got)) +
                            " bytes instead of 1024)");
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = LoadLE32(b + 4 * i);
    return Result::Ok();
}

Result WriteColorFile(const std::string& path, const Palette256& pal) {
    unsigned char bytes[kColorFileSize];
    for (std::size_t i = 0; i < pal.size(); ++i) StoreLE32(bytes + 4 * i, pal[i]);
    AtomicFile f(path);
    Result r = f.Open();
    if (r) {
        f.Write(bytes, sizeof bytes);
        r = f.Commit();
    }
    if (!r && r.reason.find(path) == std::string::npos) r.reason = path + ": " + r.reason;
    return r;
}

Result RegeneratePalette(Palette256& pal, const Options& options, const std::string& baseDir,
                         std::uint32_t clockSeed) {
    const int type = options.ColorSetType;
    if (type >= csBlue && type <= csSilver) {
        pal = RampPalette(type);
    } else if (type == csRandom) {
        pal = RandomPalette(clockSeed);
    } else if (type == csSeeded) {
        pal = SeededRamp(options.ColorSeed);
    } else if (type == csFiled) {
        return ReadColorFile(ResolveColorFile(options.ColorFileName, baseDir), pal);
    } else {
        return Result::Fail("palette type " + std::to_string(type) + " is not one of 1 to 10");
    }
    return Result::Ok();
}

std::uint32_t ClockSeed() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

PaletteEditor::PaletteEditor(Options& options, Prompter& prompter, std::string baseDir)
    : options_(options), prompter_(prompter), baseDir_(std::move(baseDir)) {}

void PaletteEditor::SetEntry(int i, COLORREF c) {
    if (i >= 0 && i < 256) pal_[i] = c & 0xFFFFFF;
}

void PaletteEditor::Setup() { RegeneratePalette(pal_, options_, baseDir_, ClockSeedFn()); }

void PaletteEditor::SelectType(int type) {
    if (type < csBlue || type > csFiled) return;
    options_.ColorSetType = type;
    Result r = RegeneratePalette(pal_, options_, baseDir_, ClockSeedFn());
    if (!r) prompter_.ShowErrorText("The colour file could not be used:\r\n" + r.reason);
}

void PaletteEditor::SelectSeeded(std::int32_t seed) {
    options_.ColorSeed = seed;
    SelectType(csSeeded);
}

bool PaletteEditor::OpenFile(const std::string& path) {
    if (path.empty()) return false;
    Palette256 loaded = pal_;
    Result r = ReadColorFile(ResolveColorFile(path, baseDir_), loaded);
    if (!r) {
        prompter_.ShowErrorText("The colour file could not be used:\r\n" + r.reason);
        return false;
    }
    // A file in the options folder is kept by its name alone, so the
    // options file's 255-byte slot holds it whatever the folder's length.
    std::string name = path;
    const std::string base = baseDir_.empty() || baseDir_.back() == '/' ? baseDir_ : baseDir_ + "/";
    if (!base.empty() && name.size() > base.size() && name.compare(0, base.size(), base) == 0 &&
        name.find('/', base.size()) == std::string::npos)
        name = name.substr(base.size());
    options_.ColorFileName = name;
    options_.ColorSetType = csFiled;
    pal_ = loaded;
    return true;
}

bool PaletteEditor::SaveFile(const std::string& name) {
    if (name.empty()) return false;
    Result r = WriteColorFile(ResolveColorFile(name, baseDir_), pal_);
    if (!r) prompter_.ShowErrorText("The colour file could not be saved:\r\n" + r.reason);
    return r.ok;
}

}  // namespace zemba
