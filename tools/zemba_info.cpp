// zemba-info: a quick summary of a shapefile, for users and scripts.
//
//   zemba-info FILE.shp                 readable summary
//   zemba-info --json FILE.shp          one JSON object
//   zemba-info --rewrite OUT.shp [--dat] [--dxf] FILE.shp
//                                       read FILE and write it again
//   zemba-info --script FILE [LAYER.shp...]
//   zemba-info -e 'cmd; cmd' [LAYER.shp...]
//                                       run the program's own commands
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "core/attributes.h"
#include "core/exports.h"
#include "core/file_io.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "core/shp_writer.h"

#ifdef ZEMBA_INFO_QT
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <shapefil.h>

#include "text/layer_codec.h"
#endif

#ifdef ZEMBA_INFO_SCRIPT
#include <QApplication>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/script.h"
#endif

using namespace zemba;

namespace {

// Answers the part-count question with "go on", and keeps other reports for
// standard error.
class CliPrompter : public SilentPrompter {
public:
    CliPrompter() : SilentPrompter(Answer::No) {}
    void ShowErrorText(const std::string& text) override { std::fprintf(stderr, "zemba-info: %s\n", text.c_str()); }
};

int Usage() {
    std::fprintf(stderr,
                 "usage: zemba-info [--json] FILE.shp\n"
                 "       zemba-info --rewrite OUT.shp [--dat] [--dxf] FILE.shp\n"
#ifdef ZEMBA_INFO_SCRIPT
                 "       zemba-info --script FILE [LAYER.shp...]\n"
                 "       zemba-info -e 'COMMAND; COMMAND...' [LAYER.shp...]\n"
                 "       zemba-info --commands     (lists the script commands)\n"
#endif
                 );
    return 2;
}

#ifdef ZEMBA_INFO_SCRIPT
// Runs a script; layers named on the command line are opened first.
int RunScriptMode(int argc, char** argv, const std::string& text, const std::vector<std::string>& layers) {
    // The renderer needs a Qt application; without a display it draws offscreen.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ScriptSession session(std::cout);
    try {
        std::vector<ScriptArgs> commands;
        for (const std::string& l : layers) commands.push_back({"open", l});
        for (ScriptArgs& c : ParseScript(text)) commands.push_back(std::move(c));
        RunScript(session, commands);
    } catch (const ScriptError& e) {
        std::cout.flush();
        std::fprintf(stderr, "zemba-info: %s\n", e.what());
        return 1;
    }
    std::cout.flush();
    return std::cout.fail() ? 1 : 0;
}

int ScriptMain(int argc, char** argv, bool& handled) {
    std::string text;
    std::vector<std::string> layers;
    bool script = false;
    if (!DuplicateScriptCommands().empty()) {
        handled = true;
        for (const std::string& name : DuplicateScriptCommands())
            std::fprintf(stderr, "zemba-info: two script commands are named \"%s\"\n", name.c_str());
        return 1;
    }
    for (int a = 1; a < argc; ++a) {
        std::string arg = argv[a];
        if (arg == "--commands") {
            handled = true;
            for (const ScriptCommand& c : ScriptCommands()) std::printf("%s\n", c.usage.c_str());
            return 0;
        }
        if ((arg == "--script" || arg == "-e") && a + 1 < argc) {
            script = true;
            std::string value = argv[++a];
            if (arg == "-e") {
                text += value + "\n";
            } else {
                std::ifstream in(value, std::ios::binary);
                if (!in) {
                    handled = true;
                    std::fprintf(stderr, "zemba-info: %s: cannot be read\n", value.c_str());
                    return 1;
                }
                std::ostringstream ss;
                ss << in.rdbuf();
                text += ss.str() + "\n";
            }
        } else {
            layers.push_back(arg);
        }
    }
    if (!script) return 0;
    handled = true;
    return RunScriptMode(argc, argv, text, layers);
}
#endif

struct Extent {
    double xmin = std::numeric_limits<double>::infinity(), ymin = xmin;
    double xmax = -std::numeric_limits<double>::infinity(), ymax = xmax;
    bool any = false;
    void Add(double x, double y) {
        any = true;
        xmin = std::min(xmin, x);
        ymin = std::min(ymin, y);
        xmax = std::max(xmax, x);
        ymax = std::max(ymax, y);
    }
};

struct Summary {
    long long nulls = 0, parts = 0, points = 0;
    Extent vertices;
};

Summary Summarise(const ShpLayer& L, bool withExtent) {
    Summary s;
    const bool point = IsPointType(L.ShapeType);
    for (std::int32_t k = 1; k < static_cast<std::int32_t>(L.Shapes.size()); ++k) {
        const ShpObj& o = L.Shapes[k];
        if (L.IsNullShape(k)) {
            ++s.nulls;
            continue;
        }
        if (point) {
            ++s.points;
            s.vertices.Add(o.XMin, o.YMin);
            continue;
        }
        s.parts += o.NumParts;
        s.points += o.NumPoints;
        if (!withExtent) continue;
        for (std::size_t p = 1; p < o.Parts.size(); ++p)
            for (std::size_t j = 1; j < o.Parts[p].Pts.size(); ++j) s.vertices.Add(o.Parts[p].Pts[j].X, o.Parts[p].Pts[j].Y);
    }
    return s;
}

std::string Num(double v) {
    if (!std::isfinite(v)) return "null";
    std::string s = RoundTripNumber(v);
    return s;
}

#ifndef ZEMBA_INFO_QT
// Without Qt: JSON strings from the file's 8-bit text, read as Latin-1.
std::string JsonString(const std::string& in) {
    std::string out = "\"";
    for (unsigned char c : in) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out + "\"";
}

std::string ExtentJson(const Extent& e) {
    if (!e.any) return "null";
    return "[" + Num(e.xmin) + ", " + Num(e.ymin) + ", " + Num(e.xmax) + ", " + Num(e.ymax) + "]";
}

void PrintJson(const ShpLayer& L, const Summary& s) {
    std::string out = "{";
    out += "\"file\": " + JsonString(L.ShpPath + L.ShpName);
    out += ", \"shape_type\": " + std::to_string(L.ShapeType);
    out += ", \"shape_type_name\": " + JsonString(ShapeTypeName(L.ShapeType));
    out += ", \"records\": " + std::to_string(L.NumRecords);
    out += ", \"nulls\": " + std::to_string(s.nulls);
    out += ", \"parts\": " + std::to_string(s.parts);
    out += ", \"points\": " + std::to_string(s.points);
    out += ", \"header_extent\": [" + Num(L.XMin) + ", " + Num(L.YMin) + ", " + Num(L.XMax) + ", " + Num(L.YMax) + "]";
    out += ", \"vertex_extent\": " + ExtentJson(s.vertices);
    out += ", \"fields\": [";
    for (std::size_t f = 0; f < L.Fields.size(); ++f) {
        const FieldDefRec& d = L.Fields[f];
        if (f) out += ", ";
        out += "{\"name\": " + JsonString(d.Name) + ", \"type\": " + std::to_string(d.DataType) +
               ", \"size\": " + std::to_string(d.Size) + ", \"precision\": " + std::to_string(d.Precision) + "}";
    }
    out += "], \"values\": [";
    std::fputs(out.c_str(), stdout);
    out.clear();
    for (std::int32_t k = 1; k <= L.NumRecords; ++k) {
        out += k > 1 ? ", [" : "[";
        const auto& v = L.Shapes[k].Values;
        for (std::size_t f = 0; f < v.size(); ++f) {
            if (f) out += ", ";
            out += JsonString(v[f]);
        }
        out += "]";
        if (out.size() > 65536) {
            std::fputs(out.c_str(), stdout);
            out.clear();
        }
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}
#endif

#ifdef ZEMBA_INFO_QT
// The JSON object through Qt's writer: text in the layer's encoding (its
// .cpg), the file name in the file system's, null for a blank cell or a
// shape without a row, no parts for point and multipoint layers.
void PrintJsonQt(const ShpLayer& L, const Summary& s) {
    const LayerCodec codec(L.CodePage);
    auto num = [](double v) { return std::isfinite(v) ? QJsonValue(v) : QJsonValue(QJsonValue::Null); };
    auto extent = [&](double x0, double y0, double x1, double y1) { return QJsonArray{num(x0), num(y0), num(x1), num(y1)}; };
    QJsonObject o;
    o["file"] = QFile::decodeName(QByteArray::fromStdString(L.ShpPath + L.ShpName));
    o["shape_type"] = L.ShapeType;
    o["shape_type_name"] = QString::fromLatin1(ShapeTypeName(L.ShapeType));
    o["records"] = L.NumRecords;
    o["nulls"] = static_cast<qint64>(s.nulls);
    const int base = L.ShapeType % 10;
    if (!IsPointType(L.ShapeType) && base != 8) o["parts"] = static_cast<qint64>(s.parts);  // points have none
    o["points"] = static_cast<qint64>(s.points);
    o["header_extent"] = extent(L.XMin, L.YMin, L.XMax, L.YMax);
    o["vertex_extent"] = s.vertices.any ? QJsonValue(extent(s.vertices.xmin, s.vertices.ymin, s.vertices.xmax, s.vertices.ymax))
                                        : QJsonValue(QJsonValue::Null);
    QJsonArray fields;
    for (const FieldDefRec& d : L.Fields)
        fields.append(QJsonObject{{"name", codec.ToUnicode(d.Name)},
                                  {"type", d.DataType},
                                  {"size", d.Size},
                                  {"precision", d.Precision}});
    o["fields"] = fields;
    // The table itself says which cells are blank; the layer's texts for
    // them ("Null", "x") could be real values.
    DBFHandle dbf = L.Fields.empty() ? nullptr : DBFOpen(CompanionFile(L.ShpPath + L.ShpName, ".dbf").c_str(), "rb");
    const int rows = dbf ? DBFGetRecordCount(dbf) : 0;
    const int columns = dbf ? DBFGetFieldCount(dbf) : 0;
    QJsonArray values;
    for (std::int32_t k = 1; k <= L.NumRecords; ++k) {
        const auto& v = L.Shapes[k].Values;
        if (v.empty() && !L.Fields.empty()) {
            values.append(QJsonValue(QJsonValue::Null));
            continue;
        }
        QJsonArray row;
        for (std::size_t f = 0; f < v.size(); ++f) {
            bool blank;
            if (dbf && k - 1 < rows && static_cast<int>(f) < columns)
                blank = DBFIsAttributeNULL(dbf, k - 1, static_cast<int>(f)) != 0;
            else
                blank = f < L.Fields.size() && v[f] == (L.Fields[f].DataType == ftString ? "Null" : "x");
            row.append(blank ? QJsonValue(QJsonValue::Null) : QJsonValue(codec.ToUnicode(v[f])));
        }
        values.append(row);
    }
    if (dbf) DBFClose(dbf);
    o["values"] = values;
    const QByteArray text = QJsonDocument(o).toJson(QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fputc('\n', stdout);
}
#endif

void PrintSummary(const ShpLayer& L, const Summary& s) {
    std::printf("File:          %s%s\n", L.ShpPath.c_str(), L.ShpName.c_str());
    std::printf("Shape type:    %d (%s)\n", L.ShapeType, ShapeTypeName(L.ShapeType));
    std::printf("Records:       %d", L.NumRecords);
    if (s.nulls) std::printf(" (%lld null)", s.nulls);
    std::printf("\nParts:         %lld\nVertices:      %lld\n", s.parts, s.points);
    std::printf("Extent:        %s, %s - %s, %s\n", Num(L.XMin).c_str(), Num(L.YMin).c_str(), Num(L.XMax).c_str(),
                Num(L.YMax).c_str());
    if (HasZ(L.ShapeType)) std::printf("Z range:       %s - %s\n", Num(L.ZMin).c_str(), Num(L.ZMax).c_str());
    if (HasM(L.ShapeType)) std::printf("M range:       %s - %s\n", Num(L.MMin).c_str(), Num(L.MMax).c_str());
    std::printf("Fields:        %d\n", L.NumFields);
    for (const FieldDefRec& d : L.Fields)
        std::printf("  %-12s type %2d  size %3d  precision %2d\n", d.Name.c_str(), d.DataType, d.Size, d.Precision);
    const std::int32_t rows = std::min<std::int32_t>(L.NumRecords, 5);
    if (rows > 0 && L.NumFields > 0) std::printf("First %d rows:\n", rows);
    for (std::int32_t k = 1; k <= rows && L.NumFields > 0; ++k) {
        std::printf("  %d:", k);
        for (const std::string& v : L.Shapes[k].Values) std::printf(" %s |", v.c_str());
        std::printf("\n");
    }
}

}  // namespace

namespace {
int Main(int argc, char** argv);
}  // namespace

// A failed allocation ends the command with its file named, not an abort.
int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "zemba-info: %s\n", OutOfMemoryText().c_str());
        return 1;
    }
}

