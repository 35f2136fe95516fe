#include "platform/KTVectorState.h"

void KTClearUpperVectorState()
{
#if defined(__x86_64__) || defined(__i386__)
    // VZEROUPPER exists only with AVX; a processor without AVX has no upper halves to clear.
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        __asm__ volatile("vzeroupper");
#endif
}
