// The designer's document: a template plus what the editor keeps beside it (zoom, the selected
// element, the elements picked together). Every editing operation of the designer acts here;
// the widgets only translate pointer, keys and controls into these calls. No Qt in here.
//
// Elements are numbered from 1 as the designer counts them: index 1 is the blank placeholder
// that stands for "nothing selected" and is never drawn, hit or saved; the template's elements
// follow from index 2, in drawing order (later ones on top). Deleted elements keep their index,
// flagged, so the numbers of the others do not move.
#pragma once

#include "common/Status.h"
#include "common/Units.h"
#include "editor/core/CanvasScale.h"
#include "editor/core/TextMeasurer.h"
#include "editor/core/Tool.h"
#include "printengine/PictureMaker.h"
#include "template/Template.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav::editor {

inline constexpr std::int32_t kPlaceholderIndex = 1; // "nothing selected"
inline constexpr std::int32_t kFirstElementIndex = 2;

// Bounds of positions and sizes taken by setBox (tenths of a millimetre, exclusive).
inline constexpr std::int32_t kMinPosition = -1;
inline constexpr std::int32_t kMinSize = 0;
inline constexpr std::int32_t kMaxLength = 5000;
// The thickness the designer gives horizontal and vertical lines is kLineThickness
// (common/Units.h): the line runs through the middle of the box.

// Arrow-key moves by one tenth of a millimetre.
enum class Direction { Up = 1, Down = 2, Left = 3, Right = 4 };

// The page settings to change; fields left empty stay as they are.
struct PageChange {
    std::optional<std::int32_t> paperWidth = {};  // taken only when > 0
    std::optional<std::int32_t> paperHeight = {}; // taken only when > 0
    std::optional<std::int32_t> orientation = {};
    std::optional<std::int32_t> paperColor = {};
    std::optional<std::int32_t> printScale = {};
    std::optional<std::string> printerName = {};
};

// The box fields to change; fields left empty stay as they are.
struct BoxChange {
    std::optional<std::int32_t> x = {}, y = {}, width = {}, height = {};
};

// Where a document gets its pictures and text extents from.
struct DocumentServices {
    engine::PictureMaker* pictures = &engine::libraryPictureMaker();
    TextMeasurer* text = &screenTextMeasurer();
};

enum class LoadStatus {
    Loaded,
    NoFile,     // nothing exists at the path: the document is unchanged
    CannotOpen, // the file cannot be read: the document is new
    BadMagic,   // not a template of a version the designer opens: the document is new
};
const char* toString(LoadStatus status);

class EditorDocument {
public:
    // A new document (see reset()).
    explicit EditorDocument(DocumentServices services = {});

    // Copies are independent documents; picture payloads are shared until one side replaces
    // them, so a copy costs in proportion to the number of elements.
    EditorDocument(const EditorDocument&) = default;
    EditorDocument& operator=(const EditorDocument&) = default;
    EditorDocument(EditorDocument&&) noexcept = default;
    EditorDocument& operator=(EditorDocument&&) noexcept = default;
    EditorDocument clone() const { return *this; }

    // --- the whole document ---

    // A new document: paper 50 x 50 mm, orientation 0, white paper, print scale 0, no printer,
    // zoom 1.0, no elements, nothing selected.
    void reset();
    // The template with every element, deleted ones included (flagged).
    const tpl::Template& templ() const { return m_template; }
    // The template as drawn and printed: the elements that are not deleted, in order. Picture
    // payloads are shared, not copied.
    tpl::Template drawnTemplate() const;

    // --- page ---

    void setPage(const PageChange& change);
    const tpl::PageSettings& page() const { return m_template.page; }

    // --- zoom ---

    // Clamped to 0.1..2.0; values that are not numbers give 1.0.
    void setZoom(float zoom);
    float zoom() const { return m_template.page.zoom; }
    // The zoom as the slider position 1..20 (zoom x 10, rounded).
    int zoomStep() const;

    // --- elements and selection ---

    // The number of indices in use, the placeholder included: valid indices are 1..count.
    std::int32_t elementCount() const;
    // The element at `index` (1 = the placeholder); the placeholder for indices out of range.
    const tpl::TemplateElement& element(std::int32_t index) const;
    // Selects `index` when 1 <= index <= elementCount(); otherwise nothing changes.
    void select(std::int32_t index);
    std::int32_t selectedIndex() const { return m_selected; }
    bool hasSelection() const { return m_selected >= kFirstElementIndex; }
    // The selected element; the placeholder when nothing is selected.
    const tpl::TemplateElement& selected() const { return element(m_selected); }
    // The selected element's kind code; 0 when nothing is selected (the page tab).
    std::int32_t selectedKind() const { return selected().kind; }

    // --- fields of the selected element (setters do nothing when nothing is selected) ---

