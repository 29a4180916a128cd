#pragma once
// Hot loops built twice, for AVX2 and for the baseline processor, the loader
// picking the one the processor runs. Integer loops give the same results
// either way; floating-point ones too, as long as no fused multiply-add is
// allowed (AVX2 alone does not allow it).
// The loader runs the resolver that picks the clone before the thread
// sanitizer's runtime is up, and an instrumented resolver does not survive
// that: a thread-sanitizer build has the baseline code only.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__SANITIZE_THREAD__)
#define SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SIMD_CLONES
#endif
