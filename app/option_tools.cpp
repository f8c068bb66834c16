#include "app/option_tools.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/file_io.h"

namespace fs = std::filesystem;

namespace zemba {

namespace {

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string LowerExt(const std::string& path) {
    const std::string name = FileNamePart(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

// ---- Base options ----

void SetMenuDefaults(Options& o, const std::string& programDir) {
    o.SelectionRadius = 8;
    o.SpareColor5 = 0;
    o.EditingColor = 0xFF00FF;
    o.BackgroundColor = 0xFFFFFF;
    o.HighlightColor = 0x00FFFF;
    o.EditColor = 0x0000FF;
    o.SoundOn.fill(false);
    o.MessageX = o.MessageY = 123;
    o.HomeDir = WithSlash(programDir);
    for (std::string* d : {&o.ProjectPath, &o.TigerDir, &o.DotDir, &o.SdtsDir, &o.DlgDir, &o.DxfDir,
                           &o.ShapeDir, &o.VectorDbDir, &o.BaseImagesDir})
        *d = o.HomeDir;
}

bool ReadNumberBox(const std::string& text, std::int32_t& value, Prompter& prompter) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL) break;  // past any int32
    }
    std::size_t end = i;
    while (end < text.size() && text[end] == ' ') ++end;
    const bool inRange = negative ? v <= 2147483648LL : v <= 2147483647LL;
    if (i == firstDigit || end != text.size() || !inRange) {
        // The position (from 1) where reading stopped, as the box shows it.
        const std::size_t at = i == firstDigit ? firstDigit : i;
        prompter.Message(MsgFamily::ErrorNumber, static_cast<int>(at + 1), text);
        return false;
    }
    value = static_cast<std::int32_t>(negative ? -v : v);
    return true;
}

std::int32_t ClampRadius(std::int32_t r) { return std::clamp<std::int32_t>(r, 0, kMaxSelectionRadius); }

void StoreNumberBoxes(Options& o, const std::string& messageX, const std::string& messageY,
                      const std::string& radius, Prompter& prompter) {
    ReadNumberBox(messageX, o.MessageX, prompter);
    ReadNumberBox(messageY, o.MessageY, prompter);
    std::int32_t r = o.SelectionRadius;
    if (ReadNumberBox(radius, r, prompter)) o.SelectionRadius = ClampRadius(r);
}

BoxPlace ClampBoxToScreen(int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    // Right and bottom edges first, then left and top, so a box larger than
    // the screen shows its top left corner (title bar and text).
    auto clampAxis = [](int p, int size, int start, int extent) {
        const long long maxP = static_cast<long long>(start) + extent - size;
        long long q = p;
        if (q > maxP) q = maxP;
        if (q < start) q = start;
        return static_cast<int>(q);
    };
    return {clampAxis(x, w, sx, sw), clampAxis(y, h, sy, sh)};
}

// ---- Directories ----

const char* DirCaption(DirKind k) {
    static const char* const kCaptions[DirKindCount] = {
        "Tiger Files", "Dot Files",  "SDTS Files",      "DLG Files", "DXF Files",
        "Shape Files", "Databases", "Background Images", "Projects"};
    return kCaptions[k];
}

const char* DirFilter(DirKind k) {
    static const char* const kFilters[DirKindCount] = {
        "Tiger files (*.*)|*.*",
        "Dot files (*.*)|*.*",
        "SDTS files (*.*)|*.*",
        "DLG files (*.DLG)|*.DLG",
        "dxf files (*.dxf)|*.dxf",
        "Shape files (*.shp)|*.shp",
        "Database files (*.db)|*.db;*.dbf",
        "Image files (*.bmp)|*.bmp",
        "Map projects (*.zmp;*.zmt)|*.zmp;*.zmt",
    };
    return kFilters[k];
}

std::string& DirOption(Options& o, DirKind k) {
    switch (k) {
    case DirTiger: return o.TigerDir;
    case DirDot: return o.DotDir;
    case DirSdts: return o.SdtsDir;
    case DirDlg: return o.DlgDir;
    case DirDxf: return o.DxfDir;
    case DirShape: return o.ShapeDir;
    case DirDb: return o.VectorDbDir;
    case DirImages: return o.BaseImagesDir;
    default: return o.ProjectPath;
    }
}

bool DirAcceptsFile(DirKind k, const std::string& path) {
    const std::string ext = LowerExt(path);
    switch (k) {
    case DirTiger:
    case DirDot:
    case DirSdts:
        return true;
    case DirDlg:
        // Optional-format DLG files are often named *.??f (e.g. ".opf").
        return ext == ".dlg" || (ext.size() == 4 && ext[3] == 'f');
    case DirDxf: return ext == ".dxf";
    case DirShape: return ext == ".shp";
    case DirDb: return ext == ".db" || ext == ".dbf";
    case DirImages: return ext == ".bmp";
    case DirProject: return ext == ".zmp" || ext == ".zmt";
    default: return false;
    }
}

bool StoreChosenDirectory(Options& o, DirKind k, const std::string& chosenFile) {
    if (chosenFile.empty() || !DirAcceptsFile(k, chosenFile)) return false;
    const std::string dir = DirectoryPart(chosenFile);
    if (dir.empty()) return false;
    DirOption(o, k) = WithSlash(dir);
    return true;
}

// ---- Thumbnails ----

int KillAllThumbs(const std::string& thumbDir, const std::string& programDir, Prompter& prompter) {
    if (thumbDir.empty()) {
        prompter.ShowErrorText(kSetThumbDirText);
        return 0;
    }
    std::error_code ec;
    const fs::path dir = fs::canonical(thumbDir, ec);
    if (ec) {
        prompter.ShowErrorText(thumbDir + ": " + ec.message());
        return 0;
    }
    if (!fs::is_directory(dir, ec)) {
        prompter.ShowErrorText(thumbDir + ": not a folder");
        return 0;
    }
    // A program folder that cannot be resolved is compared as given.
    std::error_code pec;
    fs::path program = fs::canonical(programDir.empty() ? fs::path(".") : fs::path(programDir), pec);
    if (pec) program = fs::path(programDir).lexically_normal();
    if (dir == program) {
        prompter.ShowErrorText(kSetThumbDirText);
        return 0;
    }

    // Plain files only, looked at without following links: a link, a
    // sub-folder or a device is never touched.
    std::vector<fs::path> victims;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code sec;
        const fs::file_status st = it->symlink_status(sec);
        if (sec || !fs::is_regular_file(st)) continue;
        if (SameNameIgnoringCase(it->path().filename().string(), "index.dat")) continue;
        victims.push_back(it->path());
    }
    if (ec) {
        prompter.ShowErrorText(dir.string() + ": " + ec.message());
        return 0;
    }
    if (victims.empty()) return 0;
    const std::string question = "Delete all " + std::to_string(victims.size()) +
                                 (victims.size() == 1 ? " file" : " files") + " in\r\n" +
                                 dir.string() + "\r\n(all but index.dat)?";
    if (prompter.AskYesNoText(question) != Answer::Yes) return 0;

