// Replaces the global allocation functions of this test program so that a
// test can make large allocations fail and reach the out-of-memory paths.
#include <cstdlib>
#include <new>

std::size_t g_failAllocationsFrom = 0; // 0: nothing fails

void* operator new(std::size_t n)
{
    if (g_failAllocationsFrom != 0 && n >= g_failAllocationsFrom)
        throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

// The nothrow forms (used by std::stable_sort's buffer, among others) must
// come from the same allocator as the replaced delete.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(n);
    } catch (...) {
        return nullptr;
    }
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    ::operator delete(p);
}
