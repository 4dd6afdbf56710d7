// Writing templates as "TAV 3.1..." files, with the editor's rules: deleted elements and those
// whose x or y lies outside 0..4999 are left out.
#pragma once

#include "template/Template.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tav::tpl {

// The largest x or y the writer keeps (0.1 mm): elements beyond 499.9 mm are not saved.
inline constexpr std::int32_t kMaxWrittenPosition = 4999;

// The whole file image of `tpl`.
std::vector<std::uint8_t> serializeTemplate(const Template& tpl);

// Writes `tpl` to `path` through a temporary file in the same folder renamed over the target,
// so a failed save never destroys the previous file. On failure `error` says why.
bool writeTemplateFile(const std::string& path, const Template& tpl, std::string& error);

} // namespace tav::tpl
