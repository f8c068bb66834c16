// zemba-convert: file conversions from the command line, on the same code as
// the conversion window.
//
//   zemba-convert SUBCOMMAND [ARGS...]
//   zemba-convert --help
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "tools/convert_command.h"

namespace zemba {

std::vector<ConvertCommand>& Registry() {
    static std::vector<ConvertCommand> commands;
    return commands;
}

bool RegisterConvertCommand(ConvertCommand cmd) {
    Registry().push_back(std::move(cmd));
    return true;
}

const std::vector<ConvertCommand>& ConvertCommands() { return Registry(); }

void ConvertError(const std::string& text) { std::fprintf(stderr, "zemba-convert: %s\n", text.c_str()); }

}  // namespace zemba

using namespace zemba;

static int Usage(std::FILE* to, int status) {
    std::fprintf(to, "usage: zemba-convert SUBCOMMAND [ARGS...]\n");
    for (const ConvertCommand& c : ConvertCommands()) std::fprintf(to, "  %s\n", c.usage.c_str());
    return status;
}

static int Main(int argc, char** argv);

// A failed allocation ends the command with its file named, not an abort.
int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        ConvertError(OutOfMemoryText());
        return 1;
    }
}

static int Main(int argc, char** argv) {
    if (argc < 2) return Usage(stderr, 2);
    std::string name = argv[1];
    if (name == "-h" || name == "--help") return Usage(stdout, 0);
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const ConvertCommand& c : ConvertCommands())
        if (c.name == name) return c.run(args);
    ConvertError("unknown subcommand \"" + name + "\"");
    return Usage(stderr, 2);
}
