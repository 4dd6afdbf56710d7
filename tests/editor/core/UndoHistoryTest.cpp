// The undo history. Each test edit sets the print scale to a new number, so a snapshot's print
// scale names the state it holds, and selects the one element, so snapshots with and without
// selection can be told apart.
#include "editor/core/UndoHistory.h"
#include "editor/core/FakeServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav::editor {
namespace {

class HistoryTest : public testing::Test {
protected:
    HistoryTest() : history(initialDocument()) {}

    EditorDocument initialDocument() {
        EditorDocument doc(fakes.services());
        doc.addRect(10, 10, 100, 100, false);
        return doc;
    }

    // An edit as a handler makes it: change the current document in place, then commit.
    void edit(std::int32_t state) {
        EditorDocument& doc = history.current();
        doc.select(2);
        doc.setPage({.printScale = state});
        history.commit();
    }

    // What the user sees: the state number, "*" when something is selected.
    static std::string seen(const EditorDocument& doc) {
        return std::to_string(doc.page().printScale) + (doc.hasSelection() ? "*" : "");
    }

    // What each Undo shows from here on, up to `steps` steps; the history is left at the end.
    std::vector<std::string> undoTrail(int steps) {
        std::vector<std::string> trail;
        for (int i = 0; i < steps && history.undo(); ++i)
            trail.push_back(seen(history.current()));
        return trail;
    }

    test::FakeServices fakes;
    UndoHistory history;
};

using Trail = std::vector<std::string>;

TEST_F(HistoryTest, StartsFullOfTheNewDocumentAtSlotSixty) {
    EXPECT_EQ(history.currentIndex(), 60);
    for (int i = 1; i <= UndoHistory::kSlots; ++i)
        EXPECT_EQ(history.snapshot(i).templ(), history.current().templ());
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(history.redo()); // redo at 60 does nothing
    EXPECT_EQ(history.currentIndex(), 60);
}

TEST_F(HistoryTest, AfterOneEditUndoShowsTheDrawingUnselectedThenTheStateBefore) {
    edit(1);
    EXPECT_EQ(history.currentIndex(), 60);
    EXPECT_EQ(seen(history.current()), "1*");
    EXPECT_EQ(undoTrail(3), (Trail{"1", "0", "0"}));
}

TEST_F(HistoryTest, EditsAreUndoneInOrderAndRedoneUpToTheNewest) {
    for (int s = 1; s <= 4; ++s)
        edit(s);
    EXPECT_EQ(undoTrail(5), (Trail{"4", "3", "2", "1", "0"}));
    EXPECT_TRUE(history.redo());
    EXPECT_TRUE(history.redo());
    EXPECT_EQ(seen(history.current()), "2");
    while (history.redo()) {
    }
    EXPECT_EQ(history.currentIndex(), 60);
    EXPECT_EQ(seen(history.current()), "4*");
}

TEST_F(HistoryTest, SixtyEditsFillTheHistoryAndTheOldestFallOff) {
    // Each committed edit takes one slot (a drag commits once, on release): 60 edits fill them.
    for (int s = 1; s <= 60; ++s)
        edit(s);
    Trail expected;
    for (int s = 60; s >= 2; --s)
        expected.push_back(std::to_string(s));
    EXPECT_EQ(undoTrail(100), expected); // 59 steps back to slot 1
    EXPECT_EQ(history.currentIndex(), 1);
    EXPECT_FALSE(history.undo()); // undo at 1 does nothing
    EXPECT_EQ(history.currentIndex(), 1);
}

TEST_F(HistoryTest, SnapshotsAreIndependentOfTheDocumentBeingEdited) {
    edit(1);
    history.current().setBox({.x = 77});
    history.current().setContent("changed");
    EXPECT_EQ(history.snapshot(59).element(2).box.x, 10);
    EXPECT_EQ(history.snapshot(59).element(2).content, "");
}

// An edit made after an undo keeps the state it was made on, drops the redo side, and keeps
// every earlier state in order. Written as it was, the edit overwrote the snapshot the user was
// looking at, and Redo still reached the abandoned states.
TEST_F(HistoryTest, AnEditAfterUndoKeepsTheStateItWasMadeOn) {
    struct Case {
        int row;
        int edits;
        int undos;
        Trail afterNewEdit; // Undo from the new edit, at most 8 steps
    };
    const Case cases[] = {
        {1, 3, 1, {"9", "3", "2", "1", "0", "0", "0", "0"}}, // made on "3" unselected
        {2, 3, 2, {"9", "2", "1", "0", "0", "0", "0", "0"}},
        {3, 3, 3, {"9", "1", "0", "0", "0", "0", "0", "0"}},
        {4, 3, 59, {"9", "0"}}, // from slot 1: nothing older
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        history = UndoHistory(initialDocument());
        for (int s = 1; s <= c.edits; ++s)
            edit(s);
        for (int i = 0; i < c.undos; ++i)
            history.undo();
        const std::string viewed = seen(history.current());
        edit(9);
        EXPECT_FALSE(history.canRedo());
        EXPECT_FALSE(history.redo());
        EXPECT_EQ(seen(history.current()), "9*");
        const Trail trail = undoTrail(8);
        ASSERT_GE(trail.size(), 2u);
        EXPECT_EQ(trail[0], "9");    // the same drawing, unselected
        EXPECT_EQ(trail[1], viewed); // the state the edit was made on
        EXPECT_EQ(trail, c.afterNewEdit);
    }
}

TEST_F(HistoryTest, EditsAfterAnUndoKeepRisingUntilSlotSixty) {
    for (int s = 1; s <= 3; ++s)
        edit(s);
    for (int i = 0; i < 10; ++i)
        history.undo();
    EXPECT_EQ(history.currentIndex(), 50);
    edit(7);
    EXPECT_EQ(history.currentIndex(), 52); // one slot for the state it was made on
    edit(8);
    EXPECT_EQ(history.currentIndex(), 53);
    EXPECT_EQ(undoTrail(5), (Trail{"8", "7", "0", "0", "0"}));
}

TEST_F(HistoryTest, ResetEmptiesEverySlotAndKeepsTheIndex) {
    edit(1);
    edit(2);
    history.undo();
    history.resetAll();
    EXPECT_EQ(history.currentIndex(), 59);
    const EditorDocument fresh(fakes.services());
    for (int i = 1; i <= UndoHistory::kSlots; ++i)
        EXPECT_EQ(history.snapshot(i).templ(), fresh.templ());
    EXPECT_TRUE(history.redo()); // New leaves every slot usable

    // The index rises by one per edit after New, as after any edit.
    for (int i = 0; i < 10; ++i)
        history.undo();
    history.resetAll();
    ASSERT_EQ(history.currentIndex(), 50);
    edit(3);
    EXPECT_EQ(history.currentIndex(), 51);
    EXPECT_EQ(undoTrail(3), (Trail{"3", "0", "0"}));
}

TEST_F(HistoryTest, OpeningPutsTheFileIntoTheCurrentSlotOverNewDocuments) {
    edit(5);
    EditorDocument opened(fakes.services());
    opened.setPage({.printScale = 42});
    history.resetAll(opened);
    EXPECT_EQ(seen(history.current()), "42");
    EXPECT_EQ(history.snapshot(59).templ(), EditorDocument(fakes.services()).templ());
    // An edit on the opened file can be undone back to the file as opened.
    edit(6);
    EXPECT_EQ(undoTrail(2), (Trail{"6", "42"}));
}

} // namespace
} // namespace tav::editor
