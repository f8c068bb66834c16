#include "core/vertex_arena.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace zemba {

struct VertexArena::Block {
    char* base = nullptr;
    std::size_t size = 0;
    std::size_t used = 0;
    std::size_t live = 0;   // arrays still holding memory of this block
    bool active = true;     // still handing out memory
    std::thread populate;
    std::atomic<bool> stop{false};
};

namespace {

std::mutex g_mutex;
std::vector<VertexArena::Block*> g_blocks;  // every block with memory mapped
thread_local VertexArena::Block* t_active = nullptr;

void Unmap(VertexArena::Block* b) {
    if (b->base) munmap(b->base, b->size);
    delete b;
}

}  // namespace

VertexArena::VertexArena(std::uint64_t bytes, std::vector<Region> alsoFault) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    if (bytes < (16u << 20) || t_active) return;  // small reads gain nothing
    std::size_t size = (static_cast<std::size_t>(bytes) + page - 1) / page * page;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return;
    block_ = new Block;
    block_->base = static_cast<char*>(p);
    block_->size = size;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_blocks.push_back(block_);
    }
    t_active = block_;
    Block* b = block_;
    // Fault the pages in ahead of the reader, a few megabytes at a time.
    b->populate = std::thread([b, regions = std::move(alsoFault), page] {
        for (const Region& r : regions) {
            // Whole pages inside the region only: the edges may be shared
            // with other heap memory, which is left alone.
            auto start = (reinterpret_cast<std::uintptr_t>(r.data) + page - 1) / page * page;
            auto end = (reinterpret_cast<std::uintptr_t>(r.data) + r.bytes) / page * page;
            if (r.data && end > start)
                madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
        }
        const std::size_t step = 4u << 20;
        for (std::size_t off = 0; off < b->size && !b->stop.load(std::memory_order_relaxed); off += step) {
            if (madvise(b->base + off, std::min(step, b->size - off), MADV_POPULATE_WRITE) != 0) break;
        }
    });
}

VertexArena::~VertexArena() {
    if (!block_) return;
    block_->stop.store(true);
    block_->populate.join();
    t_active = nullptr;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::lock_guard<std::mutex> lock(g_mutex);
    block_->active = false;
    if (block_->live == 0) {
        g_blocks.erase(std::find(g_blocks.begin(), g_blocks.end(), block_));
        Unmap(block_);
        return;
    }
    // Give back the pages no array uses.
    std::size_t keep = (block_->used + page - 1) / page * page;
    if (keep < block_->size) madvise(block_->base + keep, block_->size - keep, MADV_DONTNEED);
}

namespace arena_detail {

void* Allocate(std::size_t bytes) {
    VertexArena::Block* b = t_active;
    if (!b) return nullptr;
    std::size_t need = (bytes + 15) & ~static_cast<std::size_t>(15);
    std::lock_guard<std::mutex> lock(g_mutex);
    if (need > b->size - b->used) return nullptr;
    void* p = b->base + b->used;
    b->used += need;
    ++b->live;
    return p;
}

bool Deallocate(void* p) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_blocks.empty()) return false;
    char* c = static_cast<char*>(p);
    for (auto it = g_blocks.begin(); it != g_blocks.end(); ++it) {
        VertexArena::Block* b = *it;
        if (c < b->base || c >= b->base + b->size) continue;
        if (--b->live == 0 && !b->active) {
            g_blocks.erase(it);
            Unmap(b);
        }
        return true;
    }
    return false;
}

}  // namespace arena_detail

}  // namespace zemba
