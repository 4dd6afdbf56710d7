// The JSON form of a template that `tavprint info` prints: keys named as the model's fields,
// texts converted from GBK to UTF-8, picture payloads shown by their size.
#pragma once

#include "template/Template.h"

#include <string>

namespace tav::cli {

std::string templateToJson(const tpl::Template& tpl);

} // namespace tav::cli
