// Shared set-up of the output tests: a Qt application for fonts, pictures
// and painting, a project with the sample layer, and a fixed-size measurer.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#include "core/attributes.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "mapping/map_commands.h"
#include "mapping/project_files.h"
#include "output/layout.h"
#include "output/legend.h"
#include "tests/test_support.h"

namespace zemba::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "zemba_output_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)app;
    return *static_cast<QApplication*>(QApplication::instance());
}

inline bool OpenSample(LayerStore& store, const std::string& path) {
    SilentPrompter prompter;
    NullProgress progress;
    store.LayerFileName = path;
    store.AppendLayerSlot();
    Result r = ReadShapefile(store, prompter, progress);
    if (r) r = LoadAttributes(store, store.CurrentLayer, progress);
    if (!r) store.RollBackAppend();
    return r.ok;
}

// Every line is 7 characters wide a character and 40 units high.
class FixedMeasurer : public TextMeasurer {
public:
    void Measure(const FontDesc&, const std::string& line, double& w, double& h) override {
        measured.push_back(line);
        w = 7.0 * static_cast<double>(line.size());
        h = 40;
    }
    std::vector<std::string> measured;
};

// A project with one layer, saved in a temporary directory.
struct ProjectFixture {
    TempDir dir;
    LayerStore store;
    MapProject project;
    ScriptedPrompter prompter;
    NullProgress progress;
    MapCommands maps{store, project, prompter, progress};
    std::string file;

    ProjectFixture() {
        CopySample("nc", dir.path());
        store.ClearAll();
        EXPECT_TRUE(OpenSample(store, dir.file("nc.shp")));
        project.MapInfo.NeverProjected = 1;
        file = dir.file("nc.zmp");
        EXPECT_TRUE(maps.SaveProjectAs(file));
    }
};

// A small BMP of w x h pixels.
void WriteBmp(const std::string& path, int w, int h);

}  // namespace zemba::test
