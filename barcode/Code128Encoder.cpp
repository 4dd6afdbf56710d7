#include "barcode/Code128Encoder.h"

#include "barcode/Code128Table.h"

namespace tav::barcode {
namespace {

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

constexpr std::uint8_t kCheckModulus = 103;

} // namespace

std::uint8_t setBValue(unsigned char byte) {
    if (byte >= 33 && byte <= 126)
        return static_cast<std::uint8_t>(byte - 32);
    return kNoSetBValue;
}

void segmentText(std::string_view text, std::vector<Segment>& segments) {
    segments.clear();
    const std::size_t n = text.size();
    // The pending bytes are always text[pending, i); `run` counts the digits that end there.
    std::size_t pending = 0;
    std::size_t run = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!isDigit(text[i])) {
            if (run >= 4) {
                // Only the digit run is pending here: it began with an empty buffer.
                const std::size_t end = run % 2 == 0 ? i : i - 1;
                segments.push_back({CodeSet::C, pending, end});
                pending = end;
            }
            run = 0;
        } else {
            if (run == 0 && pending < i) {
                segments.push_back({CodeSet::B, pending, i});
                pending = i;
            }
            ++run;
        }
        if (i + 1 == n)
            segments.push_back({run > 4 ? CodeSet::C : CodeSet::B, pending, n});
    }

    // A final digit run of odd length: the last segment is exactly that run.
    if (run > 1 && segments.back().size() % 2 == 1) {
        if (segments.size() >= 2) {
            Segment& last = segments.back();
            Segment& before = segments[segments.size() - 2];
            ++before.end;
            ++last.begin;
            last.set = CodeSet::C;
        } else {
            --segments.back().end;
            segments.push_back({CodeSet::B, n - 1, n});
        }
    }
}

void symbolValues(std::string_view text, std::span<const Segment> segments,
                  std::vector<std::uint8_t>& values) {
    values.clear();
    CodeSet current =
        segments.empty() || segments.front().set == CodeSet::C ? CodeSet::C : CodeSet::B;
    values.push_back(current == CodeSet::C ? kStartC : kStartB);
    for (const Segment& segment : segments) {
        if (segment.set != current) {
            values.push_back(segment.set == CodeSet::C ? kChangeToC : kChangeToB);
            current = segment.set;
        }
        if (segment.set == CodeSet::B) {
            for (std::size_t i = segment.begin; i < segment.end; ++i)
                values.push_back(setBValue(static_cast<unsigned char>(text[i])));
        } else {
            for (std::size_t i = segment.begin; i + 1 < segment.end; i += 2)
                values.push_back(
                    static_cast<std::uint8_t>((text[i] - '0') * 10 + (text[i + 1] - '0')));
        }
    }

    // Reduced as it goes, so that no text is too long for the sum.
    std::uint32_t check = values.front() % kCheckModulus;
    for (std::size_t position = 1; position < values.size(); ++position)
        check = (check + static_cast<std::uint32_t>(position % kCheckModulus) * values[position]) %
                kCheckModulus;
    values.push_back(static_cast<std::uint8_t>(check));
    values.push_back(kStop);
}

void elementWidths(std::span<const std::uint8_t> values, std::string& widths) {
    widths.clear();
    widths.reserve(values.size() * 6 + 1);
    for (std::uint8_t value : values)
        widths.append(kCode128Patterns.at(value));
}

std::uint64_t moduleCount(std::string_view widths) {
    std::uint64_t modules = 0;
    for (char digit : widths)
        modules += static_cast<std::uint64_t>(digit - '0');
    return modules;
}

} // namespace tav::barcode
