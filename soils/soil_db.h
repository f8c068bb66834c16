// The soil database behind TStatSurGoForm: the tables built beside a soil
// map, opened read-only and chained master to detail from the map unit down
// to its components, layers, plants, yields and interpretations.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"
#include "db/db.h"

namespace zemba {

// One table of the window: its component name, file suffix, master and the
// link fields (both the detail's index fields and the master's fields).
struct SoilTableLink {
    const char* Component;  // "CompTable"
    const char* Suffix;     // "comp" (file prefix + suffix + ".db")
    const char* Master;     // "MapUnitTable"; nullptr for none
    const char* Fields;     // "MUID;SEQNUMS"
    bool CountyOnly;
};

// In linking order: every master comes before its details.
const std::vector<SoilTableLink>& SoilTableLinks();

// The tables' common file prefix for a layer: "dir/il_a_" (state) or
// "dir/Ss_" (county).
std::string SoilTablePrefix(const ShpLayer& layer, bool county);

class SoilDatabase {
public:
    // Opens the mode's tables from `prefix` (each read-only on its own
    // connection) and links them. Files not found go to `missing`; then
    // nothing stays open.
    Result Open(const std::string& prefix, bool county, std::vector<std::string>& missing);
    // Opens the last tables again (after the window closed them).
    Result Reopen();
    void Close();
    bool IsOpen() const { return open_; }
    bool County() const { return county_; }
    const std::string& Prefix() const { return prefix_; }

    // A table by component name ("MapUnitTable", "layerT"); nullptr for a
    // name the mode does not open.
    db::Table* Get(const std::string& component);
    std::size_t TableCount() const { return tables_.size(); }

    // The map-unit key of a shape's MUIDS value: in county mode the current
    // map unit's ssaid goes in front. This is the only place it is added.
    std::string MapUnitKey(const std::string& muids);
    // Finds the map unit of a MUIDS value; every linked table follows. When
    // it is not found the tables stay where they were and false comes back.
    bool LocateUnit(const std::string& muids, std::string* keyUsed = nullptr);
    // Component n (1-based) of the map unit of `muids`: the components are
    // filtered on SEQNUM (state) or SEQNUMS (county).
    bool ChooseComponent(const std::string& muids, int n);
    // Layer n of the current component.
    void ChooseLayer(int n);

private:
    Result Link();
    std::map<std::string, std::unique_ptr<db::Table>> tables_;
    std::string prefix_;
    bool county_ = false;
    bool open_ = false;
};

// What "Activate" does, without the window: checks the layer and the
// tables, opens and links them. `message` is what the user is told on
// failure ("Databases not found ..."); `compFile` the comp table's name.
struct SoilActivation {
    bool Ok = false;
    std::string Message;
    std::string CompFile;
};
SoilActivation ActivateSoilDatabase(SoilDatabase& db, const LayerStore& store, bool county);

}  // namespace zemba
