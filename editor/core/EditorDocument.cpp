#include "editor/core/EditorDocument.h"

#include "platform/ScratchFile.h"
#include "printengine/Marks.h"
#include "printengine/PictureTurn.h"
#include "template/TemplateReader.h"
#include "template/TemplateWriter.h"

#include <algorithm>
#include <cmath>

namespace tav::editor {
namespace {

using tpl::ElementKind;

bool isKind(const tpl::TemplateElement& e, ElementKind kind) {
    return e.kind == static_cast<std::int32_t>(kind);
}

const tpl::TemplateElement& placeholder() {
    static const tpl::TemplateElement blank;
    return blank;
}

bool inOpenRange(std::int32_t value, std::int32_t low, std::int32_t high) {
    return value > low && value < high;
}

// Boxes compared in document units with the tolerance the canvas allows at the edges.
constexpr double kEdgeTolerance = 1e-7;

bool contains(const tpl::ElementBox& b, double x, double y) {
    return x >= b.x - kEdgeTolerance && x <= double(b.x) + b.width + kEdgeTolerance &&
           y >= b.y - kEdgeTolerance && y <= double(b.y) + b.height + kEdgeTolerance;
}

// `value` moved by `delta`, when the result is a position setBox can take at all; a box read
// from a file may sit at the very end of the integer range.
std::optional<std::int32_t> moved(std::int32_t value, int delta) {
    const std::int64_t to = std::int64_t{value} + delta;
    if (to <= kMinPosition || to >= kMaxLength)
        return std::nullopt;
    return static_cast<std::int32_t>(to);
}

// The change that moves a box by one unit in `direction`.
BoxChange step(const tpl::ElementBox& b, Direction direction) {
    BoxChange change;
    switch (direction) {
    case Direction::Up:
        change.y = moved(b.y, -1);
        break;
    case Direction::Down:
        change.y = moved(b.y, 1);
        break;
    case Direction::Left:
        change.x = moved(b.x, -1);
        break;
    case Direction::Right:
        change.x = moved(b.x, 1);
        break;
    }
    return change;
}

} // namespace

const char* toString(LoadStatus status) {
    switch (status) {
    case LoadStatus::Loaded:
        return "loaded";
    case LoadStatus::NoFile:
        return "no such file";
    case LoadStatus::CannotOpen:
        return "the file cannot be read";
    case LoadStatus::BadMagic:
        return "not a template";
    }
    return "unknown";
}

EditorDocument::EditorDocument(DocumentServices services) : m_services(services) {
    reset();
}

void EditorDocument::reset() {
    tpl::clearTemplate(m_template);
    m_template.page.paperWidth = 500;
    m_template.page.paperHeight = 500;
    m_template.page.paperColor = 0xFFFFFF;
    m_template.page.zoom = 1.0f;
    m_selected = kPlaceholderIndex;
    m_multi.clear();
}

tpl::Template EditorDocument::drawnTemplate() const {
    tpl::Template drawn;
    drawn.page = m_template.page;
    drawn.elements.reserve(m_template.elements.size());
    for (const auto& e : m_template.elements)
        if (!e.deleted)
            drawn.elements.push_back(e);
    return drawn;
}

void EditorDocument::setPage(const PageChange& change) {
    auto& page = m_template.page;
    if (change.paperWidth && *change.paperWidth > 0)
        page.paperWidth = *change.paperWidth;
    if (change.paperHeight && *change.paperHeight > 0)
        page.paperHeight = *change.paperHeight;
    if (change.orientation)
        page.orientation = *change.orientation;
    if (change.paperColor)
        page.paperColor = *change.paperColor;
    if (change.printScale)
        page.printScale = *change.printScale;
    if (change.printerName)
        page.printerName = *change.printerName;
}

void EditorDocument::setZoom(float zoom) {
    m_template.page.zoom = std::isnan(zoom) ? 1.0f : std::clamp(zoom, kMinZoom, kMaxZoom);
}

int EditorDocument::zoomStep() const {
    return std::clamp(static_cast<int>(std::lround(zoom() * double{kZoomStepsPerUnit})),
                      kMinZoomStep, kMaxZoomStep);
}

std::int32_t EditorDocument::elementCount() const {
    return static_cast<std::int32_t>(m_template.elements.size()) + 1;
}

const tpl::TemplateElement& EditorDocument::element(std::int32_t index) const {
    if (index < kFirstElementIndex || index > elementCount())
        return placeholder();
    return m_template.elements[static_cast<std::size_t>(index - kFirstElementIndex)];
}

tpl::TemplateElement* EditorDocument::elementAt(std::int32_t index) {
    if (index < kFirstElementIndex || index > elementCount())
        return nullptr;
    return &m_template.elements[static_cast<std::size_t>(index - kFirstElementIndex)];
}

tpl::TemplateElement* EditorDocument::selectedElement() {
    return elementAt(m_selected);
}

void EditorDocument::select(std::int32_t index) {
    if (index >= kPlaceholderIndex && index <= elementCount())
        m_selected = index;
}

void EditorDocument::setPenColor(std::int32_t color) {
    if (auto* e = selectedElement())
        e->penColor = color;
}

void EditorDocument::setPenWidth(std::int32_t width) {
    if (auto* e = selectedElement())
        e->penWidth = width;
}

void EditorDocument::setFillColor(std::int32_t color) {
    if (auto* e = selectedElement())
        e->fillColor = color;
}

void EditorDocument::setCornerSize(std::int32_t size) {
    if (auto* e = selectedElement())
        e->cornerSize = size;
}

void EditorDocument::setTextColor(std::int32_t color) {
    if (auto* e = selectedElement())
        e->textColor = color;
}

void EditorDocument::setMark(const std::string& mark) {
    if (auto* e = selectedElement())
        e->mark = mark;
}

void EditorDocument::setContent(const std::string& content) {
    auto* e = selectedElement();
    if (!e)
        return;
    e->content = content;
    rebuildPictures(*e);
    if (isKind(*e, ElementKind::Text))
        fitText(*e);
}

void EditorDocument::setFont(const tpl::ElementFont& font) {
    auto* e = selectedElement();
    if (!e)
        return;
    e->font = font;
    if (isKind(*e, ElementKind::Text))
        fitText(*e);
}

void EditorDocument::setPicture(tpl::SharedBytes bytes) {
    if (auto* e = selectedElement())
        setSource(*e, std::move(bytes));
}

void EditorDocument::setRotation(std::int32_t rotation) {
    auto* e = selectedElement();
    if (!e)
        return;
    e->image.rotation = rotation;
    setSource(*e, e->image.source);
}

void EditorDocument::setQrSize(std::int32_t size) {
    auto* e = selectedElement();
    if (!e)
        return;
    e->image.qrSize = size;
    if (isKind(*e, ElementKind::QrCodeImage))
        rebuildPictures(*e);
}

void EditorDocument::setSource(tpl::TemplateElement& e, tpl::SharedBytes source) {
    e.image.source = std::move(source);
    // Unturned pictures share the source's bytes: a snapshot then holds one block, not two.
    e.image.shown =
        e.image.rotation == 0
            ? e.image.source
            : tpl::SharedBytes(engine::turnPicture(e.image.source.span(), e.image.rotation));
}

void EditorDocument::rebuildPictures(tpl::TemplateElement& e) {
    engine::PictureMaker& maker = *m_services.pictures;
    if (isKind(e, ElementKind::BarcodeImage)) {
        setSource(e, maker.barcode(e.content));
    } else if (isKind(e, ElementKind::QrCodeImage)) {
        setSource(e, maker.qrCode(e.content, e.image.qrSize < 1 ? kDefaultQrSize : e.image.qrSize));
    } else if (isKind(e, ElementKind::Picture)) {
        // A content that names no readable file leaves the picture as it was.
        if (auto bytes = maker.pictureFile(e.content))
            setSource(e, std::move(*bytes));
    }
}

void EditorDocument::fitText(tpl::TemplateElement& e) {
    const platform::TextExtent extent =
        m_services.text->measure(e.font, m_template.page.printScale, e.content);
    const bool turned = e.font.angle == 900 || e.font.angle == 2700;
    e.box.width = turned ? extent.height : extent.width;
    e.box.height = turned ? extent.width : extent.height;
}

void EditorDocument::setBox(const BoxChange& change) {
    auto* e = selectedElement();
    if (!e)
        return;
    tpl::ElementBox& b = e->box;
    if (change.x && inOpenRange(*change.x, kMinPosition, kMaxLength))
        b.x = *change.x;
    if (change.y && inOpenRange(*change.y, kMinPosition, kMaxLength))
        b.y = *change.y;
    if (change.width && inOpenRange(*change.width, kMinSize, kMaxLength))
        b.width = *change.width;
    if (change.height && inOpenRange(*change.height, kMinSize, kMaxLength))
        b.height = *change.height;
    if (isKind(*e, ElementKind::HorizontalLine))
        b.height = kLineThickness;
    else if (isKind(*e, ElementKind::VerticalLine))
        b.width = kLineThickness;
    else if (isKind(*e, ElementKind::Text))
        fitText(*e);
}

void EditorDocument::moveSelected(Direction direction) {
    auto* e = selectedElement();
    if (!e)
        return;
    setBox(step(e->box, direction));
}

std::int32_t EditorDocument::hitTest(double x, double y) const {
    for (std::int32_t i = elementCount(); i >= kFirstElementIndex; --i) {
        const auto& e = element(i);
        if (!e.deleted && contains(e.box, x, y))
            return i;
    }
    return kPlaceholderIndex;
}

bool EditorDocument::hitResizeHandle(double x, double y, double zoom) const {
    if (!hasSelection() || !(zoom > 0))
        return false;
    const tpl::ElementBox& b = box();
    const double right = double(b.x) + b.width, bottom = double(b.y) + b.height;
    const double side = double{kResizeHandlePixels} / zoom; // the handle keeps its size on screen
    return x >= right - kEdgeTolerance && x <= right + side + kEdgeTolerance &&
           y >= bottom - kEdgeTolerance && y <= bottom + side + kEdgeTolerance;
}

std::int32_t EditorDocument::append(tpl::TemplateElement element) {
    m_template.elements.push_back(std::move(element));
    return elementCount();
}

namespace {

tpl::TemplateElement newElement(ElementKind kind, std::int32_t x, std::int32_t y, std::int32_t w,
                                std::int32_t h) {
    tpl::TemplateElement e;
    e.kind = static_cast<std::int32_t>(kind);
    e.box = {x, y, w, h};
    return e;
}

} // namespace

std::int32_t EditorDocument::addRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                                     bool filled, std::int32_t corner) {
    const ElementKind kind = corner > 0 ? ElementKind::RoundedRect
                             : filled   ? ElementKind::RectFilled
                                        : ElementKind::RectOutline;
    auto e = newElement(kind, x, y, w, h);
    e.cornerSize = corner > 0 ? corner : 0;
    return append(std::move(e));
}

