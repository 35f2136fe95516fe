#pragma once
// An allocator whose containers leave new elements of trivial types as they find them instead of
// zeroing them: a list of millions that its writers fill at once, on several threads, is then
// touched once, by them, and its pages are faulted in side by side rather than first by one
// thread that only writes zeros over them.

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

template <class T> class KTDefaultInitAllocator : public std::allocator<T>
{
public:
    using value_type = T;
    template <class U> struct rebind
    {
        using other = KTDefaultInitAllocator<U>;
    };

    KTDefaultInitAllocator() noexcept = default;
    template <class U> KTDefaultInitAllocator(const KTDefaultInitAllocator<U>&) noexcept {}

    template <class U> void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
