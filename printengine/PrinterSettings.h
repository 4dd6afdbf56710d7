// The user's printer settings, kept in printers.conf: which queue a template's printer name
// stands for, and how far each queue's prints are to be shifted to land where they should.
//
//   [printers]
//   ZDesigner GK888t (EPL) = LABEL203
//   \\server\label = Office
//   [calibration]
//   LABEL203 = 5,-3
//
// Mapping lines may also stand before any section. Names are kept as the bytes they are in the
// file (GBK or UTF-8); calibration offsets are tenths of a millimetre, x to the right and y
// down. The user's file ($XDG_CONFIG_HOME/tav/printers.conf, else ~/.config/tav/printers.conf)
// is read before the system's (/etc/tav/printers.conf); the first answer wins.
#pragma once

#include "common/Status.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav::engine {

// Queue names and section names compare without regard to ASCII case, as CUPS compares names.
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b);

// A shift of the whole page, in tenths of a millimetre.
struct PageOffset {
    int x = 0;
    int y = 0;
    bool operator==(const PageOffset&) const = default;
};

class PrinterSettings {
public:
    // The user's file, then the system's; missing or unreadable files count as empty.
    static PrinterSettings load();
    // The files at `paths`, in this order.
    static PrinterSettings fromFiles(const std::vector<std::string>& paths);

    // Adds the settings of one file's text after those already read.
    void addText(std::string_view text);

    // The queue mapped to `printerName` (compared byte for byte), as written in the file.
    std::optional<std::string> mappedQueue(std::string_view printerName) const;
    // The calibration of `queue` (queue names compared without regard to ASCII case, as CUPS
    // compares them).
    std::optional<PageOffset> calibration(std::string_view queue) const;

    using Entries = std::vector<std::pair<std::string, std::string>>;
    const Entries& mappings() const { return m_mappings; }
    const Entries& calibrations() const { return m_calibrations; }

private:
    Entries m_mappings;
    Entries m_calibrations;
};

// $XDG_CONFIG_HOME/tav/printers.conf (when that is an absolute path), else
// $HOME/.config/tav/printers.conf; empty when neither variable helps.
std::string userPrinterSettingsPath();
inline constexpr const char* kSystemPrinterSettingsPath = "/etc/tav/printers.conf";

// "X,Y" in tenths of a millimetre (optional signs, spaces around the numbers allowed, each
// within +-10000, a metre); nothing for anything else.
std::optional<PageOffset> parsePageOffset(std::string_view text);

// The text of a settings file with the calibration of `queue` set: the queue's lines in
// [calibration] replaced, else the entry added after that section's last setting, else a new
// section at the end; every other line kept byte for byte, and the file's line ends (CRLF when
// it has any) used for what is written.
std::string withCalibration(std::string_view text, std::string_view queue, PageOffset offset);

// Sets the calibration of `queue` in the file at `path`, keeping every other line as it is; the
// file (and its folder) are created when missing, and it is replaced atomically. A name that
// could not be read back as one key (empty, control characters, "=", a leading "[", ";" or "#",
// or spaces around it) is refused.
Status storeCalibration(const std::string& path, std::string_view queue, PageOffset offset);

} // namespace tav::engine
