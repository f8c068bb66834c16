// Shared helpers for the test programs.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/ui.h"

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba::test {

// Path of a file in tests/data.
std::string DataPath(const std::string& name);

// A fresh, empty directory removed when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
// Runs the shell command `cmd` with `dir` (created if need be) on a file
// system of its own that holds only `kb` kilobytes: a full disk. False when
// this machine cannot make one (no private mounts), and the test skips.
bool ShellOnTinyDisk(const std::string& dir, int kb, const std::string& cmd, std::string& out);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Copies tests/data/<base>.shp/.shx/.dbf (those that exist) into dir.
void CopySample(const std::string& base, const std::string& dir);

// Records every message and question, answering from a script (or with
// `fallback` when the script is empty).
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        MsgFamily family;
        int number;
        std::string value;  // catalogue value, or the free text
    };
    std::vector<Shown> shown;
    std::deque<Answer> answers;
    std::deque<std::string> files;
    Answer fallback = Answer::No;

    Answer Message(MsgFamily family, int number, const std::string& value = {}) override;
    Answer AskYesNoText(const std::string& text) override;
    Answer AskSaveChanges(const std::string& text, bool withAll) override;
    void ShowErrorText(const std::string& text) override;
    Answer AbortRetryIgnore(const std::string& text) override;
    std::string ChooseOpenFile(const std::string&, const std::string&, const std::string&) override;
    std::string ChooseSaveFile(const std::string&, const std::string&, const std::string&,
                               const std::string&) override;

    // Number of catalogue messages shown of this family and number.
    int Count(MsgFamily family, int number) const;

private:
    Answer Next();
};

// Opens a shapefile into a new layer slot as the open command does, with
// its table when there is one; the slot is rolled back on failure.
Result OpenShapefile(LayerStore& store, const std::string& path);

// Standard output of a shell command.
std::string Shell(const std::string& cmd);

}  // namespace zemba::test
