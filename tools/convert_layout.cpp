// zemba-convert layout: a map project's stored print layout as a PDF, on
// the print layout's own code.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/attributes.h"
#include "core/shp_reader.h"
#include "mapping/map_commands.h"
#include "output/project_pdf.h"
#include "tools/convert_command.h"
#include "view/renderer.h"

namespace zemba {
namespace {

class StderrPrompter : public SilentPrompter {
public:
    StderrPrompter() : SilentPrompter(Answer::No) {}
    Answer Message(MsgFamily, int number, const std::string& value) override {
        static const char* const kKnown[] = {"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
                                             "", "", "file not loaded", "Database file not found"};
        const std::string text = number >= 0 && number <= 20 && *kKnown[number] ? kKnown[number]
                                                                                  : "message " + std::to_string(number);
        ConvertError(text + (value.empty() ? "" : ": " + value));
        return Answer::No;
    }
    void ShowErrorText(const std::string& text) override { ConvertError(text); }
};

int Run(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        ConvertError("usage: zemba-convert layout PROJECT.zmp OUT.pdf");
        return 2;
    }
    // Painting needs a GUI application; no display is used.
    static int argc = 3;
    static char name[] = "zemba-convert", opt[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, opt, platform, nullptr};
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) app = std::make_unique<QGuiApplication>(argc, argv);

    LayerStore store;
    store.ClearAll();
    ViewState view;
    MapProject project;
    StderrPrompter prompter;
    NullProgress progress;
    MapCommands maps(store, project, prompter, progress);
    MapRenderer renderer(store, view);
    LoadMapHooks hooks;
    hooks.LoadBackground = [&renderer](const std::string& path) {
        QImage img(QString::fromLocal8Bit(path.c_str()));
        if (img.isNull()) return Result::Fail("not a picture");
        renderer.SetBaseImage(img);
        return Result::Ok();
    };
    hooks.OpenLayer = [&] {
        store.AppendLayerSlot();
        Result r = ReadShapefile(store, prompter, progress);
        if (r) r = LoadAttributes(store, store.CurrentLayer, progress);
        if (!r) {
            store.RollBackAppend();
            ConvertError(store.LayerFileName + ": " + r.reason);
        }
        return r.ok;
    };
    if (!maps.LoadProject(args[0], hooks)) return 1;
    if (store.LayerCount <= 0) {
        ConvertError(args[0] + ": none of the project's layers could be opened");
        return 1;
    }
    Result r = WriteLayoutPdf(store, view, renderer, project, prompter, args[1]);
    if (!r) {
        ConvertError(r.reason);
        return 1;
    }
    std::printf("Wrote %s\n", args[1].c_str());
    return 0;
}

ZEMBA_CONVERT_COMMAND("layout", "layout PROJECT.zmp OUT.pdf   (the project's stored print layout as a PDF)", Run);

}  // namespace
}  // namespace zemba
