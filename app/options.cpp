#include "app/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_io.h"

namespace zemba {

namespace {

constexpr std::size_t kSlot = 256;

// Offsets of the record.
constexpr std::size_t kHomeDir = 256;
constexpr std::size_t kProjectPath = 512;
constexpr std::size_t kColorFileName = 768;
constexpr std::size_t kR4 = 1024;  // R3..R0 follow, one slot each
constexpr std::size_t kTigerDir = 2816;
constexpr std::size_t kDotDir = 3072;
constexpr std::size_t kSdtsDir = 3328;
constexpr std::size_t kDlgDir = 3584;
constexpr std::size_t kDxfDir = 3840;
constexpr std::size_t kShapeDir = 4096;
constexpr std::size_t kVectorDbDir = 4352;
constexpr std::size_t kBaseImagesDir = 4608;
constexpr std::size_t kSpareColors = 4892;
constexpr std::size_t kClassStartColor = 4908;
constexpr std::size_t kEditingColor = 4912;
constexpr std::size_t kBackgroundColor = 4916;
constexpr std::size_t kHighlightColor = 4920;
constexpr std::size_t kEditColor = 4924;
constexpr std::size_t kSpareColor5 = 4928;
constexpr std::size_t kToolbars = 4932;
constexpr std::size_t kSounds = 4940;
constexpr std::size_t kSelectionRadius = 4948;
constexpr std::size_t kColorSetType = 4952;
constexpr std::size_t kColorSeed = 4968;
constexpr std::size_t kSpare1 = 4972;
constexpr std::size_t kSpare2 = 4980;
constexpr std::size_t kPrintLayout = 4988;
constexpr std::size_t kCreateBitmap = 4996;
constexpr std::size_t kMapWindow = 5004;   // top, left
constexpr std::size_t kLegend = 5012;      // top, left
constexpr std::size_t kMainWindow = 5020;  // top, left
constexpr std::size_t kDatabase = 5028;
constexpr std::size_t kSpare3 = 5036;
constexpr std::size_t kMessagePos = 5044;
constexpr std::size_t kSpare4 = 5052;
constexpr std::size_t kSpare5 = 5060;
constexpr std::size_t kSysInfo = 5068;
constexpr std::size_t kWindowLefts = 5076;
constexpr std::size_t kWindowTops = 5120;

static_assert(kWindowTops + 4 * WinCount + 4 == kOptionsFileSize, "record layout");

void PutU32(std::string& rec, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) rec[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutI32(std::string& rec, std::size_t at, std::int32_t v) {
    PutU32(rec, at, static_cast<std::uint32_t>(v));
}
std::uint32_t GetU32(const std::string& rec, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(rec[at + i])) << (8 * i);
    return v;
}
std::int32_t GetI32(const std::string& rec, std::size_t at) {
    return static_cast<std::int32_t>(GetU32(rec, at));
}

void PutString(std::string& rec, std::size_t at, const std::string& s, const char* ifTooLong) {
    const std::string& v = s.size() < kSlot ? s : std::string(ifTooLong);
    rec[at] = static_cast<char>(v.size());
    std::memcpy(&rec[at + 1], v.data(), v.size());
}
std::string GetString(const std::string& rec, std::size_t at) {
    // The length byte is at most 255, so the text never leaves its slot.
    const auto n = static_cast<unsigned char>(rec[at]);
    return rec.substr(at + 1, n);
}

// Pairs stored left first, or top first for the map, legend and main windows.
void PutPos(std::string& rec, std::size_t at, const ScreenPos& p, bool topFirst = false) {
    PutI32(rec, at, topFirst ? p.Top : p.Left);
    PutI32(rec, at + 4, topFirst ? p.Left : p.Top);
}
ScreenPos GetPos(const std::string& rec, std::size_t at, bool topFirst = false) {
    ScreenPos p;
    std::int32_t a = GetI32(rec, at), b = GetI32(rec, at + 4);
    p.Left = topFirst ? b : a;
    p.Top = topFirst ? a : b;
    return p;
}

constexpr std::size_t kSparePosAt[5] = {kSpare1, kSpare2, kSpare3, kSpare4, kSpare5};

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

bool IsDir(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p for the configuration directory.
bool MakeDirs(const std::string& dir) {
    if (dir.empty() || IsDir(dir)) return true;
    std::string::size_type slash = dir.find_last_of('/', dir.size() > 1 ? dir.size() - 2 : 0);
    if (slash != std::string::npos && slash > 0 && !MakeDirs(dir.substr(0, slash))) return false;
    return ::mkdir(dir.c_str(), 0755) == 0 || IsDir(dir);
}

}  // namespace

void SetDefaultOptions(Options& o, const std::string& programDir) {
    const bool wave = o.SoundIsWave;  // not an option of the file
    o = Options{};
    o.SoundIsWave = wave;
    const std::string dir = WithSlash(programDir);
    for (std::string* d : {&o.HomeDir, &o.ProjectPath, &o.TigerDir, &o.DotDir, &o.SdtsDir,
                           &o.DxfDir, &o.DlgDir, &o.ShapeDir, &o.VectorDbDir, &o.BaseImagesDir})
        *d = dir;
}

std::string EncodeOptions(const Options& o) {
    // Reserved slots and padding are written as zeros.
    std::string rec(kOptionsFileSize, '\0');
    PutString(rec, kHomeDir, o.HomeDir, "");
    PutString(rec, kProjectPath, o.ProjectPath, "");
    PutString(rec, kColorFileName, o.ColorFileName, "");
    for (int k = 0; k < 5; ++k) PutString(rec, kR4 + kSlot * (4 - k), o.Recent[k], " ");
    PutString(rec, kTigerDir, o.TigerDir, "");
    PutString(rec, kDotDir, o.DotDir, "");
    PutString(rec, kSdtsDir, o.SdtsDir, "");
    PutString(rec, kDlgDir, o.DlgDir, "");
    PutString(rec, kDxfDir, o.DxfDir, "");
    PutString(rec, kShapeDir, o.ShapeDir, "");
    PutString(rec, kVectorDbDir, o.VectorDbDir, "");
    PutString(rec, kBaseImagesDir, o.BaseImagesDir, "");

    PutU32(rec, kSpareColors, o.SpareColor1);
    PutU32(rec, kSpareColors + 4, o.SpareColor2);
    PutU32(rec, kSpareColors + 8, o.SpareColor3);
    PutU32(rec, kSpareColors + 12, o.SpareColor4);
    PutU32(rec, kClassStartColor, o.ClassStartColor);
    PutU32(rec, kEditingColor, o.EditingColor);
    PutU32(rec, kBackgroundColor, o.BackgroundColor);
    PutU32(rec, kHighlightColor, o.HighlightColor);
    PutU32(rec, kEditColor, o.EditColor);
    PutU32(rec, kSpareColor5, o.SpareColor5);
    for (int t = 0; t < TbCount; ++t) rec[kToolbars + t] = o.ToolbarVisible[t] ? 1 : 0;
    for (int s = 0; s < SndCount; ++s) rec[kSounds + s] = o.SoundOn[s] ? 1 : 0;
    PutI32(rec, kSelectionRadius, o.SelectionRadius);
    PutI32(rec, kColorSetType, o.ColorSetType);
    PutI32(rec, kColorSeed, o.ColorSeed);

    for (int i = 0; i < 5; ++i) PutPos(rec, kSparePosAt[i], o.SparePos[i]);
    PutPos(rec, kPrintLayout, o.PrintLayoutPos);
    PutPos(rec, kCreateBitmap, o.CreateBitmapPos);
    PutPos(rec, kMapWindow, o.MapPos, true);
    PutPos(rec, kLegend, o.LegendPos, true);
    PutPos(rec, kMainWindow, o.MainPos, true);
    PutPos(rec, kDatabase, o.DatabasePos);
    PutI32(rec, kMessagePos, o.MessageX);
    PutI32(rec, kMessagePos + 4, o.MessageY);
    PutPos(rec, kSysInfo, o.SysInfoPos);
    for (int w = 0; w < WinCount; ++w) {
        PutI32(rec, kWindowLefts + 4 * w, o.WindowLeft[w]);
        PutI32(rec, kWindowTops + 4 * w, o.WindowTop[w]);
    }
    return rec;
}

Result DecodeOptions(const std::string& rec, Options& out) {
    if (rec.size() != kOptionsFileSize) {
        std::ostringstream why;
        why << "it is " << rec.size() << " bytes long instead of " << kOptionsFileSize;
        return Result::Fail(why.str());
    }
    for (std::size_t at = kToolbars; at < kSounds + SndCount; ++at)
        if (static_cast<unsigned char>(rec[at]) > 1)
            return Result::Fail("a toolbar or sound setting at byte " + std::to_string(at) +
                                " is neither 0 nor 1");
    const std::int32_t setType = GetI32(rec, kColorSetType);
    if (setType < 1 || setType > 10)
        return Result::Fail("the palette type is " + std::to_string(setType) +
                            ", outside 1 to 10");

    Options o;
    o.SoundIsWave = out.SoundIsWave;
    o.HomeDir = GetString(rec, kHomeDir);
    o.ProjectPath = GetString(rec, kProjectPath);
    o.ColorFileName = GetString(rec, kColorFileName);
    for (int k = 0; k < 5; ++k) o.Recent[k] = GetString(rec, kR4 + kSlot * (4 - k));
    o.TigerDir = GetString(rec, kTigerDir);
    o.DotDir = GetString(rec, kDotDir);
    o.SdtsDir = GetString(rec, kSdtsDir);
    o.DlgDir = GetString(rec, kDlgDir);
    o.DxfDir = GetString(rec, kDxfDir);
    o.ShapeDir = GetString(rec, kShapeDir);
    o.VectorDbDir = GetString(rec, kVectorDbDir);
    o.BaseImagesDir = GetString(rec, kBaseImagesDir);

    o.SpareColor1 = GetU32(rec, kSpareColors);
    o.SpareColor2 = GetU32(rec, kSpareColors + 4);
    o.SpareColor3 = GetU32(rec, kSpareColors + 8);
    o.SpareColor4 = GetU32(rec, kSpareColors + 12);
    o.ClassStartColor = GetU32(rec, kClassStartColor);
    o.EditingColor = GetU32(rec, kEditingColor);
    o.BackgroundColor = GetU32(rec, kBackgroundColor);
    o.HighlightColor = GetU32(rec, kHighlightColor);
    o.EditColor = GetU32(rec, kEditColor);
    o.SpareColor5 = GetU32(rec, kSpareColor5);
    for (int t = 0; t < TbCount; ++t) o.ToolbarVisible[t] = rec[kToolbars + t] != 0;
    for (int s = 0; s < SndCount; ++s) o.SoundOn[s] = rec[kSounds + s] != 0;
    o.SelectionRadius = GetI32(rec, kSelectionRadius);
    o.ColorSetType = setType;
    o.ColorSeed = GetI32(rec, kColorSeed);

    for (int i = 0; i < 5; ++i) o.SparePos[i] = GetPos(rec, kSparePosAt[i]);
    o.PrintLayoutPos = GetPos(rec, kPrintLayout);
    o.CreateBitmapPos = GetPos(rec, kCreateBitmap);
    o.MapPos = GetPos(rec, kMapWindow, true);
    o.LegendPos = GetPos(rec, kLegend, true);
    o.MainPos = GetPos(rec, kMainWindow, true);
    o.DatabasePos = GetPos(rec, kDatabase);
    o.MessageX = GetI32(rec, kMessagePos);
    o.MessageY = GetI32(rec, kMessagePos + 4);
    o.SysInfoPos = GetPos(rec, kSysInfo);
    for (int w = 0; w < WinCount; ++w) {
        o.WindowLeft[w] = GetI32(rec, kWindowLefts + 4 * w);
        o.WindowTop[w] = GetI32(rec, kWindowTops + 4 * w);
    }
    out = std::move(o);
    return Result::Ok();
}

Result ReadOptionsFile(const std::string& path, Options& o) {
    if (FileExistsAny(path)) {
        Result kind = CheckRegularFile(path);
        if (!kind) return kind;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return Result::Fail("cannot open " + path + ": " + std::strerror(errno));
    // One byte more than a record tells a long file from a good one without
    // reading all of an arbitrary file.
    std::string rec(kOptionsFileSize + 1, '\0');
    in.read(&rec[0], static_cast<std::streamsize>(rec.size()));
    if (in.bad()) return Result::Fail("cannot read " + path);
    rec.resize(static_cast<std::size_t>(in.gcount()));
    if (rec.size() > kOptionsFileSize)
        return Result::Fail(path + " is longer than " + std::to_string(kOptionsFileSize) + " bytes");
    Result r = DecodeOptions(rec, o);
    if (!r) r.reason = path + ": " + r.reason;
    return r;
}

Result WriteOptionsFile(const std::string& path, const Options& o) {
    const std::string rec = EncodeOptions(o);
    AtomicFile f(path);
    Result r = f.Open();
    if (!r) return r;
    f.Write(rec);
    return f.Commit();
}

std::string OptionsFilePath(const std::string& programDir) {
    const std::string dir = WithSlash(programDir);
    if (::access(dir.c_str(), W_OK) == 0) return dir + kOptionsFileName;
    std::string config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg == '/')
        config = WithSlash(xdg);
    else if (home && *home)
        config = WithSlash(home) + ".config/";
    else
        return dir + kOptionsFileName;  // nowhere better; the write will report it
    config += "zemba/";
    MakeDirs(config);
    return config + kOptionsFileName;
}

bool LoadOrCreateOptions(Options& o, const std::string& path, const std::string& programDir,
                         Prompter& prompter) {
    const bool firstStart = !FileExistsAny(path);
    if (!firstStart) {
        Result r = ReadOptionsFile(path, o);
        if (r) return true;
        // Keep the unusable file for the user, then start from the defaults.
        const std::string bad = path + ".bad";
        std::string kept;
        if (std::rename(path.c_str(), bad.c_str()) == 0) kept = "\r\nThe old file is kept as\r\n" + bad;
        // Paths on lines of their own, so the box shows them whole.
        prompter.ShowErrorText("The options file could not be used and was replaced by the defaults:\r\n" +
                               path + "\r\n" + r.reason + "." + kept);
    }
    SetDefaultOptions(o, programDir);
    // A new user sees the map fill the window; an options file keeps the
    // user's own choice.
    if (firstStart) SetBitmapFollowsWindow(o, true);
    SaveOptions(o, path, prompter);
    return false;
}

bool SaveOptions(const Options& o, const std::string& path, Prompter& prompter) {
    Result r = WriteOptionsFile(path, o);
    if (!r) prompter.ShowErrorText("The options could not be saved: " + r.reason);
    return r.ok;
}

}  // namespace zemba
