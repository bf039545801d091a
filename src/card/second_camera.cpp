#include "card/second_camera.h"

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <tmmintrin.h>
#define SECOND_CAMERA_SSSE3 1
#endif

namespace {

inline uint8_t blackened(uint8_t value)
{
    return value < 18 ? 0 : value;
}

// count pixels: s runs 2 bytes per pixel, p 1, d 3.
void convertRun(const uint8_t* s, const uint8_t* p, uint8_t* d, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        d[0] = blackened(p[0]);
        d[1] = blackened(s[1]);
        d[2] = blackened(s[4]);
        d += 3;
        p += 1;
        s += 2;
    }
}

#ifdef SECOND_CAMERA_SSSE3

// 16 pixels at a time: the same bytes as convertRun, read from the same places.
__attribute__((target("ssse3"))) void convertRunSsse3(const uint8_t* s, const uint8_t* p,
                                                      uint8_t* d, uint32_t count)
{
    // Where each output byte of 16 pixels comes from: 48 bytes, blue, green,
    // red in turn, in three vectors of 16; -128 picks nothing.
    alignas(16) static const int8_t interleave[3][3][16] = {
        {{0, -128, -128, 1, -128, -128, 2, -128, -128, 3, -128, -128, 4, -128, -128, 5},
         {-128, 0, -128, -128, 1, -128, -128, 2, -128, -128, 3, -128, -128, 4, -128, -128},
         {-128, -128, 0, -128, -128, 1, -128, -128, 2, -128, -128, 3, -128, -128, 4, -128}},
        {{-128, -128, 6, -128, -128, 7, -128, -128, 8, -128, -128, 9, -128, -128, 10, -128},
         {5, -128, -128, 6, -128, -128, 7, -128, -128, 8, -128, -128, 9, -128, -128, 10},
         {-128, 5, -128, -128, 6, -128, -128, 7, -128, -128, 8, -128, -128, 9, -128, -128}},
        {{-128, 11, -128, -128, 12, -128, -128, 13, -128, -128, 14, -128, -128, 15, -128, -128},
         {-128, -128, 11, -128, -128, 12, -128, -128, 13, -128, -128, 14, -128, -128, 15, -128},
         {10, -128, -128, 11, -128, -128, 12, -128, -128, 13, -128, -128, 14, -128, -128, 15}},
    };
    const __m128i odd = _mm_setr_epi8(1, 3, 5, 7, 9, 11, 13, 15, -128, -128, -128, -128, -128,
                                      -128, -128, -128);
    const __m128i even = _mm_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, -128, -128, -128, -128, -128,
                                       -128, -128, -128);
    const __m128i threshold = _mm_set1_epi8(18);
    uint32_t i = 0;
    for (; i + 16 <= count; i += 16, s += 32, p += 16, d += 48) {
        __m128i blue = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i green = _mm_unpacklo_epi64(
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)), odd),
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16)), odd));
        __m128i red = _mm_unpacklo_epi64(
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4)), even),
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 20)), even));
        // v >= 18 exactly where max(v, 18) == v.
        blue = _mm_and_si128(blue, _mm_cmpeq_epi8(_mm_max_epu8(blue, threshold), blue));
        green = _mm_and_si128(green, _mm_cmpeq_epi8(_mm_max_epu8(green, threshold), green));
        red = _mm_and_si128(red, _mm_cmpeq_epi8(_mm_max_epu8(red, threshold), red));
        for (int part = 0; part < 3; ++part) {
            const auto* masks = reinterpret_cast<const __m128i*>(interleave[part]);
            __m128i out = _mm_or_si128(
                _mm_or_si128(_mm_shuffle_epi8(blue, _mm_load_si128(masks)),
                             _mm_shuffle_epi8(green, _mm_load_si128(masks + 1))),
                _mm_shuffle_epi8(red, _mm_load_si128(masks + 2)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16 * part), out);
        }
    }
    convertRun(s, p, d, count - i);
}

bool haveSsse3()
{
    static const bool present = __builtin_cpu_supports("ssse3");
    return present;
}

#endif

} // namespace

uint64_t secondCameraSourceBytes(uint64_t pixels)
{
    if (pixels == 0)
        return 0;
    // Both planes, and S[4] of the last pixel, which reaches two bytes past S.
    uint64_t planes = 3 * pixels;
    uint64_t lastRead = 2 * (pixels - 1) + 5;
    return planes > lastRead ? planes : lastRead;
}

void convertSecondCamera(const uint8_t* source, uint8_t* out, uint32_t width, uint32_t lines,
                         bool bottomUp)
{
    const uint8_t* s = source;
    const uint8_t* p = source + 2ull * width * lines;
    auto run = convertRun;
#ifdef SECOND_CAMERA_SSSE3
    if (haveSsse3())
        run = convertRunSsse3;
#endif
    for (uint32_t line = 0; line < lines; ++line) {
        uint32_t row = bottomUp ? lines - 1 - line : line;
        run(s, p, out + 3ull * width * row, width);
        s += 2ull * width;
        p += width;
    }
}
