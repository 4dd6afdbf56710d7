#include "printengine/Marks.h"

#include "printengine/MarkText.h"
#include "printengine/PictureTurn.h"

#include <algorithm>
#include <limits>

namespace tav::engine {
namespace {

using tpl::ElementKind;

bool isKind(const tpl::TemplateElement& e, ElementKind kind) {
    return e.kind == static_cast<std::int32_t>(kind);
}

// Both pictures change together, once the turn has succeeded: a failed allocation leaves the
// element as it was.
void setPictures(tpl::TemplateElement& e, tpl::SharedBytes source) {
    tpl::SharedBytes shown = e.image.rotation == 0
                                 ? source // nothing to turn: share the bytes
                                 : tpl::SharedBytes(turnPicture(source.span(), e.image.rotation));
    e.image.source = std::move(source);
    e.image.shown = std::move(shown);
}

} // namespace

MarkStatus setMark(tpl::Template& tpl, const std::string& name, const std::string& value,
                   PictureMaker& maker) {
    switch (const MarkOutcome outcome = fillMark(tpl, name, value, maker)) {
    case MarkOutcome::Set:
        return MarkStatus::success();
    case MarkOutcome::NoSuchMark:
        return MarkStatus::failure(outcome, "no element's mark contains it");
    case MarkOutcome::PictureUnreadable:
        return MarkStatus::failure(outcome, "its picture file cannot be read");
    case MarkOutcome::PictureKept:
        return MarkStatus::failure(outcome, "no picture file was named");
    }
    return MarkStatus::failure(MarkOutcome::NoSuchMark);
}

MarkOutcome fillMark(tpl::Template& tpl, const std::string& name, const std::string& value,
                     PictureMaker& maker) {
    auto it =
        std::find_if(tpl.elements.begin(), tpl.elements.end(),
                     [&](const tpl::TemplateElement& e) { return markContains(e.mark, name); });
    if (it == tpl.elements.end())
        return MarkOutcome::NoSuchMark;
    tpl::TemplateElement& e = *it;
    // Always built afresh from the mark, so a mark with two names shows one filled at a time.
    e.content = e.mark == name ? value : replaceInMark(e.mark, name, value);

    if (isKind(e, ElementKind::BarcodeImage)) {
        setPictures(e, maker.barcode(e.content));
    } else if (isKind(e, ElementKind::QrCodeImage)) {
        setPictures(e,
                    maker.qrCode(e.content, e.image.qrSize < 1 ? kDefaultQrSize : e.image.qrSize));
    } else if (isKind(e, ElementKind::Picture)) {
        // The file is the one the value names, not the content built from the mark.
        if (value.empty())
            return MarkOutcome::PictureKept;
        auto bytes = maker.pictureFile(value);
        if (!bytes)
            return MarkOutcome::PictureUnreadable;
        setPictures(e, std::move(*bytes));
    }
    return MarkOutcome::Set;
}

std::string getMark(const tpl::Template& tpl, const std::string& name) {
    auto it = std::find_if(tpl.elements.begin(), tpl.elements.end(),
                           [&](const tpl::TemplateElement& e) { return e.mark == name; });
    return it == tpl.elements.end() ? std::string() : it->content;
}

int getSame(const tpl::Template& tpl, const std::string& name) {
    const auto count = std::count_if(tpl.elements.begin(), tpl.elements.end(),
                                     [&](const tpl::TemplateElement& e) { return e.mark == name; });
    return static_cast<int>(std::min<std::ptrdiff_t>(count, std::numeric_limits<int>::max()));
}

} // namespace tav::engine
