// The options file decoder over arbitrary bytes; what it accepts must encode
// back to a file of the same size.
#include <string>

#include "app/options.h"

using namespace zemba;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    Options o;
    Result r = DecodeOptions(bytes, o);
    if (r && EncodeOptions(o).size() != 5168) __builtin_trap();
    return 0;
}
