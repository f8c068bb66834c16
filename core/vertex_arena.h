// Bulk memory for the vertex arrays of a layer being read.
//
// A freshly read layer fills hundreds of megabytes of new memory, and on many
// machines taking that memory from the system (one page fault per page)
// costs more than reading the file. While a VertexArena is active on this
// thread, vertex arrays are carved from one mapping that a helper thread
// faults in ahead of the reader. The arrays stay ordinary vectors: growing
// or copying one later takes heap memory as usual, and the mapping goes back
// to the system when the last array in it is released.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zemba {

class VertexArena {
public:
    struct Region {
        void* data;
        std::size_t bytes;
    };
    // Reserves `bytes` (rounded up to pages) and starts faulting them in,
    // after the other regions named (memory the reader is about to fill).
    explicit VertexArena(std::uint64_t bytes, std::vector<Region> alsoFault = {});
    // Stops handing out memory; returns the unused tail to the system.
    ~VertexArena();
    VertexArena(const VertexArena&) = delete;
    VertexArena& operator=(const VertexArena&) = delete;

    struct Block;

private:
    Block* block_ = nullptr;
};

namespace arena_detail {
// Memory from the active arena of this thread, or nullptr.
void* Allocate(std::size_t bytes);
// True when p came from an arena (and is now released to it).
bool Deallocate(void* p);
}  // namespace arena_detail

}  // namespace zemba
