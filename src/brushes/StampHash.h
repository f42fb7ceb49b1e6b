#pragma once

// Integer hashes behind every per-stamp choice of the brush renderers: no
// random generator state, so a stroke repaints with identical pixels.

#include <cstdint>

namespace brushEngine {

inline constexpr std::uint64_t kHashK = 0x9e3779b1;
inline constexpr std::uint64_t kHashM = 0xff51afd7ed558ccd;

constexpr std::uint64_t mix(std::uint64_t z) {
    z ^= z >> 33;
    z *= kHashM;
    z ^= z >> 33;
    return z;
}

// 0…1 inclusive, from the low 16 bits.
constexpr double unit(std::uint64_t z) { return static_cast<double>(z % 65536) / 65535.0; }

// unit(mix(a xor salt)): one salted draw.
constexpr double hashUnit(std::uint64_t a, std::uint64_t salt) { return unit(mix(a ^ salt)); }

} // namespace brushEngine
