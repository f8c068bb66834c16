// The main window as the tests make it: a program folder of its own, a
// scripted prompter and the options file written there.
#pragma once

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/options.h"
#include "app/qt_progress.h"
#include "core/layer_store.h"
#include "tests/test_support.h"

namespace zemba::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "zemba_app_tests";
    static char* argv[] = {name, nullptr};
    if (auto* running = qobject_cast<QApplication*>(QApplication::instance())) return *running;
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// `P` is the prompter the window talks through (a ScriptedPrompter or one
// that records more).
template <class P = ScriptedPrompter>
struct BasicMainWindowFixture {
    TempDir dir;
    LayerStore store;
    Options options;
    P prompter;
    QtProgress progress;
    MainWindowSetup setup;
    std::unique_ptr<TZeEditForm> form;

    explicit BasicMainWindowFixture(int depth = 24) {
        App();
        setup.store = &store;
        setup.options = &options;
        setup.prompter = &prompter;
        setup.progress = &progress;
        setup.programDir = dir.path() + "/";
        setup.optionsPath = dir.file("zemba.pof");
        setup.screenDepth = depth;
        form = std::make_unique<TZeEditForm>(setup);
    }
    // A sample copied into the program folder; returns its .shp path.
    std::string Sample(const std::string& base) {
        CopySample(base, dir.path());
        return dir.file(std::filesystem::path(base).filename().string() + ".shp");
    }
};

using MainWindowFixture = BasicMainWindowFixture<>;

}  // namespace zemba::test
