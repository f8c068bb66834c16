#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

namespace zemba {

namespace arena_detail {
void* Allocate(std::size_t bytes);
bool Deallocate(void* p);
}  // namespace arena_detail

// An allocator whose value-less construct() default-initialises, so that
// resizing a vector of plain doubles does not zero memory that is about to
// be overwritten anyway.
template <typename T, typename A = std::allocator<T>>
class DefaultInitAllocator : public A {
    using Traits = std::allocator_traits<A>;

public:
    template <typename U>
    struct rebind {
        using other = DefaultInitAllocator<U, typename Traits::template rebind_alloc<U>>;
    };

    using A::A;
    DefaultInitAllocator() = default;
    template <typename U, typename B>
    DefaultInitAllocator(const DefaultInitAllocator<U, B>& other) noexcept : A(other) {}

    // Vertex arrays of a layer being read come from its bulk arena, when
    // one is active (see vertex_arena.h).
    T* allocate(std::size_t n) {
        if (void* p = arena_detail::Allocate(n * sizeof(T))) return static_cast<T*>(p);
        return Traits::allocate(static_cast<A&>(*this), n);
    }
    void deallocate(T* p, std::size_t n) {
        if (!arena_detail::Deallocate(p)) Traits::deallocate(static_cast<A&>(*this), p, n);
    }

    template <typename U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible<U>::value) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        Traits::construct(static_cast<A&>(*this), p, std::forward<Args>(args)...);
    }
};

}  // namespace zemba
