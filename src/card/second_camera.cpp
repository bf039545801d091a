#include "card/second_camera.h"

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <immintrin.h>
#define SECOND_CAMERA_SIMD 1
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

#ifdef SECOND_CAMERA_SIMD

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

// Output byte t of part v (0..2) of 16 pixels holds channel (v + t) % 3 of
// pixel (16v + t) / 3. So each channel needs shuffling only once, into the
// order in which the three parts take it, and each part is then a blend of
// the three shuffled channels. The same masks serve both 128-bit lanes.
struct Avx2Masks {
    alignas(32) int8_t blue[32];
    alignas(32) int8_t greenLow[32];  // S bytes 0..15 of a lane: pixels 0..7
    alignas(32) int8_t greenHigh[32]; // S bytes 16..31: pixels 8..15
    alignas(32) int8_t redLow[32];
    alignas(32) int8_t redHigh[32];
    alignas(32) int8_t takesGreen[3][32];
    alignas(32) int8_t takesRed[3][32];
};

constexpr int pixelFor(int channel, int t)
{
    int part = ((channel - t) % 3 + 3) % 3;
    return (16 * part + t) / 3;
}

// offset: where the channel's byte sits within a pixel's two S bytes.
constexpr void planeMasks(int channel, int offset, int8_t* low, int8_t* high)
{
    for (int t = 0; t < 32; ++t) {
        int pixel = pixelFor(channel, t % 16);
        low[t] = static_cast<int8_t>(pixel < 8 ? 2 * pixel + offset : -128);
        high[t] = static_cast<int8_t>(pixel >= 8 ? 2 * (pixel - 8) + offset : -128);
    }
}

constexpr Avx2Masks makeAvx2Masks()
{
    Avx2Masks masks{};
    for (int t = 0; t < 32; ++t)
        masks.blue[t] = static_cast<int8_t>(pixelFor(0, t % 16));
    planeMasks(1, 1, masks.greenLow, masks.greenHigh);
    planeMasks(2, 0, masks.redLow, masks.redHigh);
    for (int part = 0; part < 3; ++part) {
        for (int t = 0; t < 32; ++t) {
            int channel = (part + t % 16) % 3;
            masks.takesGreen[part][t] = static_cast<int8_t>(channel == 1 ? -128 : 0);
            masks.takesRed[part][t] = static_cast<int8_t>(channel == 2 ? -128 : 0);
        }
    }
    return masks;
}

constexpr Avx2Masks kAvx2Masks = makeAvx2Masks();

__attribute__((target("avx2"))) inline __m256i loadAvx2(const int8_t* mask)
{
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(mask));
}

// Two 16-byte runs of S, 32 bytes apart, one in each lane.
__attribute__((target("avx2"))) inline __m256i loadLanes(const uint8_t* s)
{
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32)), 1);
}

__attribute__((target("avx2"))) inline __m256i blackenedAvx2(__m256i v)
{
    return _mm256_and_si256(v, _mm256_cmpeq_epi8(_mm256_max_epu8(v, _mm256_set1_epi8(18)), v));
}

// 32 pixels: lane 0 makes the first 48 output bytes, lane 1 the next 48.
__attribute__((target("avx2"))) inline void convertBlockAvx2(const uint8_t* s, const uint8_t* p,
                                                             uint8_t* d)
{
    const Avx2Masks& m = kAvx2Masks;
    __m256i blue = _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
                                       loadAvx2(m.blue));
    __m256i green =
        _mm256_or_si256(_mm256_shuffle_epi8(loadLanes(s), loadAvx2(m.greenLow)),
                        _mm256_shuffle_epi8(loadLanes(s + 16), loadAvx2(m.greenHigh)));
    __m256i red = _mm256_or_si256(_mm256_shuffle_epi8(loadLanes(s + 4), loadAvx2(m.redLow)),
                                  _mm256_shuffle_epi8(loadLanes(s + 20), loadAvx2(m.redHigh)));
    blue = blackenedAvx2(blue);
    green = blackenedAvx2(green);
    red = blackenedAvx2(red);
    __m256i part[3];
    for (int i = 0; i < 3; ++i)
        part[i] = _mm256_blendv_epi8(_mm256_blendv_epi8(blue, green, loadAvx2(m.takesGreen[i])),
                                     red, loadAvx2(m.takesRed[i]));
    auto* out = reinterpret_cast<__m256i*>(d);
    _mm256_storeu_si256(out, _mm256_permute2x128_si256(part[0], part[1], 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(part[2], part[0], 0x30));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(part[1], part[2], 0x31));
}

__attribute__((target("avx2"))) void convertRunAvx2(const uint8_t* s, const uint8_t* p,
                                                    uint8_t* d, uint32_t count)
{
    if (count < 32) {
        convertRunSsse3(s, p, d, count);
        return;
    }
    uint32_t i = 0;
    for (; i + 32 <= count; i += 32)
        convertBlockAvx2(s + 2 * i, p + i, d + 3 * i);
    // The last pixels again as a whole block that ends with the run: it
    // rewrites bytes already made with the same values.
    if (i < count) {
        i = count - 32;
        convertBlockAvx2(s + 2 * i, p + i, d + 3 * i);
    }
}

bool processorHas(SecondCameraPath path)
{
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    static const bool avx2 = ssse3 && __builtin_cpu_supports("avx2");
    return path == SecondCameraPath::Plain || (path == SecondCameraPath::Ssse3 && ssse3) ||
           (path == SecondCameraPath::Avx2 && avx2);
}

#endif

using RunFunction = void (*)(const uint8_t*, const uint8_t*, uint8_t*, uint32_t);

RunFunction runFor(SecondCameraPath path)
{
#ifdef SECOND_CAMERA_SIMD
    if (!processorHas(path))
        return convertRun;
    switch (path) {
    case SecondCameraPath::Ssse3:
        return convertRunSsse3;
    case SecondCameraPath::Avx2:
        return convertRunAvx2;
    case SecondCameraPath::Plain:
        break;
    }
#else
    (void)path;
#endif
    return convertRun;
}

SecondCameraPath fastestPath()
{
    if (secondCameraPathRuns(SecondCameraPath::Avx2))
        return SecondCameraPath::Avx2;
    if (secondCameraPathRuns(SecondCameraPath::Ssse3))
        return SecondCameraPath::Ssse3;
    return SecondCameraPath::Plain;
}

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

bool secondCameraPathRuns(SecondCameraPath path)
{
#ifdef SECOND_CAMERA_SIMD
    return processorHas(path);
#else
    return path == SecondCameraPath::Plain;
#endif
}

void convertSecondCameraBy(SecondCameraPath path, const uint8_t* source, uint8_t* out,
                           uint32_t width, uint32_t lines, bool bottomUp)
{
    const uint8_t* s = source;
    const uint8_t* p = source + 2ull * width * lines;
    RunFunction run = runFor(path);
    for (uint32_t line = 0; line < lines; ++line) {
        uint32_t row = bottomUp ? lines - 1 - line : line;
        run(s, p, out + 3ull * width * row, width);
        s += 2ull * width;
        p += width;
    }
}

void convertSecondCamera(const uint8_t* source, uint8_t* out, uint32_t width, uint32_t lines,
                         bool bottomUp)
{
    static const SecondCameraPath fastest = fastestPath();
    convertSecondCameraBy(fastest, source, out, width, lines, bottomUp);
}
