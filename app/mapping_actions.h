// The map window, the projection messages window and the conversion window
// as the main window uses them: their help buttons and the positions the
// program options keep for them.
#pragma once

#include "core/ui.h"

class QWidget;

namespace zemba {

class TZeEditForm;
class MappingWindows;
class TTransformer;
struct Options;

// Help for a window's context; a missing or unreadable help file is
// reported through the prompter.
void ShowHelpOrSay(int context, QWidget* from, Prompter& prompter);

// Places the map window where it was last closed (MapPos), and on its close
// keeps the position and writes the options file; the help buttons of both
// windows open their contexts.
void WireMappingWindows(TZeEditForm& window, MappingWindows& mapping, Options& options, Prompter& prompter);

// "Import...": the conversion window, made at its saved position on first
// use, which it updates when it closes.
TTransformer* ShowConversionWindow(TZeEditForm& window, Options& options, Prompter& prompter);

}  // namespace zemba
