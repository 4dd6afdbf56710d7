// The bar and space widths of the 107 Code 128 symbols.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tav::barcode {

inline constexpr std::uint8_t kChangeToC = 99;  // "Code C", emitted while in set B
inline constexpr std::uint8_t kChangeToB = 100; // "Code B", emitted while in set C
inline constexpr std::uint8_t kStartB = 104;
inline constexpr std::uint8_t kStartC = 105;
inline constexpr std::uint8_t kStop = 106;
inline constexpr int kSymbolCount = 107;
inline constexpr int kModulesPerSymbol = 11; // every symbol but the stop
inline constexpr int kStopModules = 13;

// Element widths in modules as ASCII digits, bar first, indexed by symbol value: six elements
// for values 0 to 105, seven for the stop (106).
extern const std::array<std::string_view, kSymbolCount> kCode128Patterns;

} // namespace tav::barcode
