// Filling data marks: the bodies of SetMark, GetMark and GetSame.
#pragma once

#include "printengine/PictureMaker.h"
#include "template/Template.h"

#include <string>

namespace tav::engine {

// The edge of a QR symbol when the element asks for none (qrSize below 1).
inline constexpr std::int32_t kDefaultQrSize = 256;

enum class MarkOutcome {
    Set,
    NoSuchMark,        // no element's mark contains the name: nothing changed
    PictureUnreadable, // a picture element's file cannot be read: the content changed, the
                       // picture did not
};

// Puts `value` into the first element whose mark contains `name`: the content becomes `value`
// when the mark equals the name, otherwise the mark with every occurrence of the name replaced.
// Barcode, QR and picture elements get their pictures rebuilt and turned by their rotation.
// Returns 1, or 0 when no mark contains the name (nothing changes) or when a picture element's
// file named by `value` cannot be read (the content has changed, the pictures have not).
MarkOutcome fillMark(tpl::Template& tpl, const std::string& name, const std::string& value,
                     PictureMaker& maker);

// fillMark as the SetMark export answers: 1 when set, else 0.
int setMark(tpl::Template& tpl, const std::string& name, const std::string& value,
            PictureMaker& maker);

// The content of the first element whose mark equals `name`; empty when there is none.
std::string getMark(const tpl::Template& tpl, const std::string& name);

// The number of elements whose mark equals `name` (an empty name counts empty marks).
int getSame(const tpl::Template& tpl, const std::string& name);

} // namespace tav::engine
