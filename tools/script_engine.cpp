// The script runner: parsing, the command table and the session.
#include <QGuiApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/messages.h"
#include "tools/script.h"
#include "view/renderer.h"

namespace zemba {

namespace {
std::vector<ScriptCommand>& Table() {
    static std::vector<ScriptCommand> commands;
    return commands;
}
std::vector<std::string>& Duplicates() {
    static std::vector<std::string> names;
    return names;
}
}  // namespace

bool RegisterScriptCommand(ScriptCommand cmd) {
    // A second command of a name would silently hide one of the two.
    for (const ScriptCommand& c : Table())
        if (c.name == cmd.name) {
            Duplicates().push_back(cmd.name);
            return false;
        }
    Table().push_back(std::move(cmd));
    return true;
}

const std::vector<std::string>& DuplicateScriptCommands() { return Duplicates(); }

const std::vector<ScriptCommand>& ScriptCommands() { return Table(); }

Answer ScriptPrompter::Message(MsgFamily family, int number, const std::string& value) {
    // The catalogue's own text, with the reason the caller gave.
    std::string text = MessageText(family, number, value);
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, ": ");
    last = "message " + std::to_string(number) + (text.empty() ? (value.empty() ? "" : ": " + value) : ": " + text);
    std::fprintf(stderr, "zemba-info: %s\n", last.c_str());
    return answer;
}

Answer ScriptPrompter::AskYesNoText(const std::string& text) {
    last = text;
    std::fprintf(stderr, "zemba-info: %s\n", text.c_str());
    return answer;
}

void ScriptPrompter::ShowErrorText(const std::string& text) {
    last = text;
    std::fprintf(stderr, "zemba-info: %s\n", text.c_str());
}

Answer ScriptPrompter::AbortRetryIgnore(const std::string& text) {
    last = text;
    std::fprintf(stderr, "zemba-info: %s\n", text.c_str());
    return Answer::Abort;
}

ScriptSession::ScriptSession(std::ostream& o) : out(o) {
    // The window redraws after an open, which also sets the view scale from
    // the extent; a batch run needs the scale, not the picture.
    FileHooks hooks;
    hooks.Redraw = [this] { UpdateViewScale(store, view); };
    hooks.FirstLayerOpened = [this] { FitToLayer(store, view, 1); };
    hooks.ResetView = [this] {
        view.ViewScale = 1;
        view.RubberBandActive = false;
    };
    files = std::make_unique<FileCommands>(store, options, prompter, progress, state, std::move(hooks));
}

ScriptSession::~ScriptSession() = default;

MapRenderer& ScriptSession::Renderer() {
    if (!renderer) renderer = std::make_unique<MapRenderer>(store, view);
    return *renderer;
}

void ScriptSession::NeedLayer() const {
    if (store.LayerCount < 1) throw ScriptError("no layer is loaded");
}

std::vector<ScriptArgs> ParseScript(const std::string& text) {
    std::vector<ScriptArgs> result;
    ScriptArgs cur;
    std::string word;
    bool inWord = false, quoted = false;
    auto endWord = [&] {
        if (inWord) cur.push_back(word);
        word.clear();
        inWord = false;
    };
    auto endCommand = [&] {
        endWord();
        if (!cur.empty()) result.push_back(cur);
        cur.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    word += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                word += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == '\n' || c == '\r' || c == ';') {
            endCommand();
        } else if (c == '#' && !inWord) {
            while (i + 1 < text.size() && text[i + 1] != '\n' && text[i + 1] != '\r') ++i;
        } else if (c == ' ' || c == '\t') {
            endWord();
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) throw ScriptError("unbalanced quote");
    endCommand();
    return result;
}

void RunScript(ScriptSession& session, const std::vector<ScriptArgs>& commands) {
    for (const ScriptArgs& line : commands) {
        const std::string& name = line[0];
        const ScriptCommand* found = nullptr;
        for (const ScriptCommand& c : ScriptCommands())
            if (c.name == name) {
                found = &c;
                break;
            }
        if (!found) throw ScriptError("unknown command \"" + name + "\"");
        ScriptArgs args(line.begin() + 1, line.end());
        const int n = static_cast<int>(args.size());
        if (n < found->minArgs || (found->maxArgs >= 0 && n > found->maxArgs))
            throw ScriptError("usage: " + found->usage);
        try {
            found->fn(session, args);
        } catch (const ScriptError& e) {
            throw ScriptError(name + ": " + e.what());
        }
    }
}

double ScriptNumber(const std::string& text) {
    const char* s = text.c_str();
    char* end = nullptr;
    double v = std::strtod(s, &end);
    if (text.empty() || end == s || *end != '\0' || !std::isfinite(v))
        throw ScriptError("\"" + text + "\" is not a number");
    return v;
}

int ScriptInt(const std::string& text) {
    double v = ScriptNumber(text);
    if (v != std::floor(v) || v < -2147483647.0 || v > 2147483647.0)
        throw ScriptError("\"" + text + "\" is not a whole number");
    return static_cast<int>(v);
}

}  // namespace zemba
