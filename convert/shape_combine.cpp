#include "convert/shape_combine.h"

#include <algorithm>
#include <vector>

#include "core/attributes.h"
#include "core/dbf_table.h"
#include "core/file_io.h"
#include "core/layer_save.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"

namespace zemba {
namespace {

// The loader shows a blank text cell as "Null" (and one starting with a
// zero byte as "x"); written back those would become the words. Such cells
// get their text from the table itself, so a blank stays blank.
void KeepBlankTexts(ShpLayer& L, const std::string& dbf) {
    if (!FileExists(dbf)) return;
    DBFHandle h = DBFOpen(dbf.c_str(), "rb");
    if (!h) return;
    const int rows = std::min(DBFGetRecordCount(h), L.NumRecords);
    const int nFields = std::min<int>(DBFGetFieldCount(h), L.NumFields);
    for (int f = 0; f < nFields; ++f) {
        if (L.Fields[f].DataType != ftString) continue;
        for (int r = 0; r < rows; ++r) {
            auto& values = L.Shapes[r + 1].Values;
            if (static_cast<std::size_t>(f) >= values.size() || (values[f] != "Null" && values[f] != "x")) continue;
            const char* raw = DBFReadStringAttribute(h, r, f);
            std::string t = raw ? raw : "";
            while (!t.empty() && t.back() == ' ') t.pop_back();
            values[f] = t;
        }
    }
    DBFClose(h);
}

// Reads a shapefile and its table (when it has one) into a new slot.
Result OpenInto(LayerStore& store, const std::string& path, Progress& progress) {
    if (Result r = CheckRegularFile(path); !r) return r;
    SilentPrompter prompter;
    store.LayerFileName = path;
    store.AppendLayerSlot();
    Result r = ReadShapefile(store, prompter, progress);
    if (r && FileExists(CompanionFile(path, ".dbf"))) r = LoadAttributes(store, store.CurrentLayer, progress);
    if (r && !FileExists(CompanionFile(path, ".dbf"))) {
        // Without a table the coordinate system is still the file's.
        const std::string prj = CompanionFile(path, ".prj");
        store.ShapeLayers[store.CurrentLayer].Prj = FileExists(prj) ? ReadSmallTextFile(prj) : std::string();
    }
    if (r) KeepBlankTexts(store.ShapeLayers[store.CurrentLayer], CompanionFile(path, ".dbf"));
    if (!r) {
        store.RollBackAppend();
        return Result::Fail(path + ": " + r.reason);
    }
    return Result::Ok();
}

std::string Trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// dBase field names are matched without regard to case.
int FindField(const std::vector<FieldDefRec>& fields, const std::string& name) {
    for (std::size_t f = 0; f < fields.size(); ++f)
        if (UpperCase(fields[f].Name) == UpperCase(name)) return static_cast<int>(f);
    return -1;
}

// A field of both tables as one that holds the values of both: the same
// dBase type (character, number, logical, date), the wider width, and for
// numbers the more digits either side of the point. False when the types
// differ.
bool Join(FieldDefRec& mine, const FieldDefRec& other) {
    const NativeField x = NativeFieldFor(mine), y = NativeFieldFor(other);
    if (x.type != y.type) return false;
    if (x.type != 'N') {
        mine.Size = std::max(x.width, y.width);
        return true;
    }
    const int decimals = std::max(x.decimals, y.decimals);
    auto whole = [](const NativeField& n) { return n.width - n.decimals - (n.decimals > 0 ? 1 : 0); };
    const int width = std::min(254, std::max(whole(x), whole(y)) + decimals + (decimals > 0 ? 1 : 0));
    const bool real = decimals > 0 || mine.DataType == ftFloat || other.DataType == ftFloat ||
                      mine.DataType == ftCurrency || other.DataType == ftCurrency;
    mine.DataType = real ? ftFloat : width <= 4 ? ftSmallint : width <= 9 ? ftInteger : ftLargeint;
    mine.Size = width;
    mine.Precision = decimals;
    return true;
}

bool Has(const ShpLayer& L) { return L.Shapes3.size() == L.Shapes.size(); }

}  // namespace

Result SummarizeShapeFile(const std::string& path, ShapeFileSummary& out) {
    LayerStore store;
    NullProgress progress;
    if (Result r = CheckRegularFile(path); !r) return Result::Fail(path + ": " + r.reason);
    SilentPrompter prompter;
    store.LayerFileName = path;
    store.AppendLayerSlot();
    Result r = ReadShapefile(store, prompter, progress);
    if (!r) return Result::Fail(path + ": " + r.reason);
    out.ShapeType = store.ShapeLayers[1].ShapeType;
    out.Objects = store.ShapeLayers[1].NumRecords;
    return Result::Ok();
}

Result CombineShapeFiles(const std::string& a, const std::string& b, const std::string& out, Progress& progress) {
    LayerStore store;
    if (Result r = OpenInto(store, a, progress); !r) return r;
    if (Result r = OpenInto(store, b, progress); !r) return r;
    ShpLayer& A = store.ShapeLayers[1];
    ShpLayer& B = store.ShapeLayers[2];
    if (A.ShapeType != B.ShapeType)
        return Result::Fail("the files are not of the same shape type: " + a + " is type " +
                            std::to_string(A.ShapeType) + ", " + b + " is type " + std::to_string(B.ShapeType));
    // A file without a .prj says nothing of its system: it takes the other's.
    if (Trimmed(A.Prj).empty()) A.Prj = B.Prj;
    if (!Trimmed(B.Prj).empty() && Trimmed(A.Prj) != Trimmed(B.Prj))
        return Result::Fail(b + " is in another coordinate system than " + a +
                            " (their .prj files differ): reproject it first");

    // Texts in two encodings cannot share one table.
    if (Trimmed(A.CodePage).empty()) A.CodePage = B.CodePage;
    if (!Trimmed(B.CodePage).empty() && UpperCase(Trimmed(A.CodePage)) != UpperCase(Trimmed(B.CodePage)))
        return Result::Fail("the tables of " + a + " and " + b + " are in different encodings (their .cpg files say " +
                            Trimmed(A.CodePage) + " and " + Trimmed(B.CodePage) + ")");

    // The fields: the first file's, then those only the second has. A field
    // of both keeps the wider width.
    std::vector<FieldDefRec> fields = A.Fields;
    std::vector<int> fromB(B.Fields.size());
    for (std::size_t f = 0; f < B.Fields.size(); ++f) {
        const FieldDefRec& bf = B.Fields[f];
        int at = FindField(fields, bf.Name);
        if (at >= 0) {
            FieldDefRec& mine = fields[at];
            if (!Join(mine, bf))
                return Result::Fail("field " + bf.Name + " has a different type in " + b + " than in " + a);
        } else {
            at = static_cast<int>(fields.size());
            fields.push_back(bf);
            fields.back().FieldNo = at + 1;
        }
        fromB[f] = at;
    }
    const std::int64_t total = std::int64_t(A.NumRecords) + B.NumRecords;
    if (total > 0x7fffffff / 8) return Result::Fail("the two files hold too many shapes for one shapefile");
    if (fields.size() > 255) return Result::Fail("the two tables have more than 255 fields together");

    const bool zm = Has(A) || Has(B);
    if (zm) {
        A.Shapes3.resize(A.Shapes.size());
    }
    if (!B.NullShape.empty() || !A.NullShape.empty()) A.NullShape.resize(A.Shapes.size(), 0);
    for (std::size_t k = 1; k < A.Shapes.size(); ++k) A.Shapes[k].Values.resize(fields.size());
    A.Shapes.reserve(static_cast<std::size_t>(total) + 1);
    for (std::int32_t k = 1; k <= B.NumRecords; ++k) {
        ShpObj s = std::move(B.Shapes[k]);
        std::vector<std::string> values(fields.size());
        for (std::size_t f = 0; f < fromB.size() && f < s.Values.size(); ++f) values[fromB[f]] = std::move(s.Values[f]);
        s.Values = std::move(values);
        s.RecNum = A.NumRecords + k;
        A.Shapes.push_back(std::move(s));
        if (zm) {
            ShpObj3 s3 = Has(B) ? std::move(B.Shapes3[k]) : ShpObj3{};
            s3.RecNum = A.NumRecords + k;
            s3.Values.clear();
            A.Shapes3.push_back(std::move(s3));
        }
        if (!A.NullShape.empty()) A.NullShape.push_back(B.IsNullShape(k) ? 1 : 0);
    }
    const bool aEmpty = A.NumRecords == 0;
    if (B.NumRecords > 0) {
        A.XMin = aEmpty ? B.XMin : std::min(A.XMin, B.XMin);
        A.YMin = aEmpty ? B.YMin : std::min(A.YMin, B.YMin);
        A.XMax = aEmpty ? B.XMax : std::max(A.XMax, B.XMax);
        A.YMax = aEmpty ? B.YMax : std::max(A.YMax, B.YMax);
        A.ZMin = aEmpty ? B.ZMin : std::min(A.ZMin, B.ZMin);
        A.MMin = aEmpty ? B.MMin : std::min(A.MMin, B.MMin);
        A.ZMax = aEmpty ? B.ZMax : std::max(A.ZMax, B.ZMax);
        A.MMax = aEmpty ? B.MMax : std::max(A.MMax, B.MMax);
    }
    A.NumRecords = static_cast<std::int32_t>(total);
    A.NumPoints += B.NumPoints;
    A.NumExtraParts += B.NumExtraParts;
    A.Fields = std::move(fields);
    A.NumFields = static_cast<std::int32_t>(A.Fields.size());
    A.DamagedRecords = 0;
    // The table is made anew from the values: neither file's table fits it.
    A.DbfName.clear();
    if (store.SymLayers.size() > 1) store.SymLayers[1].SymObjs.clear();
    return SaveLayer(store, 1, out, progress);
}

}  // namespace zemba
