#include "qrcode/QrSymbol.h"

#include "platform/Bmp.h"
#include "platform/Charset.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <qrencode.h>

namespace tav::qr {
namespace {

std::uint8_t clampedChannel(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

QRecLevel toQrencode(ErrorCorrection level) {
    switch (level) {
    case ErrorCorrection::L:
        return QR_ECLEVEL_L;
    case ErrorCorrection::M:
        return QR_ECLEVEL_M;
    case ErrorCorrection::Q:
        return QR_ECLEVEL_Q;
    case ErrorCorrection::H:
        return QR_ECLEVEL_H;
    }
    return QR_ECLEVEL_M;
}

class QrcodeHolder {
public:
    explicit QrcodeHolder(QRcode* code) : m_code(code) {}
    ~QrcodeHolder() {
        if (m_code)
            QRcode_free(m_code);
    }
    QrcodeHolder(const QrcodeHolder&) = delete;
    QrcodeHolder& operator=(const QrcodeHolder&) = delete;
    const QRcode* get() const { return m_code; }

private:
    QRcode* m_code;
};

class QrinputHolder {
public:
    explicit QrinputHolder(QRinput* input) : m_input(input) {}
    ~QrinputHolder() {
        if (m_input)
            QRinput_free(m_input);
    }
    QrinputHolder(const QrinputHolder&) = delete;
    QrinputHolder& operator=(const QrinputHolder&) = delete;
    QRinput* get() const { return m_input; }

private:
    QRinput* m_input;
};

// One byte-mode segment behind an ECI designator for UTF-8. Null with errno set on failure.
QRcode* encodeUtf8WithEci(std::string_view utf8, int version, QRecLevel level) {
    constexpr unsigned int kEciUtf8 = 26;
    QrinputHolder input(QRinput_new2(version, level));
    if (!input.get() || QRinput_appendECIheader(input.get(), kEciUtf8) != 0 ||
        QRinput_append(input.get(), QR_MODE_8, static_cast<int>(utf8.size()),
                       reinterpret_cast<const unsigned char*>(utf8.data())) != 0)
        return nullptr;
    return QRcode_encodeInput(input.get());
}

// For each pixel along one side, the symbol module it shows, or -1 for the light border.
std::vector<int> moduleMap(int pixels, int firstPixel, std::int64_t span, std::int64_t modules,
                           int quietZone, int symbolWidth) {
    std::vector<int> map(static_cast<std::size_t>(pixels), -1);
    for (int p = 0; p < pixels; ++p) {
        std::int64_t offset = p - firstPixel;
        if (offset < 0 || offset >= span)
            continue;
        auto module = offset * modules / span - quietZone;
        if (module >= 0 && module < symbolWidth)
            map[static_cast<std::size_t>(p)] = static_cast<int>(module);
    }
    return map;
}

std::uint32_t rgbValue(Rgb color) {
    return static_cast<std::uint32_t>(color.red) << 16 |
           static_cast<std::uint32_t>(color.green) << 8 | color.blue;
}

} // namespace

Rgb clampedColor(int red, int green, int blue) {
    return {clampedChannel(red), clampedChannel(green), clampedChannel(blue)};
}

Encoding encodingFromArgument(int encoding) {
    return encoding == 1 ? Encoding::Bytes : Encoding::Automatic;
}

int versionFromArgument(int version) {
    return version >= 1 && version <= 40 ? version : 0;
}

int quietZoneFromArgument(int quietZone) {
    return std::clamp(quietZone, 0, kMaxPictureSide);
}

ErrorCorrection levelFromRecovery(double recovery) {
    if (std::isnan(recovery))
        return ErrorCorrection::M;
    if (recovery <= 0.07)
        return ErrorCorrection::L;
    if (recovery <= 0.15)
        return ErrorCorrection::M;
    if (recovery <= 0.25)
        return ErrorCorrection::Q;
    return ErrorCorrection::H;
}

int sideFromArgument(int side) {
    return side < 1 ? kDefaultQrSize : side;
}

QrSettings settingsFromCall(const QrCallArguments& call, std::string message, int side) {
    QrSettings settings;
    settings.message = std::move(message);
    settings.backColor = clampedColor(call.back[0], call.back[1], call.back[2]);
    settings.barColor = clampedColor(call.bar[0], call.bar[1], call.bar[2]);
    settings.encoding = encodingFromArgument(call.configure[0]);
    settings.version = versionFromArgument(call.configure[1]);
    settings.quietZone = quietZoneFromArgument(call.configure[2]);
    settings.level = levelFromRecovery(call.recovery);
    settings.wholeModules = call.wholeModules != 0;
    settings.negative = call.negative != 0;
    settings.width = settings.height = sideFromArgument(side);
    return settings;
}

const char* toString(QrError error) {
    switch (error) {
    case QrError::None:
        return "no error";
    case QrError::EmptyMessage:
        return "the message is empty";
    case QrError::TooLong:
        return "the message is too long for a QR code";
    case QrError::DoesNotFit:
        return "the symbol does not fit in the picture";
    case QrError::TooLarge:
        return "the picture size is too large";
    case QrError::EncoderFailed:
        return "the QR encoder failed";
    }
    return "unknown error";
}

namespace {

template <typename T> QrResult<T> failed(QrError error) {
    return QrResult<T>::failure(error, toString(error));
}

} // namespace

QrResult<QrModules> encodeModules(std::string_view utf8, Encoding encoding, int version,
                                  ErrorCorrection level) {
    if (utf8.empty())
        return failed<QrModules>(QrError::EmptyMessage);
    if (utf8.size() > 8000) // more than any version holds; spares the encoder the work
        return failed<QrModules>(QrError::TooLong);
    errno = 0;
    QRcode* raw = nullptr;
    bool ascii = std::all_of(utf8.begin(), utf8.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        // Text beyond ASCII says it is UTF-8 (ECI 26): without it, readers guess the character
        // set of byte mode, and short Chinese texts are taken for Shift-JIS.
        raw = encodeUtf8WithEci(utf8, version, toQrencode(level));
    } else if (encoding == Encoding::Automatic && utf8.find('\0') == std::string_view::npos) {
        // QR_MODE_8 as the hint keeps the encoder from reading bytes as Shift-JIS kanji; the
        // last argument keeps the letters' case.
        std::string text(utf8);
        raw = QRcode_encodeString(text.c_str(), version, toQrencode(level), QR_MODE_8, 1);
    } else {
        raw = QRcode_encodeData(static_cast<int>(utf8.size()),
                                reinterpret_cast<const unsigned char*>(utf8.data()), version,
                                toQrencode(level));
    }
    QrcodeHolder code(raw);
    if (!code.get())
        return failed<QrModules>(errno == ERANGE ? QrError::TooLong : QrError::EncoderFailed);
    QrModules modules;
    modules.width = code.get()->width;
    auto count = static_cast<std::size_t>(modules.width) * static_cast<std::size_t>(modules.width);
    modules.dark.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        modules.dark[i] = (code.get()->data[i] & 1) != 0;
    return modules;
}

QrResult<platform::OneBitPicture> drawModules(const QrModules& modules, int quietZone, int width,
                                              int height, bool wholeModules) {
    int square = std::min(width, height);
    int symbolWidth = modules.width;
    if (symbolWidth < 1 || square < symbolWidth)
        return failed<platform::OneBitPicture>(QrError::DoesNotFit);
    std::int64_t across = std::int64_t{symbolWidth} + 2 * std::int64_t{quietZone};
    if (across > square) {
        quietZone = (square - symbolWidth) / 2;
        across = symbolWidth + 2 * quietZone;
    }

    std::vector<int> columns;
    std::vector<int> rows;
    if (wholeModules) {
        // Whole pixels per module; the symbol is centered and the leftover widens the border.
        std::int64_t scale = square / across;
        std::int64_t span = scale * symbolWidth;
        columns = moduleMap(width, static_cast<int>((width - span) / 2), span, symbolWidth, 0,
                            symbolWidth);
        rows = moduleMap(height, static_cast<int>((height - span) / 2), span, symbolWidth, 0,
                         symbolWidth);
    } else {
        columns = moduleMap(width, (width - square) / 2, square, across, quietZone, symbolWidth);
        rows = moduleMap(height, (height - square) / 2, square, across, quietZone, symbolWidth);
    }

    platform::OneBitPicture picture;
    if (!picture.reset(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        return failed<platform::OneBitPicture>(QrError::TooLarge);
    for (int y = 0; y < height; ++y) {
        int row = rows[static_cast<std::size_t>(y)];
        if (row < 0)
            continue;
        const auto line = static_cast<std::uint32_t>(y);
        if (y > 0 && rows[static_cast<std::size_t>(y) - 1] == row) {
            picture.copyRow(line - 1, line);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            int column = columns[static_cast<std::size_t>(x)];
            if (column >= 0 && modules.at(column, row))
                picture.setInk(static_cast<std::uint32_t>(x), line);
        }
    }
    return picture;
}

QrResult<std::vector<std::uint8_t>> renderQrBmp(const QrSettings& settings) {
    if (settings.width > kMaxPictureSide || settings.height > kMaxPictureSide ||
        settings.width < 1 || settings.height < 1)
        return failed<std::vector<std::uint8_t>>(QrError::TooLarge);
    if (settings.message.empty())
        return failed<std::vector<std::uint8_t>>(QrError::EmptyMessage);
    // A value cut in the middle of a character still prints: each byte that is no GBK character
    // becomes U+FFFD, as the barcode shows such bytes as "?".
    const std::string utf8 = platform::gbkToUtf8(settings.message);
    auto modules = encodeModules(utf8, settings.encoding, settings.version, settings.level);
    if (!modules)
        return modules.status();
    auto picture = drawModules(modules.value(), settings.quietZone, settings.width, settings.height,
                               settings.wholeModules);
    if (!picture)
        return picture.status();
    Rgb light = settings.negative ? settings.barColor : settings.backColor;
    Rgb dark = settings.negative ? settings.backColor : settings.barColor;
    std::vector<std::uint8_t> bmp;
    platform::writeOneBitBmp(picture.value(), {rgbValue(light), rgbValue(dark), false, true}, bmp);
    return bmp;
}

} // namespace tav::qr
