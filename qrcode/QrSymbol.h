// QR code symbols in three steps kept apart: the text becomes modules (libqrencode), the modules
// become a 1-bit picture of the asked size, the picture becomes BMP file bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav::qr {

enum class Encoding { Automatic, Bytes };
enum class ErrorCorrection { L, M, Q, H };

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// Everything the seven C operations set; the defaults are the library's state at load time.
struct QrSettings {
    std::string message; // GBK
    Rgb backColor{255, 255, 255};
    Rgb barColor{0, 0, 0};
    Encoding encoding = Encoding::Automatic;
    int version = 0; // 0 = smallest that fits
    int quietZone = 4;
    ErrorCorrection level = ErrorCorrection::M;
    bool wholeModules = true;
    bool negative = false;
    int width = 256;
    int height = 256;
};

inline constexpr int kMaxPictureSide = 16384;

// Maps the C arguments onto settings, with the rules documented in qrcode.h.
Rgb clampedColor(int red, int green, int blue);
Encoding encodingFromArgument(int encoding);
int versionFromArgument(int version);
int quietZoneFromArgument(int quietZone);
ErrorCorrection levelFromRecovery(double recovery);
int sideFromArgument(int side);

// The modules of a symbol, row by row, true for dark.
struct QrModules {
    int width = 0;
    std::vector<bool> dark;
    bool at(int column, int row) const {
        return dark[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(column)];
    }
};

enum class QrError { None, EmptyMessage, NotGbk, TooLong, DoesNotFit, TooLarge, EncoderFailed };
const char* toString(QrError error);

// Encodes UTF-8 bytes. TooLong when no version up to 40 holds them.
std::optional<QrModules> encodeModules(std::string_view utf8, Encoding encoding, int version,
                                       ErrorCorrection level, QrError& error);

// A picture of one bit per pixel, rows top to bottom, each row packed into whole bytes with the
// leftmost pixel in the high bit; a set bit is a dark module.
struct OneBitPicture {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    std::vector<std::uint8_t> bits;
    bool dark(int x, int y) const {
        auto byte = bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) / 8];
        return (byte >> (7 - x % 8)) & 1;
    }
};

// Draws the modules with their quiet zone centred in a width x height picture (see qrcode.h for
// how whole-pixel and stretched modules are placed). DoesNotFit when the square is smaller than
// the symbol at one pixel per module.
std::optional<OneBitPicture> drawModules(const QrModules& modules, int quietZone, int width,
                                         int height, bool wholeModules, QrError& error);

// BMP file bytes: 1 bit per pixel, bottom-up, colour table {light, dark}.
std::vector<std::uint8_t> oneBitBmp(const OneBitPicture& picture, Rgb light, Rgb dark);

// All three steps for the current settings: the message converted from GBK to UTF-8, encoded,
// drawn and serialised.
std::optional<std::vector<std::uint8_t>> renderQrBmp(const QrSettings& settings, QrError& error);

} // namespace tav::qr
