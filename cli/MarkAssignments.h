// The `--set MARK=VALUE` options of tavprint: values for data marks, given in UTF-8 on the
// command line and filled into the template as GBK, exactly as SetMark would.
#pragma once

#include "common/Status.h"
#include "template/Template.h"

#include <string>
#include <vector>

namespace tav::cli {

struct MarkAssignment {
    std::string name;  // GBK
    std::string value; // GBK
};

// Parses "NAME=VALUE" (the first '=' separates them; the value may be empty); a failure says
// why.
Result<MarkAssignment> parseMarkAssignment(const std::string& text);

// Fills the marks in order. A name that no mark contains, or a picture file that cannot be
// read, is reported on stderr; the others are still filled. Returns false when any failed.
bool applyMarkAssignments(tpl::Template& tpl, const std::vector<MarkAssignment>& marks);

} // namespace tav::cli
