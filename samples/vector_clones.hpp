// Sample loops are compiled once for the baseline processor and again for
// wider vector units; the loader picks the widest the machine has. The
// byte swaps need at least SSSE3 to vectorise, so the baseline copy runs a
// sample at a time.
#pragma once

#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(__clang__)
#define TARNVIK_X86_DISPATCH 1
#define TARNVIK_VECTOR_CLONES \
    __attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
// AVX-512 with its leading-zero count, for loops that use it.
#define TARNVIK_AVX512 __attribute__((target("arch=x86-64-v4")))
#else
#define TARNVIK_X86_DISPATCH 0
#define TARNVIK_VECTOR_CLONES
#endif
