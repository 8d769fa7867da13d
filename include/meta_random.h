#ifndef QUENDAR_META_RANDOM_H
#define QUENDAR_META_RANDOM_H

// Build-time random numbers for the obfuscated literals. The build system
// draws QUENDAR_OBF_SEED when the build tree is configured; each literal mixes
// it with its own place in the sources, so every text gets its own key.

#include <cstdint>

#ifndef QUENDAR_OBF_SEED
#define QUENDAR_OBF_SEED 0x5eed1234u
#endif

namespace meta_random {

constexpr uint32_t Mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

constexpr uint32_t HashText(const char* text)
{
    uint32_t hash = 2166136261u;
    for (; *text != '\0'; ++text) {
        hash = (hash ^ static_cast<uint8_t>(*text)) * 16777619u;
    }
    return hash;
}

// A value that differs between builds and between places in the sources.
constexpr uint32_t Seed(uint32_t counter, uint32_t line, const char* file)
{
    return Mix(static_cast<uint32_t>(QUENDAR_OBF_SEED) ^ Mix(counter * 0x9e3779b9u + line) ^ HashText(file));
}

}  // namespace meta_random

#endif