std::int32_t EditorDocument::addEllipse(std::int32_t x, std::int32_t y, std::int32_t w,
                                        std::int32_t h, bool filled) {
    return append(
        newElement(filled ? ElementKind::EllipseFilled : ElementKind::EllipseOutline, x, y, w, h));
}

std::int32_t EditorDocument::addLine(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                                     ElementKind kind) {
    return append(newElement(kind, x, y, w, h));
}

std::int32_t EditorDocument::addBarcode(std::int32_t x, std::int32_t y, std::int32_t w,
                                        std::int32_t h, const std::string& content) {
    auto e = newElement(ElementKind::BarcodeImage, x, y, w, h);
    e.content = content;
    rebuildPictures(e);
    return append(std::move(e));
}

std::int32_t EditorDocument::addQrCode(std::int32_t x, std::int32_t y, std::int32_t w,
                                       std::int32_t h, const std::string& content,
                                       std::int32_t size) {
    auto e = newElement(ElementKind::QrCodeImage, x, y, w, h);
    e.content = content;
    e.image.qrSize = size;
    rebuildPictures(e);
    return append(std::move(e));
}

std::int32_t EditorDocument::addPicture(std::int32_t x, std::int32_t y, std::int32_t w,
                                        std::int32_t h, tpl::SharedBytes bytes) {
    auto e = newElement(ElementKind::Picture, x, y, w, h);
    setSource(e, std::move(bytes));
    return append(std::move(e));
}

