// Subcommands of zemba-convert. Each conversion keeps its subcommand in its
// own convert_*.cpp file and registers it with ZEMBA_CONVERT_COMMAND.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zemba {

struct ConvertCommand {
    std::string name;   // "dlg2shp"
    std::string usage;  // one or more lines, shown by --help
    // Arguments after the subcommand's name; returns the exit status.
    std::function<int(const std::vector<std::string>& args)> run;
};

bool RegisterConvertCommand(ConvertCommand cmd);
const std::vector<ConvertCommand>& ConvertCommands();

// "zemba-convert: " + text on standard error.
void ConvertError(const std::string& text);

#define ZEMBA_CONVERT_CONCAT2(a, b) a##b
#define ZEMBA_CONVERT_CONCAT(a, b) ZEMBA_CONVERT_CONCAT2(a, b)
#define ZEMBA_CONVERT_COMMAND(...) \
    static const bool ZEMBA_CONVERT_CONCAT(convert_reg_, __LINE__) = ::zemba::RegisterConvertCommand({__VA_ARGS__})

}  // namespace zemba
