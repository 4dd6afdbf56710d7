// Filling data marks: the bodies of SetMark, GetMark and GetSame.
#pragma once

#include "common/Status.h"
#include "common/Units.h"
#include "printengine/PictureMaker.h"
#include "template/Template.h"

#include <string>

namespace tav::engine {

enum class MarkOutcome {
    Set,
    NoSuchMark,        // no element's mark contains the name: nothing changed
    PictureUnreadable, // a picture element's file cannot be read: the content changed, the
                       // picture did not
    PictureKept,       // a picture element was given no file name (an empty cell of a batch):
                       // the content changed, the picture stays as it was
};

// Puts `value` into the first element whose mark contains `name`: the content becomes `value`
// when the mark equals the name, otherwise the mark with every occurrence of the name replaced.
// Barcode, QR and picture elements get their pictures rebuilt and turned by their rotation.
// An empty value keeps a picture element's picture (PictureKept), since it names no file.
MarkOutcome fillMark(tpl::Template& tpl, const std::string& name, const std::string& value,
                     PictureMaker& maker);

// fillMark's outcome as a status (code: the MarkOutcome, text: what was not done).
using MarkStatus = BasicStatus<MarkOutcome>;

// fillMark as the SetMark export answers: success when set; a failure when no mark contains
// the name (nothing changes) or a picture element's value names no file that can be read or
// is empty (the content has changed, the pictures have not).
MarkStatus setMark(tpl::Template& tpl, const std::string& name, const std::string& value,
                   PictureMaker& maker);

// The content of the first element whose mark equals `name`; empty when there is none.
std::string getMark(const tpl::Template& tpl, const std::string& name);

// The number of elements whose mark equals `name` (an empty name counts empty marks).
int getSame(const tpl::Template& tpl, const std::string& name);

} // namespace tav::engine
