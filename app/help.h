// The help file "zembahelp.hlp" and its window. The file is plain text
// beside the program, split into sections by numeric help context:
//
//   @context 0 Contents
//   <p>Any HTML the help window can show ...</p>
//   @context 100 The main window
//   ...
//
// Lines before the first "@context" and lines starting with "#" are
// comments. Links between sections are written <a href="#ctx8000">.
#pragma once

#include <string>
#include <vector>

#include "core/ui.h"

class QWidget;

namespace zemba {

constexpr const char* kHelpFileName = "zembahelp.hlp";

// Help contexts of the main window and the windows without a context of
// their own.
constexpr int kHelpContents = 0;
constexpr int kHelpMainWindow = 100;
constexpr int kHelpOptions = 200;
constexpr int kHelpMessages = 300;

struct HelpSection {
    int context = 0;
    std::string title;
    std::string body;  // HTML
};

// Splits help file text into its sections, in file order. A malformed
// "@context" line (no number) is kept as body text.
std::vector<HelpSection> ParseHelpFile(const std::string& text);

// One HTML page of all sections, each headed by an anchor "ctx<context>",
// with a contents list of links at the top.
std::string HelpHtml(const std::vector<HelpSection>& sections);

// The help file used by ShowHelp; by default "zembahelp.hlp" in the
// program's directory. An empty path turns help off.
void SetHelpFile(const std::string& path);
const std::string& HelpFile();

// Opens (or raises) the help window at `context`; an unknown context shows
// the contents. Fails with a reason when there is no help file or it cannot
// be read; the caller shows it.
Result ShowHelp(int context, QWidget* parent = nullptr);

}  // namespace zemba