std::int32_t EditorDocument::addText(std::int32_t x, std::int32_t y, const std::string& content) {
    auto e = newElement(ElementKind::Text, x, y, 0, 0);
    e.content = content;
    fitText(e);
    return append(std::move(e));
}

std::int32_t EditorDocument::createWithTool(Tool tool, std::int32_t x, std::int32_t y,
                                            tpl::SharedBytes picture) {
    constexpr std::int32_t s = kNewShapeSize;
    constexpr std::int32_t half = kLineCenterOffset;
    std::int32_t index = kPlaceholderIndex;
    const std::optional<ElementKind> kind = tool.creates();
    if (!kind)
        return kPlaceholderIndex; // the select tool
    switch (*kind) {
    case ElementKind::RectOutline:
        index = addRect(x, y, s, s, false);
        break;
    case ElementKind::RectFilled:
        index = addRect(x, y, s, s, true);
        break;
    case ElementKind::RoundedRect:
        index = addRect(x, y, s, s, true, kNewCornerSize);
        break;
    case ElementKind::EllipseOutline:
        index = addEllipse(x, y, s, s, false);
        break;
    case ElementKind::EllipseFilled:
        index = addEllipse(x, y, s, s, true);
        break;
    case ElementKind::HorizontalLine:
        index = addLine(x, y - half, s, kLineThickness, ElementKind::HorizontalLine);
        break;
    case ElementKind::VerticalLine:
        index = addLine(x - half, y, kLineThickness, s, ElementKind::VerticalLine);
        break;
    case ElementKind::DiagonalDown:
    case ElementKind::DiagonalUp:
        index = addLine(x, y, s, s, *kind);
        break;
    case ElementKind::BarcodeImage:
        index = addBarcode(x, y, kNewBarcodeWidth, kNewBarcodeHeight, kNewContent);
        break;
    case ElementKind::QrCodeImage:
        index = addQrCode(x, y, s, s, kNewContent, kNewQrSize);
        break;
    case ElementKind::Picture:
        index = addPicture(x, y, s, s, std::move(picture));
        break;
    case ElementKind::Text:
        index = addText(x, y, kNewContent);
        break;
    }
    select(index);
    return index;
}

