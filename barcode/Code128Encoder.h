// Code 128 encodation with sets B and C: text to segments, segments to symbol values, symbol
// values to element widths. Each stage writes into a buffer the caller owns, so that a caller
// making many symbols reuses its memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tav::barcode {

enum class CodeSet : std::uint8_t { B, C };

// A run of the text encoded in one code set: the bytes [begin, end). Segments follow each other
// without gaps and together cover the whole text. A C segment holds an even number of digits.
struct Segment {
    CodeSet set;
    std::size_t begin;
    std::size_t end;

    std::size_t size() const { return end - begin; }
    bool operator==(const Segment&) const = default;
};

// The symbol value that stands for a byte with no set B value: control bytes, DEL, and the
// bytes of two-byte GBK characters. It is the value of "?", the usual mark for a character
// that cannot be shown, so scanners read such a byte as "?" and the symbol stays valid.
inline constexpr std::uint8_t kNoSetBValue = 31;

// The set B value of a byte: c - 32 for "!" (33) to "~" (126), kNoSetBValue for any other
// byte, the space included (spaces are removed before encoding).
std::uint8_t setBValue(unsigned char byte);

// Splits the cleaned text into segments. Runs of four or more digits followed by other text
// go to set C (the last digit of an odd run stays in set B), a closing run goes to set C only
// from five digits, and shorter runs stay in set B with their neighbours. A text that ends in
// an odd number (two or more) of digits is then evened out: with an earlier segment, the run's
// first digit joins that segment and the rest becomes a C segment; alone, its last byte becomes
// a B segment of its own.
void segmentText(std::string_view text, std::vector<Segment>& segments);

// The symbol values of the whole symbol: start, data and change symbols, check, stop.
void symbolValues(std::string_view text, std::span<const Segment> segments,
                  std::vector<std::uint8_t>& values);

// The element widths of the symbols, one ASCII digit per element, bar first.
void elementWidths(std::span<const std::uint8_t> values, std::string& widths);

// The module count of an element-width string: the sum of its digits.
std::uint64_t moduleCount(std::string_view widths);

} // namespace tav::barcode
