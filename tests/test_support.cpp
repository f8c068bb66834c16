#include "tests/test_support.h"

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/shp_reader.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zemba::test {

std::string DataPath(const std::string& name) { return std::string(ZEMBA_TEST_DATA) + "/" + name; }

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "zemba-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void CopySample(const std::string& base, const std::string& dir) {
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj"}) {
        fs::path src = DataPath(base + ext);
        if (fs::exists(src))
            fs::copy_file(src, fs::path(dir) / (fs::path(base).filename().string() + ext),
                          fs::copy_options::overwrite_existing);
    }
}

Answer ScriptedPrompter::Next() {
    if (answers.empty()) return fallback;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

Answer ScriptedPrompter::Message(MsgFamily family, int number, const std::string& value) {
    shown.push_back({family, number, value});
    if (family == MsgFamily::YesNo || family == MsgFamily::YesCancelAll) return Next();
    return Answer::Ok;
}

Answer ScriptedPrompter::AskYesNoText(const std::string& text) {
    shown.push_back({MsgFamily::YesNo, -1, text});
    return Next();
}

Answer ScriptedPrompter::AskSaveChanges(const std::string& text, bool) {
    shown.push_back({MsgFamily::YesCancelAll, -1, text});
    return Next();
}

void ScriptedPrompter::ShowErrorText(const std::string& text) {
    shown.push_back({MsgFamily::Error, -1, text});
}

Answer ScriptedPrompter::AbortRetryIgnore(const std::string& text) {
    shown.push_back({MsgFamily::Warning, -1, text});
    return Next();
}

std::string ScriptedPrompter::ChooseOpenFile(const std::string&, const std::string&,
                                             const std::string&) {
    if (files.empty()) return {};
    std::string f = files.front();
    files.pop_front();
    return f;
}

std::string ScriptedPrompter::ChooseSaveFile(const std::string& a, const std::string& b,
                                             const std::string& c, const std::string&) {
    return ChooseOpenFile(a, b, c);
}

int ScriptedPrompter::Count(MsgFamily family, int number) const {
    int n = 0;
    for (const auto& s : shown)
        if (s.family == family && s.number == number) ++n;
    return n;
}

Result OpenShapefile(LayerStore& store, const std::string& path) {
    SilentPrompter prompter;
    NullProgress progress;
    store.AppendLayerSlot();
    store.LayerFileName = path;
    Result r = ReadShapefile(store, prompter, progress);
    if (r && FileExists(CompanionFile(path, ".dbf"))) r = LoadAttributes(store, store.CurrentLayer, progress);
    if (!r) store.RollBackAppend();
    return r;
}

bool ShellOnTinyDisk(const std::string& dir, int kb, const std::string& cmd, std::string& out) {
    std::string q = cmd;
    for (std::size_t at = 0; (at = q.find('\'', at)) != std::string::npos; at += 4) q.replace(at, 1, "'\\''");
    const std::string probe = Shell("mkdir -p '" + dir + "' && unshare -m sh -c 'mount -t tmpfs -o size=" +
                                    std::to_string(kb) + "k tmpfs \"" + dir + "\" && echo mounted-ok' 2>/dev/null");
    if (probe.find("mounted-ok") == std::string::npos) return false;
    out = Shell("unshare -m sh -c 'mount -t tmpfs -o size=" + std::to_string(kb) + "k tmpfs \"" + dir + "\" && " + q +
                "' 2>&1");
    return true;
}

std::string Shell(const std::string& cmd) {
    std::string out;
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

}  // namespace zemba::test
