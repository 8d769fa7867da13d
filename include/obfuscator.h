#ifndef QUENDAR_OBFUSCATOR_H
#define QUENDAR_OBFUSCATOR_H

// Texts that must not be stored in plain form in the executables (certain
// commands, paths, file names and messages). Each character c is kept as the
// 32-bit integer (c * a + b) mod 127, with a and b chosen per text at build
// time, and the text is decoded into a buffer where it is used:
//
//     std::string path = OBFUSCATED("/var/log/ostrum.log");

#include <cstddef>
#include <cstdint>
#include <string>

#include "meta_random.h"

namespace obfuscator {

constexpr uint32_t kModulus = 127;

template <size_t N>
class ObfuscatedText {
public:
    constexpr ObfuscatedText(const char (&text)[N], uint32_t seed)
        : m_multiplier(1 + seed % (kModulus - 1)), m_offset((seed >> 8) % kModulus), m_codes{}
    {
        for (size_t i = 0; i + 1 < N; ++i) {
            const auto c = static_cast<uint32_t>(static_cast<unsigned char>(text[i]));
            if (c >= kModulus) {
                throw "obfuscated texts hold 7-bit characters only";
            }
            m_codes[i] = (c * m_multiplier + m_offset) % kModulus;
        }
    }

    std::string Decode() const
    {
        // Reading the codes through volatile keeps the optimiser from folding
        // the decoding back into a plain copy of the text.
        const volatile uint32_t* codes = m_codes;
        const uint32_t inverse = Inverse(m_multiplier);
        std::string text(N - 1, '\0');
        for (size_t i = 0; i + 1 < N; ++i) {
            const uint32_t shifted = (codes[i] + kModulus - m_offset) % kModulus;
            text[i] = static_cast<char>((shifted * inverse) % kModulus);
        }
        return text;
    }

    constexpr uint32_t Code(size_t i) const { return m_codes[i]; }
    constexpr uint32_t Multiplier() const { return m_multiplier; }
    constexpr uint32_t Offset() const { return m_offset; }

private:
    // 127 is prime, so a^(127-2) is the inverse of a.
    static uint32_t Inverse(uint32_t a)
    {
        uint32_t result = 1;
        uint32_t base = a % kModulus;
        for (uint32_t e = kModulus - 2; e != 0; e >>= 1) {
            if ((e & 1u) != 0) {
                result = (result * base) % kModulus;
            }
            base = (base * base) % kModulus;
        }
        return result;
    }

    uint32_t m_multiplier;
    uint32_t m_offset;
    uint32_t m_codes[N > 1 ? N - 1 : 1];
};

}  // namespace obfuscator

// Decodes the literal `text` into a std::string; only the codes are stored.
#define OBFUSCATED(text)                                                                           \
    ([]() -> std::string {                                                                         \
        static constexpr ::obfuscator::ObfuscatedText<sizeof(text)> kObfuscated(                   \
            text, ::meta_random::Seed(__COUNTER__, __LINE__, __FILE__));                           \
        return kObfuscated.Decode();                                                               \
    }())

#endif