void EditorDocument::deleteSelected() {
    auto* e = selectedElement();
    if (!e)
        return;
    e->deleted = true;
    // A deleted element is not drawn, so it cannot stay picked with a frame around nothing.
    std::erase(m_multi, m_selected);
    m_selected = kPlaceholderIndex;
}

std::int32_t EditorDocument::duplicateSelected() {
    const auto* e = selectedElement();
    if (!e)
        return kPlaceholderIndex;
    const std::int32_t index = append(*e); // payloads shared: the copy costs no picture bytes
    m_selected = index;
    return index;
}

bool EditorDocument::raiseSelected() {
    if (!hasSelection() || m_selected >= elementCount())
        return false;
    swapElements(m_selected, m_selected + 1);
    ++m_selected;
    return true;
}

bool EditorDocument::lowerSelected() {
    if (m_selected <= kFirstElementIndex)
        return false;
    swapElements(m_selected, m_selected - 1);
    --m_selected;
    return true;
}

void EditorDocument::swapElements(std::int32_t a, std::int32_t b) {
    std::swap(*elementAt(a), *elementAt(b));
    // Picked elements are held by index: they follow their elements.
    for (std::int32_t& index : m_multi)
        index = index == a ? b : index == b ? a : index;
}

void EditorDocument::centerHorizontally() {
    if (auto* e = selectedElement())
        e->box.x = static_cast<std::int32_t>(m_template.page.paperWidth / 2.0 - e->box.width / 2.0);
}

void EditorDocument::centerVertically() {
    if (auto* e = selectedElement())
        e->box.y =
            static_cast<std::int32_t>(m_template.page.paperHeight / 2.0 - e->box.height / 2.0);
}

std::int32_t EditorDocument::multiSelectionCount() const {
    return static_cast<std::int32_t>(m_multi.size());
}

void EditorDocument::addToMultiSelection(double x, double y) {
    const std::int32_t index = hitTest(x, y);
    if (index != kPlaceholderIndex &&
        std::find(m_multi.begin(), m_multi.end(), index) == m_multi.end())
        m_multi.push_back(index);
}

void EditorDocument::moveMultiSelection(Direction direction) {
    const std::int32_t keep = m_selected;
    for (std::int32_t index : m_multi) {
        if (element(index).deleted)
            continue;
        m_selected = index;
        moveSelected(direction);
    }
    m_selected = keep;
}

void EditorDocument::selectInRectangle(double x1, double y1, double x2, double y2) {
    const double left = std::min(x1, x2), right = std::max(x1, x2);
    const double top = std::min(y1, y2), bottom = std::max(y1, y2);
    m_multi.clear();
    for (std::int32_t i = kFirstElementIndex; i <= elementCount(); ++i) {
        const auto& e = element(i);
        const auto& b = e.box;
        if (!e.deleted && b.x >= left && double(b.x) + b.width <= right && b.y >= top &&
            double(b.y) + b.height <= bottom)
            m_multi.push_back(i);
    }
}

void EditorDocument::selectNothing() {
    m_selected = kPlaceholderIndex;
    m_multi.clear();
}

LoadStatus EditorDocument::load(const std::string& path) {
    tpl::Template loaded;
    switch (tpl::readTemplateFile(path, tpl::ReaderVariant::Editor, loaded).code()) {
    case tpl::ReadStatus::NoFile:
        return LoadStatus::NoFile;
    case tpl::ReadStatus::CannotOpen:
        reset();
        return LoadStatus::CannotOpen;
    case tpl::ReadStatus::BadMagic:
        reset();
        return LoadStatus::BadMagic;
    case tpl::ReadStatus::Loaded:
        break;
    }
    m_template = std::move(loaded);
    setZoom(m_template.page.zoom); // a file's zoom outside 0.1..2.0 would size a useless canvas
    m_selected = kPlaceholderIndex;
    m_multi.clear();
    return LoadStatus::Loaded;
}

Status EditorDocument::save(const std::string& path) const {
    return tpl::writeTemplateFile(path, m_template);
}

Result<std::string> EditorDocument::saveToScratchFile() const {
    auto path = platform::createScratchFile();
    if (!path)
        return Result<std::string>::failure("no scratch file can be created");
    if (Status saved = save(*path); !saved) {
        platform::removeFile(*path);
        return saved;
    }
    return std::move(*path);
}

} // namespace tav::editor
