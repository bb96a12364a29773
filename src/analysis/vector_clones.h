// KELTORA_VECTOR_CLONES before a function: GCC builds it also for processors with AVX
// and picks the build when the program starts. Only for loops of divisions, square roots,
// additions and multiplications (no fused multiply-add): each is exact to the last bit at
// every vector width, so the results do not depend on the build that runs.
#pragma once

// KELTORA_NO_VECTOR_CLONES builds the baseline alone (to compare the two).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) &&                             \
    !defined(__SANITIZE_ADDRESS__) && !defined(KELTORA_NO_VECTOR_CLONES)
#define KELTORA_VECTOR_CLONES __attribute__((target_clones("avx", "default")))
#else
#define KELTORA_VECTOR_CLONES
#endif
