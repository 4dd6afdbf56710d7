// The edit session: an edit takes a history step exactly when it changes the template, a
// gesture is one step measured from its start, and adjustments take none.
#include "editor/core/EditSession.h"
#include "editor/core/FakeServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tav::editor {
namespace {

// Two rectangles on a 100 x 80 mm page: element 2 at the top-left corner, element 3 in the
// middle of the page, so that it is centered both ways already.
EditorDocument twoRects(test::FakeServices& fakes) {
    EditorDocument doc(fakes.services());
    doc.setPage({.paperWidth = 1000, .paperHeight = 800});
    doc.addRect(0, 0, 100, 100, false);
    doc.addRect(450, 350, 100, 100, false);
    return doc;
}

struct EditCase {
    const char* name;
    std::int32_t select; // the element selected before the edit (0: none)
    std::function<void(EditorDocument&)> change;
    bool changes;
};

class EditSessionTest : public testing::TestWithParam<EditCase> {
protected:
    test::FakeServices fakes;
};

TEST_P(EditSessionTest, TakesAStepOnlyWhenTheTemplateChanged) {
    const EditCase& c = GetParam();
    EditSession session(twoRects(fakes));
    // One step back first, so that a step shows: the index rises and the redo side goes.
    ASSERT_TRUE(session.undo());
    session.adjust([&](EditorDocument& d) { d.select(c.select); });
    const int before = session.history().currentIndex();
    EXPECT_EQ(session.edit(c.change), c.changes);
    EXPECT_EQ(session.history().currentIndex(), c.changes ? before + 1 : before);
    EXPECT_EQ(session.canRedo(), !c.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EditSessionTest,
    testing::Values(
        EditCase{"ArrowInsideTheRange", 3,
                 [](EditorDocument& d) { d.moveSelected(Direction::Left); }, true},
        EditCase{"ArrowAtTheLeftEdge", 2,
                 [](EditorDocument& d) { d.moveSelected(Direction::Left); }, false},
        EditCase{"ArrowAtTheTopEdge", 2, [](EditorDocument& d) { d.moveSelected(Direction::Up); },
                 false},
        EditCase{"ArrowWithNothingSelected", 0,
                 [](EditorDocument& d) { d.moveSelected(Direction::Right); }, false},
        EditCase{"CenteringAnElementOffCenter", 2,
                 [](EditorDocument& d) { d.centerHorizontally(); }, true},
        EditCase{"CenteringACenteredElementHorizontally", 3,
                 [](EditorDocument& d) { d.centerHorizontally(); }, false},
        EditCase{"CenteringACenteredElementVertically", 3,
                 [](EditorDocument& d) { d.centerVertically(); }, false},
        EditCase{"LoweringTheFirstElement", 2, [](EditorDocument& d) { d.lowerSelected(); }, false},
        EditCase{"RaisingTheLastElement", 3, [](EditorDocument& d) { d.raiseSelected(); }, false},
        EditCase{"RaisingTheFirstElement", 2, [](EditorDocument& d) { d.raiseSelected(); }, true},
        EditCase{"Duplicating", 2, [](EditorDocument& d) { d.duplicateSelected(); }, true},
        EditCase{"Deleting", 3, [](EditorDocument& d) { d.deleteSelected(); }, true},
        EditCase{"SelectingOnly", 0, [](EditorDocument& d) { d.select(3); }, false},
        EditCase{"AnIgnoredPageWidth", 0, [](EditorDocument& d) { d.setPage({.paperWidth = 0}); },
                 false}),
    [](const testing::TestParamInfo<EditCase>& param) { return std::string(param.param.name); });

TEST(EditSessionGestureTest, ADragIsOneStepTakenAtItsEnd) {
    test::FakeServices fakes;
    EditSession session(twoRects(fakes));
    const int start = session.history().currentIndex();
    session.adjust([](EditorDocument& d) { d.select(3); });
    session.beginGesture();
    for (std::int32_t x = 460; x <= 500; x += 10)
        session.adjust([x](EditorDocument& d) { d.setBox({.x = x}); });
    EXPECT_EQ(session.history().currentIndex(), start);
    EXPECT_TRUE(session.finishGesture());
    EXPECT_EQ(session.document().box().x, 500);
    // Undo shows the drawing without its selection, then the element where it was.
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.document().element(3).box.x, 500);
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.document().element(3).box.x, 450);
}

TEST(EditSessionGestureTest, AGestureBackWhereItStartedTakesNoStep) {
    test::FakeServices fakes;
    EditSession session(twoRects(fakes));
    const bool couldUndo = session.canUndo();
    session.beginGesture();
    session.adjust([](EditorDocument& d) {
        d.select(3);
        d.setBox({.x = 470});
    });
    session.adjust([](EditorDocument& d) { d.setBox({.x = 450}); });
    EXPECT_TRUE(session.inGesture());
    EXPECT_FALSE(session.finishGesture());
    EXPECT_FALSE(session.inGesture());
    EXPECT_EQ(session.canUndo(), couldUndo);
    // Finishing again without a start does nothing.
    EXPECT_FALSE(session.finishGesture());
}

TEST(EditSessionGestureTest, EditsInsideAGestureWaitForItsEnd) {
    test::FakeServices fakes;
    EditSession session(twoRects(fakes));
    const int start = session.history().currentIndex();
    session.adjust([](EditorDocument& d) { d.select(2); });
    session.beginGesture();
    EXPECT_TRUE(session.edit([](EditorDocument& d) { d.moveSelected(Direction::Right); }));
    EXPECT_EQ(session.history().currentIndex(), start);
    EXPECT_TRUE(session.finishGesture());
}

TEST(EditSessionTest, NewAndOpenReplaceEverySnapshot) {
    test::FakeServices fakes;
    EditSession session(twoRects(fakes));
    ASSERT_TRUE(session.edit([](EditorDocument& d) { d.addRect(10, 10, 10, 10, true); }));
    EditorDocument opened = twoRects(fakes);
    opened.addRect(20, 20, 20, 20, false);
    session.replace(opened);
    EXPECT_EQ(session.document().elementCount(), 4); // the placeholder and three
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.document().elementCount(), 1); // the placeholder only
    session.renew();
    EXPECT_EQ(session.document().elementCount(), 1); // the placeholder only
}

} // namespace
} // namespace tav::editor
