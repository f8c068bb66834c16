#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace zemba {

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
