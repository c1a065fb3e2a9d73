#include "stream/Base64Vector.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace stream::base64 {

#if defined(__x86_64__)

namespace {

// 24 input bytes give 32 characters per step. Each 128-bit lane takes 12 bytes (four groups);
// a step reads 28 bytes because the second lane is loaded 16 bytes wide from offset 12.
constexpr size_t kStepIn = 24;
constexpr size_t kStepOut = 32;
constexpr size_t kStepRead = 28;

__attribute__((target("avx2"))) size_t encodeAvx2(const unsigned char* src, size_t n,
                                                  char16_t* dst) noexcept {
    // Per group a, b, c the 32-bit word becomes the bytes b, a, c, b: its low half holds a:b,
    // its high half b:c, so that each 6-bit index can be moved into its own byte with one
    // multiplication.
    const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0,
                                            2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m256i firstAndThird = _mm256_set1_epi32(0x0fc0fc00);
    const __m256i firstAndThirdShift = _mm256_set1_epi32(0x04000040);
    const __m256i secondAndFourth = _mm256_set1_epi32(0x003f03f0);
    const __m256i secondAndFourthShift = _mm256_set1_epi32(0x01000010);
    // Index to character: 0-25 "A"-"Z", 26-51 "a"-"z", 52-61 "0"-"9", 62 "+", 63 "/". The
    // index is first reduced to a class (13 for 0-25, 0 for 26-51, 1-12 above), whose entry
    // is what the character adds to the index.
    const __m256i offsets =
        _mm256_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                         '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0,
                         'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                         '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
    const __m256i above51 = _mm256_set1_epi8(51);
    const __m256i below26 = _mm256_set1_epi8(26);
    const __m256i upperClass = _mm256_set1_epi8(13);

    size_t done = 0;
    while (n - done >= kStepRead) {
        const unsigned char* in = src + done;
        __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 12));
        __m256i words = _mm256_shuffle_epi8(
            _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1), spread);
        __m256i indices = _mm256_or_si256(
            _mm256_mulhi_epu16(_mm256_and_si256(words, firstAndThird), firstAndThirdShift),
            _mm256_mullo_epi16(_mm256_and_si256(words, secondAndFourth), secondAndFourthShift));
        __m256i classes = _mm256_subs_epu8(indices, above51);
        classes = _mm256_or_si256(
            classes, _mm256_and_si256(_mm256_cmpgt_epi8(below26, indices), upperClass));
        __m256i text = _mm256_add_epi8(_mm256_shuffle_epi8(offsets, classes), indices);
        char16_t* out = dst + done / 3 * 4;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                            _mm256_cvtepu8_epi16(_mm256_castsi256_si128(text)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + kStepOut / 2),
                            _mm256_cvtepu8_epi16(_mm256_extracti128_si256(text, 1)));
        done += kStepIn;
    }
    return done;
}

} // namespace

size_t encodeWideVector(const unsigned char* src, size_t n, char16_t* dst) noexcept {
    __builtin_cpu_init();
    if (n < kStepRead || !__builtin_cpu_supports("avx2")) {
        return 0;
    }
    return encodeAvx2(src, n, dst);
}

#else

size_t encodeWideVector(const unsigned char*, size_t, char16_t*) noexcept {
    return 0;
}

#endif

} // namespace stream::base64
