// The designer's tool box: the select tool, then one tool per element kind, numbered as the
// buttons are ordered (button n creates an element of kind n).
#pragma once

#include "common/Units.h"
#include "template/Template.h"

#include <cstdint>
#include <optional>

namespace tav::editor {

class Tool {
public:
    // The select tool.
    static const Tool Select;

    constexpr Tool() = default;
    // The tool that creates elements of `kind`.
    constexpr Tool(tpl::ElementKind kind) : m_kind(kind) {} // NOLINT: a kind names its tool

    // The tool of button `button`; out of range, the select tool.
    static constexpr Tool fromButton(int button) {
        if (button < static_cast<int>(tpl::ElementKind::RectOutline) ||
            button > static_cast<int>(tpl::ElementKind::Text))
            return Tool();
        return Tool(static_cast<tpl::ElementKind>(button));
    }
    constexpr int button() const { return m_kind ? static_cast<int>(*m_kind) : 0; }
    // The kind of element the tool creates; none for the select tool.
    constexpr std::optional<tpl::ElementKind> creates() const { return m_kind; }

    friend constexpr bool operator==(const Tool&, const Tool&) = default;

private:
    std::optional<tpl::ElementKind> m_kind;
};

inline constexpr Tool Tool::Select{};
inline constexpr int kToolCount = 1 + static_cast<int>(tpl::ElementKind::Text);

// What the tools give a new element.
inline constexpr std::int32_t kNewShapeSize = 100;    // 10 mm square
inline constexpr std::int32_t kNewBarcodeWidth = 200; // 20 x 10 mm
inline constexpr std::int32_t kNewBarcodeHeight = 100;
inline constexpr std::int32_t kNewCornerSize = 30;         // rounded rectangles
inline constexpr std::int32_t kNewQrSize = kDefaultQrSize; // pixels
inline constexpr const char* kNewContent = "1234567890";   // barcodes, QR codes, texts

} // namespace tav::editor
