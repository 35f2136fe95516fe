#include "platform/KTMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

void KTTuneAllocator()
{
#ifdef __GLIBC__
    // Setting a threshold fixes the size from which blocks are mapped at its default.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}
