// The text rules of data marks. A mark is both a key and a small text template: the mark
// "单价:{PRICE}元" is found by the name "{PRICE}", and filling it with "12.50" gives the content
// "单价:12.50元". Marks are GBK: a byte of 0x80 or more starts a two-byte character, and names
// only ever match on character boundaries.
#pragma once

#include <string>
#include <string_view>

namespace tav::engine {

// True when `name` occurs in `mark` at a character boundary, compared byte for byte and
// case-sensitively. False when either is empty.
bool markContains(std::string_view mark, std::string_view name);

// `mark` with every occurrence of `name` (at character boundaries, left to right, never
// overlapping) replaced by `value`; text that `value` brings in is not scanned again. An empty
// name replaces nothing.
std::string replaceInMark(std::string_view mark, std::string_view name, std::string_view value);

} // namespace tav::engine
