#include "card/second_camera.h"

#include <cstddef>

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

using LinesFunction = void (*)(const uint8_t* s, const uint8_t* p, uint8_t* d, uint32_t width,
                               uint32_t lines, ptrdiff_t step);

// lines runs of width pixels each; the output of each next run starts step
// bytes after that of the last.
void convertLines(const uint8_t* s, const uint8_t* p, uint8_t* d, uint32_t width, uint32_t lines,
                  ptrdiff_t step)
{
    for (uint32_t line = 0; line < lines; ++line, s += 2 * size_t(width), p += width, d += step)
        convertRun(s, p, d, width);
}

#ifdef SECOND_CAMERA_SIMD

// Each 16 output bytes (a chunk) are one shuffle of a load of P OR'd with one
// shuffle of a load of S, and the threshold is applied once, to the packed
// bytes: chunk c of a block covers output bytes 16c..16c+15, at most 6 pixels,
// whose P bytes and whose S bytes (green at 2q + 1, red at 2q + 4) each fit in
// 16 bytes. A block of 32 pixels has 6 chunks; the SSSE3 code makes the first
// 3 (16 pixels), the AVX2 code two chunks per vector. The loads stay within
// the bytes the block's pixels read, so the last block of a frame reads no
// further than the plain loop.

// Where chunk c loads its 16 bytes of S, from the block's first S byte (19,
// not 20: a block of 16 pixels reads S up to byte 34).
constexpr int kSOffset[6] = {0, 8, 19, 32, 40, 51};
// Where the AVX2 vector k loads the 16 bytes of P that both its chunks take.
constexpr int kPOffsetAvx2[3] = {0, 8, 16};
constexpr int kPixelsPerBlock = 32;

struct ChunkSources {
    int8_t p[16];
    int8_t s[16];
};

// -128 where the byte comes from the other plane: the shuffle makes it 0.
constexpr ChunkSources chunkSources(int chunk, int pOffset, int sOffset)
{
    ChunkSources sources{};
    for (int j = 0; j < 16; ++j) {
        int t = 16 * chunk + j;
        int pixel = t / 3;
        int channel = t % 3;
        sources.p[j] = static_cast<int8_t>(channel == 0 ? pixel - pOffset : -128);
        sources.s[j] = static_cast<int8_t>(channel == 0   ? -128
                                           : channel == 1 ? 2 * pixel + 1 - sOffset
                                                          : 2 * pixel + 4 - sOffset);
    }
    return sources;
}

constexpr bool within(const int8_t* indices, int offset, int limit)
{
    for (int j = 0; j < 16; ++j)
        if (indices[j] != -128 && (indices[j] < 0 || indices[j] > 15))
            return false;
    return offset >= 0 && offset + 15 <= limit;
}

// The last byte of each plane that a block of so many pixels reads.
constexpr int lastP(int pixels)
{
    return pixels - 1;
}
constexpr int lastS(int pixels)
{
    return 2 * (pixels - 1) + 4;
}

struct Masks {
    alignas(32) int8_t avx2P[3][32];
    alignas(32) int8_t avx2S[3][32];
    alignas(16) int8_t ssse3P[3][16];
    alignas(16) int8_t ssse3S[3][16];
    bool valid;
};

constexpr Masks makeMasks()
{
    Masks masks{};
    masks.valid = true;
    for (int chunk = 0; chunk < 6; ++chunk) {
        int k = chunk / 2;
        int lane = chunk % 2;
        ChunkSources avx2 = chunkSources(chunk, kPOffsetAvx2[k], kSOffset[chunk]);
        masks.valid = masks.valid &&
                      within(avx2.p, kPOffsetAvx2[k], lastP(kPixelsPerBlock)) &&
                      within(avx2.s, kSOffset[chunk], lastS(kPixelsPerBlock));
        for (int j = 0; j < 16; ++j) {
            masks.avx2P[k][16 * lane + j] = avx2.p[j];
            masks.avx2S[k][16 * lane + j] = avx2.s[j];
        }
        if (chunk < 3) {
            ChunkSources ssse3 = chunkSources(chunk, 0, kSOffset[chunk]);
            masks.valid = masks.valid && within(ssse3.p, 0, lastP(kPixelsPerBlock / 2)) &&
                          within(ssse3.s, kSOffset[chunk], lastS(kPixelsPerBlock / 2));
            for (int j = 0; j < 16; ++j) {
                masks.ssse3P[chunk][j] = ssse3.p[j];
                masks.ssse3S[chunk][j] = ssse3.s[j];
            }
        }
    }
    return masks;
}

