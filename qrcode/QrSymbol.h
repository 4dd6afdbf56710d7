// QR code symbols in three steps kept apart: the text becomes modules (libqrencode), the modules
// become a 1-bit picture of the asked size, the picture becomes BMP file bytes.
#pragma once

#include "common/Status.h"
#include "common/Units.h"
#include "platform/OneBitPicture.h"

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
    int width = kDefaultQrSize;
    int height = kDefaultQrSize;
};

inline constexpr int kMaxPictureSide = 16384;

// The arguments of the QR operations that shape a symbol, in their order of calling:
// QRSetBackColor, QRSetBarColor, QRConfigure, QRAppearance.
struct QrCallArguments {
    int back[3] = {255, 255, 255};
    int bar[3] = {0, 0, 0};
    int configure[3] = {0, 0, 5}; // encoding, version, quiet zone
    double recovery = 0.2;        // QRAppearance
    int wholeModules = 1, negative = 0;
};

// What the print engine passes for every QR element, whether it calls the library or the
// encoder directly, so that a label looks the same however its picture was made.
inline constexpr QrCallArguments kEngineQrCall{};

// The settings that `call`, QRSetMessage(message) and QRSetSize(side, side) leave.
QrSettings settingsFromCall(const QrCallArguments& call, std::string message, int side);

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

enum class QrError { None, EmptyMessage, TooLong, DoesNotFit, TooLarge, EncoderFailed };
const char* toString(QrError error);

// The outcome of a QR step: its value, or its QrError with that error's text.
template <typename T> using QrResult = Result<T, QrError>;

// Encodes UTF-8 bytes. TooLong when no version up to 40 holds them.
QrResult<QrModules> encodeModules(std::string_view utf8, Encoding encoding, int version,
                                  ErrorCorrection level);

// Draws the modules with their quiet zone centered in a width x height picture (see qrcode.h for
// how whole-pixel and stretched modules are placed); dark modules are ink. DoesNotFit when the
// square is smaller than the symbol at one pixel per module.
QrResult<platform::OneBitPicture> drawModules(const QrModules& modules, int quietZone, int width,
                                              int height, bool wholeModules);

// All three steps for the current settings: the message converted from GBK to UTF-8, encoded,
// drawn and serialised.
QrResult<std::vector<std::uint8_t>> renderQrBmp(const QrSettings& settings);

} // namespace tav::qr
