#include "soils/soil_db.h"

#include "core/file_io.h"

namespace zemba {

const std::vector<SoilTableLink>& SoilTableLinks() {
    static const std::vector<SoilTableLink> links = {
        {"MapUnitTable", "mapunit", nullptr, "", false},
        {"CompTable", "comp", "MapUnitTable", "MUID", false},
        {"forestT", "forest", "CompTable", "MUID;SEQNUMS", false},
        {"woodlandT", "woodland", "CompTable", "MUID;SEQNUMS", false},
        {"plantcomT", "plantcom", "CompTable", "MUID;SEQNUMS", false},
        {"windbrkT", "windbrk", "CompTable", "MUID;SEQNUMS", false},
        {"plantnmT", "plantnm", "windbrkT", "PLANTSYM", false},
        {"compyldT", "compyld", "CompTable", "MUID;SEQNUMS", false},
        {"yldunitsT", "yldunits", "compyldT", "CROPNAME", false},
        {"rsprodT", "rsprod", "CompTable", "MUID;SEQNUMS", false},
        {"wlhabitT", "wlhabit", "CompTable", "MUID;SEQNUMS", false},
        {"woodmgtT", "woodmgt", "CompTable", "MUID;SEQNUMS", false},
        {"interpT", "interp", "CompTable", "MUID;SEQNUMS", false},
        {"taxclassT", "taxclass", "CompTable", "CLASCODE", false},
        {"layerT", "layer", "CompTable", "MUID;SEQNUMS", false},
        {"HelClassTable", "helclass", "MapUnitTable", "MUID", true},
        {"InclusnTable", "inclusn", "MapUnitTable", "MUID", true},
        {"MucoacreTable", "mucoacre", "MapUnitTable", "MUID", true},
        {"MuyldTable", "muyld", "MapUnitTable", "MUID", true},
        {"RangenmTable", "rangenm", "rsprodT", "RSID", true},
        {"SsacoacTable", "ssacoac", "MapUnitTable", "STSSAID", true},
        {"SsareaTable", "ssarea", "MapUnitTable", "STSSAID", true},
        {"HydcompTable", "hydcomp", "CompTable", "MUID;SEQNUMS", true},
        {"MuidentTable", "muident", "MapUnitTable", "STSSAID;MUID", true},
    };
    return links;
}

std::string SoilTablePrefix(const ShpLayer& layer, bool county) {
    if (county) return layer.ShpPath + "Ss_";
    const std::string full = layer.ShpPath + layer.ShpName;
    return (full.size() >= 4 ? full.substr(0, full.size() - 4) : full) + "_";
}

void SoilDatabase::Close() {
    // Details first, so no master refreshes a table that is going away.
    const auto& links = SoilTableLinks();
    for (auto it = links.rbegin(); it != links.rend(); ++it) {
        auto t = tables_.find(it->Component);
        if (t != tables_.end()) t->second->Close();
    }
    tables_.clear();
    open_ = false;
}

Result SoilDatabase::Open(const std::string& prefix, bool county, std::vector<std::string>& missing) {
    Close();
    prefix_ = prefix;
    county_ = county;
    missing.clear();
    for (const SoilTableLink& l : SoilTableLinks()) {
        if (l.CountyOnly && !county) continue;
        const std::string path = prefix + l.Suffix + ".db";
        if (!FileExists(path)) missing.push_back(path);
    }
    if (!missing.empty()) return Result::Fail("tables missing");
    return Reopen();
}

Result SoilDatabase::Reopen() {
    Close();
    for (const SoilTableLink& l : SoilTableLinks()) {
        if (l.CountyOnly && !county_) continue;
        auto t = std::make_unique<db::Table>();
        Result r = t->Open(prefix_ + l.Suffix + ".db");
        if (!r) {
            Close();
            return r;
        }
        tables_[l.Component] = std::move(t);
    }
    Result r = Link();
    if (!r) {
        Close();
        return r;
    }
    open_ = true;
    return Result::Ok();
}

Result SoilDatabase::Link() {
    // Components in their order as numbers: 2 comes before 10.
    tables_["CompTable"]->SetOrder("SEQNUM");
    for (const SoilTableLink& l : SoilTableLinks()) {
        if (!l.Master) continue;
        auto detail = tables_.find(l.Component), master = tables_.find(l.Master);
        if (detail == tables_.end() || master == tables_.end()) continue;
        Result r = detail->second->SetMaster(master->second.get(), l.Fields, l.Fields);
        if (!r) return Result::Fail(std::string(l.Suffix) + ": " + r.reason);
    }
    return Result::Ok();
}

db::Table* SoilDatabase::Get(const std::string& component) {
    auto it = tables_.find(component);
    return it == tables_.end() ? nullptr : it->second.get();
}

std::string SoilDatabase::MapUnitKey(const std::string& muids) {
    if (!county_) return muids;
    db::Table* mu = Get("MapUnitTable");
    return (mu ? mu->FieldText("SSAID") : std::string()) + muids;
}

bool SoilDatabase::LocateUnit(const std::string& muids, std::string* keyUsed) {
    const std::string key = MapUnitKey(muids);
    if (keyUsed) *keyUsed = key;
    db::Table* mu = Get("MapUnitTable");
    return mu && mu->Locate("MUID", key);
}

bool SoilDatabase::ChooseComponent(const std::string& muids, int n) {
    const bool found = LocateUnit(muids);
    if (db::Table* comp = Get("CompTable")) {
        comp->SetFiltered(false);
        comp->SetFilter(std::string(county_ ? "[SEQNUMS] = " : "[SEQNUM] = ") + std::to_string(n));
        comp->SetFiltered(true);
    }
    return found;
}

void SoilDatabase::ChooseLayer(int n) {
    if (db::Table* layer = Get("layerT")) {
        layer->SetFilter("[LAYERNUM] = " + std::to_string(n));
        layer->SetFiltered(true);
    }
}

SoilActivation ActivateSoilDatabase(SoilDatabase& db, const LayerStore& store, bool county) {
    SoilActivation a;
    if (store.LayerCount < 1 || store.CurrentLayer < 1 || store.CurrentLayer > store.LayerCount) {
        a.Message = "No layer is loaded: open the soil map, then activate its database.";
        return a;
    }
    const std::string prefix = SoilTablePrefix(store.ShapeLayers[store.CurrentLayer], county);
    a.CompFile = prefix + "comp.db";
    if (!FileExists(a.CompFile)) {
        a.Message = "Databases not found\r\n" + a.CompFile + " ... Closing";
        return a;
    }
    std::vector<std::string> missing;
    Result r = db.Open(prefix, county, missing);
    if (!r) {
        a.Message = "Databases not found... Closing";
        if (!missing.empty()) {
            a.Message += "\r\nMissing:";
            for (const std::string& m : missing) a.Message += "\r\n" + m;
        } else {
            a.Message += "\r\n" + r.reason;
        }
        return a;
    }
    a.Ok = true;
    return a;
}

}  // namespace zemba
