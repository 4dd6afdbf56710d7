// The stored form of the passwords in sqldata.conf.
//
// This is obfuscation, not protection: it keeps a password from being read at a glance in the
// file, but the key is fixed and in the program, so anyone with the program can recover every
// stored password. Protect the file itself (its permissions) where that matters.
//
// Cipher: AES-256 in CBC mode (libgcrypt) with PKCS#7 padding. The key is the SHA-256 digest of
// the fixed 12-character text "KX:518264097". Each enciphering draws a fresh 16-byte IV, which
// is stored in front of the ciphertext; the whole is written as uppercase hexadecimal, two
// characters per byte. So the same password gives a different text each time it is saved, and a
// stored text is at least 64 characters long.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav::data {

// The password's bytes (GBK as typed, or any bytes) in their stored form.
std::string encipherPassword(std::string_view password);

// The password from its stored form; nothing when the text is not hexadecimal (either case is
// taken), is too short, or does not decipher to a well-padded text.
std::optional<std::string> decipherPassword(std::string_view stored);

} // namespace tav::data
