#include "editor/core/EditorDocument.h"
#include "editor/core/EditorTexts.h"
#include "editor/core/UndoHistory.h"

#include <gtest/gtest.h>

namespace tav::editor {

TEST(EditorDocument, ANewDocumentIsHalfADecimetreSquareAndEmpty) {
    EditorDocument doc;
    EXPECT_EQ(doc.page().paperWidth, 500);
    EXPECT_EQ(doc.page().paperHeight, 500);
    EXPECT_EQ(doc.page().paperColor, 0xFFFFFF);
    EXPECT_EQ(doc.zoom(), 1.0f);
    EXPECT_EQ(doc.elementCount(), 1);
    EXPECT_EQ(doc.selectedIndex(), kPlaceholderIndex);
}

} // namespace tav::editor
