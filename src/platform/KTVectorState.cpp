#include "platform/KTVectorState.h"

void KTClearUpperVectorState()
{
#if defined(__x86_64__) || defined(__i386__)
    // VZEROUPPER exists only with AVX; a processor without AVX has no upper halves to clear.
    static const bool hasAvx = __builtin_cpu_supports("avx");
    // The instruction changes every vector register's upper half: named as clobbered, so that no
    // compiler keeps a wide value in one across it, inlined or not.
    if (hasAvx) {
#if defined(__x86_64__)
        __asm__ volatile("vzeroupper" ::: "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8",
                         "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
#else
        __asm__ volatile("vzeroupper" ::: "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7");
#endif
    }
#endif
}
