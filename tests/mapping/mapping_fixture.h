// Helpers of the mapping tests: opening layers as the main window does and
// asking PROJ's command-line tools for reference values.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "core/attributes.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "core/ui.h"
#include "tests/test_support.h"

namespace zemba::test {

inline bool OpenLayer(LayerStore& store, const std::string& path) { return OpenShapefile(store, path).ok; }

// Output of a shell command fed with `input`.
inline std::string RunWithInput(const std::string& cmd, const std::string& input) {
    TempDir dir;
    WriteFileBytes(dir.file("in.txt"), input);
    std::string out;
    if (std::FILE* p = ::popen((cmd + " < " + dir.file("in.txt") + " 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Numbers of each output line (PROJ's tools print tabs and blanks).
inline std::vector<std::vector<double>> Numbers(const std::string& text) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::vector<double> row;
        std::string tok;
        while (ls >> tok) {
            try {
                row.push_back(std::stod(tok));
            } catch (...) {
            }
        }
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

}  // namespace zemba::test
