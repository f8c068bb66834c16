#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace zemba::fuzz {

// A scratch file per process, rewritten for every input.
inline std::string ScratchPath(const char* ext) {
    static const std::string dir = [] {
        std::string d = "/tmp/zemba-fuzz-" + std::to_string(getpid());
        mkdir(d.c_str(), 0700);
        return d;
    }();
    return dir + "/in" + ext;
}

inline void Put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace zemba::fuzz
