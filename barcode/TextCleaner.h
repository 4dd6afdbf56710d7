// The first step of making a barcode: dropping the spaces from the caller's GBK text.
#pragma once

#include <string>
#include <string_view>

namespace tav::barcode {

// Copies `text` into `cleaned` without its spaces (0x20) and full-width spaces (GBK A1 A1).
// The text is read character by character, a byte of 0x80 or more starting a two-byte
// character, so A1 A1 counts only on a character boundary and the second byte of a two-byte
// character is never taken for a space. A lead byte at the very end stays as it is.
void cleanText(std::string_view text, std::string& cleaned);

} // namespace tav::barcode