constexpr Masks kMasks = makeMasks();
static_assert(kMasks.valid, "every chunk's sources lie in its loads, within its block");

__attribute__((target("ssse3"))) inline __m128i load16(const uint8_t* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("ssse3"))) inline __m128i mask16(const int8_t* mask)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(mask));
}

__attribute__((target("avx2"))) inline __m256i mask32(const int8_t* mask)
{
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(mask));
}

// v >= 18 exactly where max(v, 18) == v.
__attribute__((target("ssse3"))) inline __m128i blackenedSsse3(__m128i v)
{
    return _mm_and_si128(v, _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(18)), v));
}

// Output bytes 16 x chunk to 16 x chunk + 15 of 16 pixels; a template, so
// that each chunk's offsets and masks are constants at -O2 too.
template <int chunk>
__attribute__((target("ssse3"))) inline void convertChunkSsse3(const uint8_t* s, __m128i blue,
                                                               uint8_t* d)
{
    __m128i out = _mm_or_si128(
        _mm_shuffle_epi8(blue, mask16(kMasks.ssse3P[chunk])),
        _mm_shuffle_epi8(load16(s + kSOffset[chunk]), mask16(kMasks.ssse3S[chunk])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16 * chunk), blackenedSsse3(out));
}

// 16 pixels, 48 output bytes.
__attribute__((target("ssse3"))) inline void convertBlockSsse3(const uint8_t* s, const uint8_t* p,
                                                               uint8_t* d)
{
    const __m128i blue = load16(p);
    convertChunkSsse3<0>(s, blue, d);
    convertChunkSsse3<1>(s, blue, d);
    convertChunkSsse3<2>(s, blue, d);
}

// Pixels to convert before d + 3 x pixels is a multiple of alignment (a
// power of two up to 32): 3 x 11 is 1 modulo 32.
inline uint32_t pixelsToAlign(const uint8_t* d, uint32_t alignment)
{
    return uint32_t((0 - reinterpret_cast<uintptr_t>(d)) * 11 % alignment);
}

// count >= 16 pixels.
__attribute__((target("ssse3"))) inline void convertBlocksSsse3(const uint8_t* s, const uint8_t* p,
                                                                uint8_t* d, uint32_t count)
{
    constexpr uint32_t block = kPixelsPerBlock / 2;
    const uint8_t* lastBlock = p + (count - block);
    // A first block where d happens to be; the next ones store whole 16-byte
    // units. Pointers rather than an index: on i386 an index lives on the stack.
    convertBlockSsse3(s, p, d);
    uint32_t next = pixelsToAlign(d, 16);
    next = next ? next : block;
    s += 2 * next;
    p += next;
    d += 3 * next;
    for (; p <= lastBlock; s += 2 * block, p += block, d += 3 * block)
        convertBlockSsse3(s, p, d);
    // The last pixels as a whole block that ends with the run. Like the
    // first, it rewrites bytes already made with the same values.
    uint32_t back = uint32_t(p - lastBlock);
    if (back < block)
        convertBlockSsse3(s - 2 * back, lastBlock, d - 3 * back);
}

__attribute__((target("ssse3"))) inline void convertRunSsse3(const uint8_t* s, const uint8_t* p,
                                                             uint8_t* d, uint32_t count)
{
    if (count < kPixelsPerBlock / 2)
        convertRun(s, p, d, count);
    else
        convertBlocksSsse3(s, p, d, count);
}

// Lines too short for a block of 32, out of line: inlined, its masks would take
// registers from the AVX2 loop.
__attribute__((target("ssse3"), noinline)) void convertShortRun(const uint8_t* s, const uint8_t* p,
                                                               uint8_t* d, uint32_t count)
{
    convertRunSsse3(s, p, d, count);
}

// Two 16-byte loads, one in each lane.
__attribute__((target("avx2"))) inline __m256i loadLanes(const uint8_t* low, const uint8_t* high)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(load16(low)), load16(high), 1);
}

// As blackenedSsse3. One constant only: i386 has 8 vector registers.
__attribute__((target("avx2"))) inline __m256i blackenedAvx2(__m256i v)
{
    return _mm256_and_si256(v, _mm256_cmpeq_epi8(_mm256_max_epu8(v, _mm256_set1_epi8(18)), v));
}

