// What the map window's buttons do, as plain code over the layer store and
// the project records: showing and accepting a description, the map and
// layer Display/Accept pairs, Save, Project, Convert and DMS to DD. The
// window (mapping/map_form.h) only copies MapFormValues to its controls and
// back and shows the results.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"
#include "mapping/project_files.h"
#include "mapping/projection.h"

namespace zemba {

// The pages' controls by the field they show: edits by field name (the
// edge flags as "EdgeFlags0".."EdgeFlags11", "Affine0".., "AffineP0"..),
// lists by field name (UtmZone holds the list index, zone - 1), check
// boxes by field name.
struct MapFormValues {
    std::map<std::string, std::string> text;
    std::map<std::string, int> index;
    std::map<std::string, bool> check;
};

// The names of the edits, lists and check boxes the pages hold.
const std::vector<std::string>& MapFormTextFields();
const std::vector<std::string>& MapFormListFields();
const std::vector<std::string>& MapFormCheckFields();

// DisplayMapInfo / SetLayerDataIntoForm.
MapFormValues ShowMapInfo(const MapInfoRec& info);
// GetLayerDataFromForm and the map's accept: every control is parsed
// first; `info` changes only when all are valid. A failure names the
// offending text ("'x' is not a valid floating point value").
Result AcceptMapInfo(const MapFormValues& values, MapInfoRec& info);
// A number as the user typed it: the C form, or with a decimal comma.
bool ParseUserNumber(const std::string& text, double& v);
// General decimal form with up to 15 significant digits.
std::string FormatNumber(double v);

class MapCommands {
public:
    MapCommands(LayerStore& store, MapProject& project, Prompter& prompter, Progress& progress);

    // Program-side hooks, any may be empty.
    std::function<void()> Refresh;                  // ReExtentReFresh of the main window
    std::function<void(const std::string&)> Report;  // a line for the projection messages window
    // An error or a datum warning was reported: the messages window shows
    // itself (parameter reports only go into it).
    std::function<void()> Alert;
    std::function<void(bool)> Busy;                  // long work begins/ends
    std::string StatePlaneDir;                       // empty: the program's directory
    // The project records were replaced (a load, a new blank project, Clear
    // All): the map window shows them.
    std::function<void()> RecordsChanged;

    // Left "Display": MapInfo to the pages.
    MapFormValues DisplayMap() const { return ShowMapInfo(project_.MapInfo); }
    // Left "Accept": the pages into MapInfo (all or nothing), "Projection is
    // Valid" ticked, then the project is saved (SaveMapBtnClick).
    bool AcceptMap(const MapFormValues& values);
    // The save button: the open project, or a new one under a name asked
    // for first. The records are kept as they are, never blanked.
    bool SaveMapBtnClick();
    // Right "Display"/"Accept" for layer list entry k (layer k + 1).
    bool DisplayLayer(int k, MapFormValues& out);
    bool AcceptLayer(int k, const MapFormValues& values);
    // "Project": the layers into MapInfo's system (targetFromPages: the
    // right-button variant, into the system the pages show).
    bool Project(const MapFormValues* targetFromPages = nullptr);
    // "Convert": list entry k to geographic degrees from its own .lpj.
    bool ConvertLayer(int k, bool ignoreDatum, bool ignoreErrors);
    // "DMS to DD" on an edit's text; false (and a message) when not a number.
    bool DmsToDdText(std::string& text);

    // LoadMap for the main window's open command, then the projection for
    // display unless the project says never.
    bool LoadProject(const std::string& file, const LoadMapHooks& hooks);
    // "Save As..." to a .zmp name. A name that is neither the project the
    // records came from nor an existing file starts from the blank project.
    bool SaveProjectAs(const std::string& file);
    // Clear All: the records back to the blank project.
    void ClearProject();
    // After a layer opened: when the .prj beside it names a datum other than
    // the map's, a line says so (the datum list index, -1 when the file
    // names none or there is no .prj).
    int NoteLayerDatum(int layer);

private:
    bool NeedLayers();
    void Say(const std::string& line);
    void Warn(const std::string& line);
    void AlertOn(const ConvertOutcome& o);

    LayerStore& store_;
    MapProject& project_;
    Prompter& prompter_;
    Progress& progress_;
};

// The projection messages window's "Save Log": its lines as a text file.
Result SaveProjectionLog(const std::vector<std::string>& lines, const std::string& path);
// ProjectPath + ProjectName with the extension ".log".
std::string ProjectionLogPath(const LayerStore& store);

}  // namespace zemba
