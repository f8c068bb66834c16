// The batch script language of zemba-info: the program's own commands, one
// per line (or separated by ';'), run on a store with a view, printing what
// the window would show. Each subject keeps its commands in its own
// script_*.cpp file and registers them with ZEMBA_SCRIPT_COMMAND; the
// commands are thin: they parse their arguments and call the same code the
// windows call.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "app/options.h"
#include "core/layer_store.h"
#include "core/ui.h"
#include "view/tool_controller.h"
#include "view/viewport.h"

namespace zemba {

class MapRenderer;

// A failed command: the message goes to standard error and the run stops
// with exit status 1.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reports go to standard error; questions get `answer` (No by default:
// nothing is overwritten or discarded without being asked for).
class ScriptPrompter : public Prompter {
public:
    Answer answer = Answer::No;
    // The last message shown, for commands that turn a refusal into an error.
    std::string last;
    Answer Message(MsgFamily family, int number, const std::string& value = {}) override;
    Answer AskYesNoText(const std::string& text) override;
    void ShowErrorText(const std::string& text) override;
    Answer AbortRetryIgnore(const std::string& text) override;
    std::string ChooseOpenFile(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string ChooseSaveFile(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
};

struct ScriptSession {
    ScriptSession(std::ostream& out);
    ~ScriptSession();

    std::ostream& out;
    LayerStore store;
    Options options;
    ViewState view;
    MainState state;
    ScriptPrompter prompter;
    NullProgress progress;
    std::unique_ptr<FileCommands> files;
    std::unique_ptr<MapRenderer> renderer;

    // The renderer, made on first use (it needs the Qt application).
    MapRenderer& Renderer();
    // The pointer tools and editing with their undo stack, made on first use.
    std::unique_ptr<ToolController> tools;
    ToolController& Tools();
    // Fails unless a layer is loaded.
    void NeedLayer() const;
};

using ScriptArgs = std::vector<std::string>;
using ScriptFn = std::function<void(ScriptSession&, const ScriptArgs&)>;

struct ScriptCommand {
    std::string name;
    std::string usage;  // "zoom-area X1 Y1 X2 Y2"
    int minArgs = 0;
    int maxArgs = 0;  // -1: any number
    ScriptFn fn;
    // Two commands may share a name: the one whose `accepts` takes the
    // arguments runs, else the one without it.
    std::function<bool(const ScriptArgs&)> accepts;
};

// Adds a command to the language; returns true so it can initialise a static.
bool RegisterScriptCommand(ScriptCommand cmd);
bool RegisterScriptCommand(std::string name, std::string usage, int minArgs, int maxArgs, ScriptFn fn,
                           std::function<bool(const ScriptArgs&)> accepts = {});
const std::vector<ScriptCommand>& ScriptCommands();

#define ZEMBA_SCRIPT_CONCAT2(a, b) a##b
#define ZEMBA_SCRIPT_CONCAT(a, b) ZEMBA_SCRIPT_CONCAT2(a, b)
#define ZEMBA_SCRIPT_COMMAND(...) \
    static const bool ZEMBA_SCRIPT_CONCAT(script_reg_, __LINE__) = ::zemba::RegisterScriptCommand(__VA_ARGS__)

// Splits a script into commands: one a line, ';' also separates, '#' starts
// a comment, double quotes keep blanks (and "" inside them is one quote).
std::vector<ScriptArgs> ParseScript(const std::string& text);

// Runs the commands in order; the first failure throws ScriptError.
void RunScript(ScriptSession& session, const std::vector<ScriptArgs>& commands);

// Number arguments; a text that is not a number is a ScriptError.
double ScriptNumber(const std::string& text);
int ScriptInt(const std::string& text);

}  // namespace zemba