namespace {
int Main(int argc, char** argv) {
#ifdef ZEMBA_INFO_SCRIPT
    {
        bool handled = false;
        int status = ScriptMain(argc, argv, handled);
        if (handled) return status;
    }
#endif
    bool json = false, dat = false, dxf = false;
    std::string rewrite, input;
    for (int a = 1; a < argc; ++a) {
        std::string arg = argv[a];
        if (arg == "--json") json = true;
        else if (arg == "--dat") dat = true;
        else if (arg == "--dxf") dxf = true;
        else if (arg == "--rewrite" && a + 1 < argc) rewrite = argv[++a];
        else if (arg == "-h" || arg == "--help") return Usage();
        else if (!arg.empty() && arg[0] == '-') return Usage();
        else if (input.empty()) input = arg;
        else return Usage();
    }
    if (input.empty()) return Usage();

    LayerStore store;
    CliPrompter prompter;
    NullProgress progress;
    store.AppendLayerSlot();
    store.LayerFileName = input;
    Result r = ReadShapefile(store, prompter, progress);
    // A shapefile without its table still has a summary.
    if (r && FileExists(CompanionFile(input, ".dbf"))) r = LoadAttributes(store, 1, progress);
    if (!r) {
        std::fprintf(stderr, "zemba-info: %s: %s\n", input.c_str(), r.reason.c_str());
        return 1;
    }
    const ShpLayer& L = store.ShapeLayers[1];
    if (!rewrite.empty()) {
        Result w = WriteShapefile(store, 1, rewrite, progress);
        if (w && dat) w = ExportCoordinates(store, 1, rewrite, progress);
        if (w && dxf) w = ExportDxf(store, 1, ChangeFileExt(rewrite, ".dxf"), progress);
        if (!w) {
            std::fprintf(stderr, "zemba-info: %s: %s\n", rewrite.c_str(), w.reason.c_str());
            return 1;
        }
        if (!json) return 0;
    }
    Summary s = Summarise(L, json);
    if (json)
#ifdef ZEMBA_INFO_QT
        PrintJsonQt(L, s);
#else
        PrintJson(L, s);
#endif
    else
        PrintSummary(L, s);
    // The layer goes with the process; releasing it shape by shape first
    // would only add to the wait.
    std::fflush(stdout);
    std::_Exit(std::ferror(stdout) ? 1 : 0);
}
}  // namespace
