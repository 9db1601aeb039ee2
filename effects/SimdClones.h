// Hot pixel loops are compiled twice, for AVX2 and for the baseline, and the
// loader picks the one the processor runs. Integer code and float code
// without contraction give the same bytes in both. FV_BASELINE_ONLY keeps
// the baseline alone, for the tests.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(FV_BASELINE_ONLY)
#define FV_SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define FV_SIMD_CLONES
#endif
