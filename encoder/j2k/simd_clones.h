#pragma once
// Hot loops built twice, for AVX2 and for the baseline processor, the loader
// picking the one the processor runs. Integer loops give the same results
// either way; floating-point ones too, as long as no fused multiply-add is
// allowed (AVX2 alone does not allow it).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define SIMD_CLONES __attribute__((target_clones("avx2", "default")))
// Integer loops that gain from the bit instructions that came with AVX2
// (leading-zero count, shifts by any register): the x86-64-v3 level, which
// the loader tests by features, where a processor name would be tested by
// model.
#define BIT_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define SIMD_CLONES
#define BIT_CLONES
#endif
