#include "core/layer_save.h"

#include <unistd.h>

#include "core/attributes.h"
#include "core/dbf_table.h"
#include "core/file_io.h"
#include "core/shp_writer.h"

namespace zemba {

Result SaveLayer(const LayerStore& store, std::int32_t i, const std::string& path, Progress& progress) {
    if (i <= 0 || i >= static_cast<std::int32_t>(store.ShapeLayers.size()))
        return Result::Fail("no such layer");
    const ShpLayer& L = store.ShapeLayers[i];

    std::string source;
    if (!L.DbfName.empty()) {
        const std::string from = L.DbfPath + L.DbfName;
        if (FileExists(from)) {
            BlockReader in;
            Result r = in.Open(from);
            if (!r) return r;
            source.resize(static_cast<std::size_t>(in.size()));
            if (!source.empty() && !in.Read(source.data(), source.size()))
                return Result::Fail("cannot read " + from);
        }
    }
    std::string table;
    Result r = BuildDbf(L, source, table, progress);
    if (!r) return r;

    AtomicFile shp(path), shx(ChangeFileExt(path, ".shx")), dbf(ChangeFileExt(path, ".dbf"));
    AtomicFile cpg(ChangeFileExt(path, ".cpg")), prj(ChangeFileExt(path, ".prj"));
    AtomicFile att(ChangeFileExt(path, ".att")), atx(ChangeFileExt(path, ".atx"));
    std::vector<AtomicFile*> all{&shp, &shx, &dbf};

    r = WriteShapefileTo(store, i, shp, shx, progress);
    if (!r) return r;
    r = dbf.Open();
    if (!r) return r;
    dbf.Write(table);
    if (!L.CodePage.empty()) {
        if (!(r = cpg.Open())) return r;
        cpg.Write(L.CodePage);
        all.push_back(&cpg);
    }
    if (!L.Prj.empty()) {
        if (!(r = prj.Open())) return r;
        prj.Write(L.Prj);
        all.push_back(&prj);
    }
    // The layer's style files go with it, so a saved layer reopens as it
    // looked (a text layer's texts live only there).
    if (static_cast<std::size_t>(i) < store.SymLayers.size() &&
        store.SymLayers[i].SymObjs.size() >= static_cast<std::size_t>(L.NumRecords) + 1) {
        if (!(r = WriteSideFilesTo(store, i, att, atx, progress))) return r;
        all.push_back(&att);
        all.push_back(&atx);
    }
    r = CommitAll(all);
    if (!r) return r;
    // A .cpg left from other files of that name would misname this table's
    // encoding.
    if (L.CodePage.empty()) {
        const std::string stale = CompanionFile(path, ".cpg");
        if (FileExists(stale)) ::unlink(stale.c_str());
    }
    return Result::Ok();
}

}  // namespace zemba