    void setPenColor(std::int32_t color);
    std::int32_t penColor() const { return selected().penColor; }
    void setPenWidth(std::int32_t width);
    std::int32_t penWidth() const { return selected().penWidth; }
    void setFillColor(std::int32_t color);
    std::int32_t fillColor() const { return selected().fillColor; }
    void setCornerSize(std::int32_t size);
    std::int32_t cornerSize() const { return selected().cornerSize; }
    void setTextColor(std::int32_t color);
    std::int32_t textColor() const { return selected().textColor; }
    void setMark(const std::string& mark);
    const std::string& mark() const { return selected().mark; }
    // Stores the text (GBK) and rebuilds what depends on it: the barcode or QR picture, the
    // picture of the file a picture element names (when it can be read), a text's box.
    void setContent(const std::string& content);
    const std::string& content() const { return selected().content; }
    // A text's font; the text's box is measured anew.
    void setFont(const tpl::ElementFont& font);
    const tpl::ElementFont& font() const { return selected().font; }
    // Replaces the picture: `image.source` = bytes, `image.shown` = them turned by the rotation.
    void setPicture(tpl::SharedBytes bytes);
    // Turns the picture: `image.shown` is rebuilt from `image.source`.
    void setRotation(std::int32_t rotation);
    std::int32_t rotation() const { return selected().image.rotation; }
    // The QR symbol's size in pixels (below 1: 256); the QR picture is rebuilt.
    void setQrSize(std::int32_t size);
    std::int32_t qrSize() const { return selected().image.qrSize; }

    // The selected element's box.
    const tpl::ElementBox& box() const { return selected().box; }
    // Takes x and y when -1 < value < 5000, width and height when 0 < value < 5000, ignores the
    // others silently; then gives a horizontal line height 10, a vertical line width 10, and a
    // text the measured extent of its content (width and height exchanged at 900 and 2700).
    void setBox(const BoxChange& change);
    // Moves the selected element by one unit (arrow keys), through setBox.
    void moveSelected(Direction direction);

    // --- pointer (positions in tenths of a millimetre: pixels divided by the zoom) ---

    // The topmost element that is not deleted and whose box contains the point, edges
    // included; kPlaceholderIndex when none.
    std::int32_t hitTest(double x, double y) const;
    // True when the point lies on the resize handle of the selected element: the square of
    // kResizeHandlePixels screen pixels (at `zoom`) whose top-left corner is the box's
    // bottom-right corner.
    bool hitResizeHandle(double x, double y, double zoom) const;

    // --- adding elements (appended on top; every field zero except the font 9 pt 宋体) ---

    // RectOutline, RectFilled, or RoundedRect when `corner` > 0 (filled, cornerSize = corner).
    std::int32_t addRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                         bool filled, std::int32_t corner = 0);
    std::int32_t addEllipse(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                            bool filled);
    // `kind`: HorizontalLine, VerticalLine, DiagonalDown or DiagonalUp.
    std::int32_t addLine(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                         tpl::ElementKind kind);
    std::int32_t addBarcode(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                            const std::string& content);
    std::int32_t addQrCode(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                           const std::string& content, std::int32_t size);
    std::int32_t addPicture(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                            tpl::SharedBytes bytes);
    // The box is the measured extent of the content.
    std::int32_t addText(std::int32_t x, std::int32_t y, const std::string& content);
    // Creates what `tool` creates at the pointer (x, y) with the tool's size and defaults, and
    // selects it; `picture` is the chosen file's bytes for the picture tool. Returns the new
    // index; kPlaceholderIndex (nothing created) for the select tool.
    std::int32_t createWithTool(Tool tool, std::int32_t x, std::int32_t y,
                                tpl::SharedBytes picture = {});

    // --- Edit menu (all do nothing when nothing is selected) ---

    // Flags the selected element deleted, unpicks it and selects nothing.
    void deleteSelected();
    // Appends an exact copy of the selected element on top and selects it; returns its index.
    std::int32_t duplicateSelected();
    // Swaps with the element above / below (selection and picks follow); false at the top / at
    // index 2.
    bool raiseSelected();
    bool lowerSelected();
    // x = paperWidth / 2 - width / 2, y = paperHeight / 2 - height / 2, truncated toward zero.
    void centerHorizontally();
    void centerVertically();

    // --- elements picked together ---

    const std::vector<std::int32_t>& multiSelection() const { return m_multi; }
    std::int32_t multiSelectionCount() const;
    // Adds the element under the point, unless there is none or it is already picked.
    void addToMultiSelection(double x, double y);
    // Moves every picked element that is not deleted by one unit.
    void moveMultiSelection(Direction direction);
    void clearMultiSelection() { m_multi.clear(); }
    // Picks the elements, not deleted, whose boxes lie wholly inside the rectangle between the
    // two corners (in any order); replaces the previous pick.
    void selectInRectangle(double x1, double y1, double x2, double y2);
    // Selects nothing and empties the pick (Esc).
    void selectNothing();

    // --- files ---

    // Opens a template of any of the designer's three versions, keeping every element record.
    // The zoom comes from the file (1.0 for the older versions). Nothing is selected after.
    LoadStatus load(const std::string& path);
    // Writes the template (not the deleted elements, nor those placed beyond 499.9 mm)
    // atomically: a failed save leaves a previous file as it was and says why.
    Status save(const std::string& path) const;
    // Saves into a new scratch file of its own (for handing the document to the print engine):
    // its path, or why it cannot be made. The caller removes it.
    Result<std::string> saveToScratchFile() const;

private:
    tpl::TemplateElement* selectedElement();
    tpl::TemplateElement* elementAt(std::int32_t index);
    std::int32_t append(tpl::TemplateElement element);
    void swapElements(std::int32_t a, std::int32_t b);
    void rebuildPictures(tpl::TemplateElement& e);
    void setSource(tpl::TemplateElement& e, tpl::SharedBytes source);
    void fitText(tpl::TemplateElement& e);

    DocumentServices m_services;
    tpl::Template m_template; // the real elements: index i of the designer is elements[i - 2]
    std::int32_t m_selected = kPlaceholderIndex;
    std::vector<std::int32_t> m_multi;
};

} // namespace tav::editor
