#include "KeystreamKernel.h"

#if defined(__SSE2__) || defined(_M_X64)
#define KORVEL_HAS_SSE2 1
#include <emmintrin.h>
#endif

// The 32-byte form is compiled for every x86 processor and chosen at run time where it runs.
#if defined(KORVEL_HAS_SSE2) && defined(__GNUC__)
#define KORVEL_HAS_AVX2 1
#include <immintrin.h>
#endif

namespace korvel {

void XorKeystreamPortable(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                          std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) data[i] ^= KeystreamByte(codes[i], keys[i]);
}

#ifdef KORVEL_HAS_SSE2

namespace {

inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Where the byte sum wraps, the saturated sum differs from it; those lanes get the carry back.
inline __m128i EndAroundCarrySum(__m128i codes, __m128i keys) {
    const __m128i wrapped = _mm_add_epi8(codes, keys);
    const __m128i saturated = _mm_adds_epu8(codes, keys);
    const __m128i noCarry = _mm_cmpeq_epi8(wrapped, saturated);
    // noCarry lanes are 0xFF; adding it subtracts one, so carried lanes end one higher.
    return _mm_sub_epi8(_mm_add_epi8(wrapped, noCarry), _mm_set1_epi8(-1));
}

inline void XorBlock(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys) {
    const __m128i mixed = _mm_xor_si128(Load(data), EndAroundCarrySum(Load(codes), Load(keys)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(data), mixed);
}

}  // namespace

bool HasVectorKernel() { return true; }

#ifdef KORVEL_HAS_AVX2

namespace {

[[gnu::target("avx2")]] inline __m256i LoadWide(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

[[gnu::target("avx2")]] inline __m256i WideEndAroundCarrySum(__m256i codes, __m256i keys) {
    const __m256i wrapped = _mm256_add_epi8(codes, keys);
    const __m256i saturated = _mm256_adds_epu8(codes, keys);
    const __m256i noCarry = _mm256_cmpeq_epi8(wrapped, saturated);
    return _mm256_sub_epi8(_mm256_add_epi8(wrapped, noCarry), _mm256_set1_epi8(-1));
}

[[gnu::target("avx2")]] inline void XorWideBlock(std::uint8_t* data, const std::uint8_t* codes,
                                                 const std::uint8_t* keys) {
    const __m256i mixed =
        _mm256_xor_si256(LoadWide(data), WideEndAroundCarrySum(LoadWide(codes), LoadWide(keys)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(data), mixed);
}

}  // namespace

bool HasWideVectorKernel() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

[[gnu::target("avx2")]] void XorKeystreamWideVector(std::uint8_t* data, const std::uint8_t* codes,
                                                    const std::uint8_t* keys, std::size_t count) {
    std::size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        XorWideBlock(data + i, codes + i, keys + i);
        XorWideBlock(data + i + 32, codes + i + 32, keys + i + 32);
    }
    XorKeystreamVector(data + i, codes + i, keys + i, count - i);
}

#else

bool HasWideVectorKernel() { return false; }

void XorKeystreamWideVector(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                            std::size_t count) {
    XorKeystreamVector(data, codes, keys, count);
}

#endif

void XorKeystreamVector(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                        std::size_t count) {
    std::size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        XorBlock(data + i, codes + i, keys + i);
        XorBlock(data + i + 16, codes + i + 16, keys + i + 16);
    }
    for (; i + 16 <= count; i += 16) XorBlock(data + i, codes + i, keys + i);
    XorKeystreamPortable(data + i, codes + i, keys + i, count - i);
}

void XorKeystream(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                  std::size_t count) {
    if (HasWideVectorKernel()) {
        XorKeystreamWideVector(data, codes, keys, count);
    } else {
        XorKeystreamVector(data, codes, keys, count);
    }
}

#else

bool HasVectorKernel() { return false; }
bool HasWideVectorKernel() { return false; }

void XorKeystreamWideVector(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                            std::size_t count) {
    XorKeystreamPortable(data, codes, keys, count);
}

void XorKeystreamVector(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                        std::size_t count) {
    XorKeystreamPortable(data, codes, keys, count);
}

void XorKeystream(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                  std::size_t count) {
    XorKeystreamPortable(data, codes, keys, count);
}

#endif

}  // namespace korvel
