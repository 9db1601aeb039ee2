// Row kernels marked with this are compiled twice, for the baseline and for
// AVX2, and the better one is picked when the program starts. The kernels
// are integer-only or free of contractions, so both give the same bytes;
// AVX2 lets the compiler vectorise the 3-byte pixel layout. FV_BASELINE_ONLY
// keeps the baseline alone, for the tests.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(FV_BASELINE_ONLY)
#define FV_VECTOR_CLONES __attribute__((target_clones("default", "avx2")))
#else
#define FV_VECTOR_CLONES
#endif
