// What the splash, about and system information windows tell: the
// program's name, version and build, the libraries it was built with and
// the files it uses.
#pragma once

#include <string>
#include <vector>

#include "app/options.h"
#include "core/ui.h"

namespace zemba {

// What the about and system information windows are handed; all of it
// outlives them. They keep their positions in the options and write the
// options file when they close.
struct InfoWindowSetup {
    Options* options = nullptr;
    Prompter* prompter = nullptr;
    std::string optionsPath;  // empty: nothing is written
    std::string programDir;
};

struct InfoLine {
    std::string name;
    std::string value;
};

// "0.1".
std::string ProgramVersion();
// "ZEMBA 0.1".
std::string ProgramTitle();
// Build type, compiler and date.
std::string BuildDescription();

// Name, version, build and the libraries (Qt at run time and at build
// time, shapelib, GCTP, SQLite), then the options file in use.
std::vector<InfoLine> ProgramInfo(const std::string& optionsPath);

// ProgramInfo and the machine: system, processor, screen, Qt platform,
// locale, program and help file folders.
std::vector<InfoLine> SystemInfo(const std::string& optionsPath, const std::string& programDir);

// "name: value" lines, for copying to the clipboard or a report.
std::string InfoText(const std::vector<InfoLine>& lines);

}  // namespace zemba