    int deleted = 0;
    for (const fs::path& p : victims) {
        // remove() unlinks the name itself; had it become a link meanwhile,
        // only the link would go.
        std::error_code rec;
        if (fs::remove(p, rec))
            ++deleted;
        else
            prompter.ShowErrorText("Boo boo " + p.string() + "\r\n" +
                                   (rec ? rec.message() : std::string("it is gone")));
    }
    return deleted;
}

int DeleteChosenThumbnails(const std::vector<std::string>& chosen, Prompter& prompter) {
    int deleted = 0;
    for (const std::string& name : chosen) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(name, ec);
        if (ec || !fs::is_regular_file(st) || LowerExt(name) != ".bmp") {
            prompter.ShowErrorText("Boo boo " + name + "\r\n" +
                                   (ec ? ec.message() : std::string("not a .bmp file")));
            continue;
        }
        if (fs::remove(name, ec))
            ++deleted;
        else
            prompter.ShowErrorText("Boo boo " + name + "\r\n" +
                                   (ec ? ec.message() : std::string("it is gone")));
    }
    return deleted;
}

// ---- Extension sets ----

const char* ExtSetCaption(int set) {
    static const char* const kCaptions[ExtSetCount] = {"V", "R", "D", "T", "W", "Db", "L"};
    return set >= 0 && set < ExtSetCount ? kCaptions[set] : "";
}

