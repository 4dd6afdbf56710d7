#include "printengine/PrinterSettings.h"

#include "platform/File.h"

#include <algorithm>
#include <charconv>

namespace tav::engine {

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The name of the section a line opens ("[name]"), or nothing.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return trimmed(line.substr(1, line.size() - 2));
}

std::string_view keyOf(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    const std::string_view key = trimmed(line.substr(0, equals));
    return key.empty() || key.front() == ';' || key.front() == '#' ? std::string_view{} : key;
}

// A UTF-8 byte order mark, which editors on Windows put before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

PrinterSettings PrinterSettings::load() {
    std::vector<std::string> paths;
    if (std::string user = userPrinterSettingsPath(); !user.empty())
        paths.push_back(std::move(user));
    paths.emplace_back(kSystemPrinterSettingsPath);
    return fromFiles(paths);
}

PrinterSettings PrinterSettings::fromFiles(const std::vector<std::string>& paths) {
    PrinterSettings settings;
    for (const auto& path : paths) {
        std::vector<std::uint8_t> bytes;
        if (platform::readWholeFile(path, bytes) == platform::FileReadStatus::Read)
            settings.addText({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
    return settings;
}

void PrinterSettings::addText(std::string_view text) {
    // Line by line, as storeCalibration writes: "[section]", "name = value", comments after
    // ";" or "#" at the start of a line. Names and values are the bytes between, trimmed.
    Entries* section = &m_mappings; // lines before any section map printer names
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto end = text.find('\n', at);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(at, next - at);
        at = next;
        if (auto name = sectionOf(line)) {
            section = sameIgnoringAsciiCase(*name, "printers")      ? &m_mappings
                      : sameIgnoringAsciiCase(*name, "calibration") ? &m_calibrations
                                                                    : nullptr;
        } else if (const std::string_view key = keyOf(line); section && !key.empty()) {
            section->emplace_back(key, trimmed(line.substr(line.find('=') + 1)));
        }
    }
}

std::optional<std::string> PrinterSettings::mappedQueue(std::string_view printerName) const {
    for (const auto& [name, queue] : m_mappings) {
        if (name == printerName && !queue.empty())
            return queue;
    }
    return std::nullopt;
}

std::optional<PageOffset> PrinterSettings::calibration(std::string_view queue) const {
    for (const auto& [name, value] : m_calibrations) {
        if (sameIgnoringAsciiCase(name, queue)) {
            if (auto offset = parsePageOffset(value))
                return offset;
        }
    }
    return std::nullopt;
}

std::string userPrinterSettingsPath() {
    return platform::userConfigPath("printers.conf");
}

std::optional<PageOffset> parsePageOffset(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto number = [](std::string_view part) -> std::optional<int> {
        part = trimmed(part);
        if (!part.empty() && part.front() == '+')
            part.remove_prefix(1);
        int value = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || ec != std::errc() || end != part.data() + part.size() ||
            value < -10000 || value > 10000)
            return std::nullopt;
        return value;
    };
    const auto x = number(text.substr(0, comma));
    const auto y = number(text.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return PageOffset{*x, *y};
}

std::string withCalibration(std::string_view text, std::string_view queue, PageOffset offset) {
    const std::string entry =
        std::string(queue) + " = " + std::to_string(offset.x) + "," + std::to_string(offset.y);
    const std::string newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";

    // Lines with their endings; the queue's lines in [calibration] are replaced, or the entry
    // goes after the section's last setting, or a new section is added at the end.
    std::string out;
    if (text.starts_with(kByteOrderMark)) {
        out += kByteOrderMark;
        text.remove_prefix(kByteOrderMark.size());
    }
    bool inCalibration = false, sawSection = false, written = false;
    std::size_t insertAt = std::string::npos; // in `out`, after the section's last setting
    for (std::size_t at = 0; at < text.size();) {
        const auto end = text.find('\n', at);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(at, next - at);
        at = next;
        if (auto section = sectionOf(line)) {
            inCalibration = sameIgnoringAsciiCase(*section, "calibration");
            sawSection = sawSection || inCalibration;
        } else if (inCalibration && sameIgnoringAsciiCase(keyOf(line), queue)) {
            if (!written)
                out += entry + newline;
            written = true;
            continue;
        }
        out += line;
        if (line.back() != '\n' && at == text.size())
            out += newline;
        if (inCalibration && (!keyOf(line).empty() || sectionOf(line)))
            insertAt = out.size(); // after the section's header or its last setting
    }
    if (!written) {
        if (sawSection && insertAt != std::string::npos)
            out.insert(insertAt, entry + newline);
        else
            out += (text.empty() ? "" : newline) + "[calibration]" + newline + entry + newline;
    }
    return out;
}

Status storeCalibration(const std::string& path, std::string_view queue, PageOffset offset) {
    // The name becomes the key of one line: it must stay one key on one line.
    const bool usable = !queue.empty() && trimmed(queue) == queue && queue.front() != '[' &&
                        queue.front() != ';' && queue.front() != '#' &&
                        std::none_of(queue.begin(), queue.end(), [](char c) {
                            return c == '=' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                        });
    if (!usable) {
        // Appended, not "\"" + ...: GCC 12 at -O3 reports a false overlap (-Wrestrict) there.
        return Status::failure(
            std::string(1, '"').append(queue).append("\" cannot be a queue name in printers.conf"));
    }
    std::vector<std::uint8_t> bytes;
    const auto read = platform::readWholeFile(path, bytes);
    if (read != platform::FileReadStatus::Read && read != platform::FileReadStatus::NotFound) {
        return Status::failure("cannot read " + path);
    }
    const std::string out =
        withCalibration({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, queue, offset);
    if (auto made = platform::makeParentFolders(path); !made)
        return made;
    return platform::writeFileAtomically(
        path, {reinterpret_cast<const std::uint8_t*>(out.data()), out.size()});
}

} // namespace tav::engine
