// Memory straight from the operating system, for the drawing layer's pixel
// buffers. Plain types only: the implementation includes the C library's
// and the system's own headers, which must not meet the framework's
// declarations.
#pragma once

#include <cstddef>

namespace vxsys {

// `bytes` of zero-filled, readable and writable pages that cost nothing until
// written and go back to the system at FreePages; null when none are left.
void *AllocPages(size_t bytes);
void FreePages(void *pages, size_t bytes);

// `bytes` of uninitialised memory aligned to `alignment` (a power of two, a
// multiple of the pointer size); free it with FreeAligned only.
void *AllocAligned(size_t alignment, size_t bytes);
void FreeAligned(void *memory);

} // namespace vxsys