// Output bytes 32k to 32k + 31 of 32 pixels.
template <int k>
__attribute__((target("avx2"))) inline void convertVectorAvx2(const uint8_t* s, const uint8_t* p,
                                                              uint8_t* d)
{
    __m256i blue = _mm256_broadcastsi128_si256(load16(p + kPOffsetAvx2[k]));
    __m256i rest = loadLanes(s + kSOffset[2 * k], s + kSOffset[2 * k + 1]);
    __m256i out = _mm256_or_si256(_mm256_shuffle_epi8(blue, mask32(kMasks.avx2P[k])),
                                  _mm256_shuffle_epi8(rest, mask32(kMasks.avx2S[k])));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 32 * k), blackenedAvx2(out));
}

// 32 pixels, 96 output bytes.
__attribute__((target("avx2"))) inline void convertBlockAvx2(const uint8_t* s, const uint8_t* p,
                                                             uint8_t* d)
{
    convertVectorAvx2<0>(s, p, d);
    convertVectorAvx2<1>(s, p, d);
    convertVectorAvx2<2>(s, p, d);
}

// As convertBlocksSsse3, 32 pixels at a time: a store that splits a 32-byte
// unit costs about a fifth more in all.
__attribute__((target("avx2"))) inline void convertRunAvx2(const uint8_t* s, const uint8_t* p,
                                                           uint8_t* d, uint32_t count)
{
    constexpr uint32_t block = kPixelsPerBlock;
    if (count < block) {
        convertShortRun(s, p, d, count);
        return;
    }
    const uint8_t* lastBlock = p + (count - block);
    convertBlockAvx2(s, p, d);
    uint32_t next = pixelsToAlign(d, 32);
    next = next ? next : block;
    s += 2 * next;
    p += next;
    d += 3 * next;
    for (; p <= lastBlock; s += 2 * block, p += block, d += 3 * block)
        convertBlockAvx2(s, p, d);
    uint32_t back = uint32_t(p - lastBlock);
    if (back < block)
        convertBlockAvx2(s - 2 * back, lastBlock, d - 3 * back);
}

// As convertLines. Each path has its own copy of the loop, so that its run is
// inlined and its masks stay loaded from line to line.
__attribute__((target("ssse3"))) void convertLinesSsse3(const uint8_t* s, const uint8_t* p,
                                                        uint8_t* d, uint32_t width, uint32_t lines,
                                                        ptrdiff_t step)
{
    for (uint32_t line = 0; line < lines; ++line, s += 2 * size_t(width), p += width, d += step)
        convertRunSsse3(s, p, d, width);
}

__attribute__((target("avx2"))) void convertLinesAvx2(const uint8_t* s, const uint8_t* p,
                                                      uint8_t* d, uint32_t width, uint32_t lines,
                                                      ptrdiff_t step)
{
    for (uint32_t line = 0; line < lines; ++line, s += 2 * size_t(width), p += width, d += step)
        convertRunAvx2(s, p, d, width);
}

bool processorHas(SecondCameraPath path)
{
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    static const bool avx2 = ssse3 && __builtin_cpu_supports("avx2");
    return path == SecondCameraPath::Plain || (path == SecondCameraPath::Ssse3 && ssse3) ||
           (path == SecondCameraPath::Avx2 && avx2);
}

#endif

LinesFunction linesFor(SecondCameraPath path)
{
#ifdef SECOND_CAMERA_SIMD
    if (!processorHas(path))
        return convertLines;
    switch (path) {
    case SecondCameraPath::Ssse3:
        return convertLinesSsse3;
    case SecondCameraPath::Avx2:
        return convertLinesAvx2;
    case SecondCameraPath::Plain:
        break;
    }
#else
    (void)path;
#endif
    return convertLines;
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
    LinesFunction convert = linesFor(path);
    if (bottomUp) {
        const ptrdiff_t step = ptrdiff_t(3) * width;
        convert(s, p, out + (lines ? step * (lines - 1) : 0), width, lines, -step);
        return;
    }
    // Top-down, planes and output all run on across line ends: the frame is
    // one run, with no short pieces at the ends of lines.
    uint64_t left = uint64_t(width) * lines;
    while (left) {
        uint32_t count = left > 0x40000000u ? 0x40000000u : uint32_t(left);
        convert(s, p, out, count, 1, 0);
        s += 2ull * count;
        p += count;
        out += 3ull * count;
        left -= count;
    }
}

SecondCameraPath secondCameraPath()
{
    static const SecondCameraPath fastest = fastestPath();
    return fastest;
}

void convertSecondCamera(const uint8_t* source, uint8_t* out, uint32_t width, uint32_t lines,
                         bool bottomUp)
{
    convertSecondCameraBy(secondCameraPath(), source, out, width, lines, bottomUp);
}