std::string ExtensionSetPath(const std::string& dir, int set) {
    return (dir.empty() ? std::string() : WithSlash(dir)) + "Grafext.et" + std::to_string(set);
}

const std::vector<std::string>& DefaultExtensions(int set) {
    static const std::vector<std::string> kSets[ExtSetCount] = {
        // V: vector data, and this program's map projects.
        {"*.shp", "*.shx", "*.sbx", "*.dbf", "*.dxf", "*.dlg", "*.zmp"},
        // R: raster images.
        {"*.png", "*.bmp", "*.ico", "*.wmf", "*.emf", "*.jfif", "*.jpg", "*.jpe", "*.jpeg", "*.rle",
         "*.dib", "*.win", "*.vst", "*.vda", "*.tga", "*.icb", "*.tiff", "*.tif", "*.fax", "*.eps",
         "*.pcx", "*.pcc", "*.scr", "*.rpf", "*.rla", "*.sgi", "*.rgba", "*.rgb", "*.bw", "*.psd",
         "*.pdd", "*.ppm", "*.pgm", "*.pbm", "*.cel", "*.pic", "*.pcd", "*.cut", "*.psp", "*.png"},
        // D: terrain.
        {"*.bt", "*.dem", "*.bin", "*.bit", "*.htf"},
        // T: temporary and backup files.
        {"*.tmp", "~*.*", "*.~*", "*.?~?", "*.aps", "*.bak", "*.bk?", "*.bsc", "*.dmp", "*.dsm",
         "*.ilk", "*.pch", "*.rws", "*.sbr", "backup*.wbk", "*.fts", "*.gid", "*.$$$"},
        // W: word processing.
        {"*.doc", "*.txt", "*.wpd", "*.html", "*.htm"},
        // Db: databases.
        {"*.db", "*.dbf"},
        // L: the side and header files this program writes beside its data.
        {"*.att", "*.atx", "*.zmt", "*.lpj", "*.lpt", "*.prj", "*.cpg", "*.sbn", "*.pof", "*.2cp",
         "*.log", "*.et?"},
    };
    static const std::vector<std::string> kNone;
    return set >= 0 && set < ExtSetCount ? kSets[set] : kNone;
}

std::string AppendDefaultExtensions(const std::string& text, int set) {
    std::string out = text;
    if (!out.empty() && out.back() != '\n') out += '\n';
    for (const std::string& p : DefaultExtensions(set)) out += p + '\n';
    return out;
}

Result LoadExtensionSet(const std::string& dir, int set, std::string& text, bool& found) {
    found = false;
    const std::string path = ExtensionSetPath(dir, set);
    std::error_code ec;
    if (!fs::exists(path, ec)) return Result::Ok();
    std::ifstream in(path, std::ios::binary);
    if (!in) return Result::Fail(path + ": " + std::strerror(errno));
    // A pattern list is small; anything this big is some other file.
    constexpr std::size_t kLimit = 1 << 20;
    std::string bytes(kLimit + 1, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return Result::Fail(path + ": the file could not be read");
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kLimit) return Result::Fail(path + ": too large for a list of file patterns");
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            out += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else if (bytes[i] != '\0') {
            out += bytes[i];
        }
    }
    text = std::move(out);
    found = true;
    return Result::Ok();
}

Result SaveExtensionSet(const std::string& dir, int set, const std::string& text) {
    const std::string path = ExtensionSetPath(dir, set);
    AtomicFile f(path);
    Result r = f.Open();
    if (r) {
        f.Write(text);
        if (!text.empty() && text.back() != '\n') f.Write("\n");
        r = f.Commit();
    }
    if (!r && r.reason.find(path) == std::string::npos) r.reason = path + ": " + r.reason;
    return r;
}

}  // namespace zemba
