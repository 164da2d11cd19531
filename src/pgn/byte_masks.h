// Bit masks of the bytes the tag reader looks for in a window of 32 or 64 bytes of the file:
// bit k of a mask is set when byte k of the window is that byte. With SSE2 they take a few
// vector compares per window (every x86-64 processor has SSE2); elsewhere a plain loop gives
// the same masks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// The masks are taken once per tag and once per look back for a brace: a call each time would
// cost as much as the compares.
#if defined(__GNUC__)
#define VARNOK_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VARNOK_ALWAYS_INLINE inline
#endif

namespace varnok::bytemasks {

constexpr std::size_t WINDOW = 64; // bytes per window at most, one bit each in a 64-bit mask

// Between tags, whether a "[" stands in a comment depends on the braces before it.
struct BraceMasks {
    std::uint64_t open; // "{"
    std::uint64_t close; // "}"
};

// Within a tag: the double quotes that end its parts, and the bytes that make a part read
// differently (a zero byte ends it as in a C string; "\r" may belong to a line end).
struct TagMasks {
    std::uint64_t quote; // '"'
    std::uint64_t zero; // '\0'
    std::uint64_t carriageReturn; // '\r'
};

// The mask of each wanted byte in the first `Bytes` bytes of the window (16, 32, 48 or 64),
// all of them readable; higher bits are 0.
#if defined(__SSE2__) || defined(_M_X64)
template <std::size_t Bytes, char... Wanted>
VARNOK_ALWAYS_INLINE std::array<std::uint64_t, sizeof...(Wanted)> masksOf(const char* window)
{
    constexpr std::size_t LANES = Bytes / 16;
    __m128i lanes[LANES];
    for (std::size_t n = 0; n < LANES; ++n) {
        lanes[n] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window + 16 * n));
    }
    auto maskOf = [&lanes](char byte) {
        const __m128i wanted = _mm_set1_epi8(byte);
        std::uint64_t mask = 0;
        for (std::size_t n = 0; n < LANES; ++n) {
            const auto bits
                = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(lanes[n], wanted)));
            mask |= std::uint64_t { bits } << (16 * n);
        }
        return mask;
    };
    return { maskOf(Wanted)... };
}
#else
template <std::size_t Bytes, char... Wanted>
VARNOK_ALWAYS_INLINE std::array<std::uint64_t, sizeof...(Wanted)> masksOf(const char* window)
{
    auto maskOf = [window](char byte) {
        std::uint64_t mask = 0;
        for (std::size_t k = 0; k < Bytes; ++k) {
            mask |= window[k] == byte ? std::uint64_t { 1 } << k : 0;
        }
        return mask;
    };
    return { maskOf(Wanted)... };
}
#endif

// The masks of the 64 bytes from `window` on; all 64 must be readable.
VARNOK_ALWAYS_INLINE BraceMasks braceMasks(const char* window)
{
    const auto m = masksOf<WINDOW, '{', '}'>(window);
    return BraceMasks { m[0], m[1] };
}

// The masks of the first `Bytes` bytes from `window` on (32 or 64), all of them readable.
template <std::size_t Bytes> VARNOK_ALWAYS_INLINE TagMasks tagMasks(const char* window)
{
    const auto m = masksOf<Bytes, '"', '\0', '\r'>(window);
    return TagMasks { m[0], m[1], m[2] };
}

// Index of the lowest and of the highest set bit; `bits` is not 0.
inline int lowestBit(std::uint64_t bits)
{
#if defined(__GNUC__)
    return __builtin_ctzll(bits);
#else
    int k = 0;
    while ((bits & 1) == 0) {
        bits >>= 1;
        ++k;
    }
    return k;
#endif
}

inline int highestBit(std::uint64_t bits)
{
#if defined(__GNUC__)
    return 63 - __builtin_clzll(bits);
#else
    int k = 63;
    while ((bits >> k) == 0) {
        --k;
    }
    return k;
#endif
}

// Bits 0 .. n-1, for n from 0 to 64.
inline std::uint64_t lowBits(std::size_t n)
{
    return n >= WINDOW ? ~std::uint64_t { 0 } : (std::uint64_t { 1 } << n) - 1;
}

} // namespace varnok::bytemasks
