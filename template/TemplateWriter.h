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

// The whole file image of `tpl`. A value that a packed field cannot hold (a picture above
// kMaxUnpackedBytes) is written empty; `problem`, when given, then says which element and
// which value, and is left empty otherwise.
std::vector<std::uint8_t> serializeTemplate(const Template& tpl, std::string* problem = nullptr);

// Writes `tpl` to `path` through a temporary file in the same folder renamed over the target,
// so a failed save never destroys the previous file. A template holding a value that cannot be
// stored, or too large as a whole for a reader to take (platform::kMaxWholeFileBytes), is not
// saved: nothing is ever dropped silently. On failure `error` says why.
bool writeTemplateFile(const std::string& path, const Template& tpl, std::string& error);

} // namespace tav::tpl
