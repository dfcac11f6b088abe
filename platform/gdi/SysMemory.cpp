#include "platform/gdi/SysMemory.h"

#ifdef _WIN32
#include <cstdlib>
#include <malloc.h>
#else
#include <cstdlib>
#include <sys/mman.h>
#endif

namespace vxsys {

#ifdef _WIN32

// The C runtime's heap takes blocks this large straight from the system as
// zeroed pages, and gives them back when they are freed.
void *AllocPages(size_t bytes) {
    return std::calloc(1, bytes);
}
void FreePages(void *pages, size_t) {
    std::free(pages);
}
// The C runtime has no aligned_alloc: its memory may not go to free().
void *AllocAligned(size_t alignment, size_t bytes) {
    return _aligned_malloc(bytes, alignment);
}
void FreeAligned(void *memory) {
    _aligned_free(memory);
}

#else

void *AllocPages(size_t bytes) {
    void *pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}
void FreePages(void *pages, size_t bytes) {
    if (pages)
        munmap(pages, bytes);
}
void *AllocAligned(size_t alignment, size_t bytes) {
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
}
void FreeAligned(void *memory) {
    std::free(memory);
}

#endif

} // namespace vxsys
