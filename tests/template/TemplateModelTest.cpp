#include "template/Template.h"

#include <gtest/gtest.h>

namespace tav::tpl {
namespace {

TemplateElement pictureElement() {
    TemplateElement e;
    e.kind = static_cast<std::int32_t>(ElementKind::Picture);
    e.content = "a.png";
    e.mark = "PHOTO";
    e.image.source = SharedBytes(std::vector<std::uint8_t>{1, 2, 3});
    e.image.shown = e.image.source;
    return e;
}

TEST(TemplateModel, NewElementDefaults) {
    TemplateElement e;
    EXPECT_EQ(e.kind, 0);
    EXPECT_EQ(e.box, ElementBox{});
    EXPECT_EQ(e.font.size, 9);
    EXPECT_EQ(e.font.faceName, "\xCB\xCE\xCC\xE5"); // 宋体
    EXPECT_TRUE(e.content.empty());
    EXPECT_TRUE(e.image.source.empty());
    EXPECT_FALSE(e.deleted);
}

TEST(TemplateModel, ClearEmptiesEverythingAndIsIdempotent) {
    Template tpl;
    tpl.page = {500, 400, 1, 0xFFFFFF, 96, 1.5f, "Zebra"};
    tpl.elements.push_back(pictureElement());
    clearTemplate(tpl);
    EXPECT_EQ(elementCount(tpl), 0);
    EXPECT_EQ(tpl.page, PageSettings{});
    clearTemplate(tpl);
    EXPECT_EQ(tpl, Template{});
}

TEST(TemplateModel, AppendedCopyIsIndependentOfTheOriginal) {
    Template tpl;
    TemplateElement original = pictureElement();
    tpl.elements.push_back(original);
    // The copy shares the payload storage instead of copying the bytes...
    EXPECT_TRUE(tpl.elements[0].image.source.sharesStorageWith(original.image.source));
    // ...yet changing the original leaves it as it was.
    original.content = "b.png";
    original.mark.clear();
    original.font.faceName = "Arial";
    original.image.source = SharedBytes(std::vector<std::uint8_t>{9});
    const TemplateElement& copy = tpl.elements[0];
    EXPECT_EQ(copy.content, "a.png");
    EXPECT_EQ(copy.mark, "PHOTO");
    EXPECT_EQ(copy.font.faceName, "\xCB\xCE\xCC\xE5");
    EXPECT_EQ(copy.image.source, SharedBytes(std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(TemplateModel, CopyingADocumentSharesPicturePayloads) {
    Template tpl;
    for (int i = 0; i < 3; ++i)
        tpl.elements.push_back(pictureElement());
    Template snapshot = tpl;
    EXPECT_EQ(snapshot, tpl);
    for (std::size_t i = 0; i < tpl.elements.size(); ++i)
        EXPECT_TRUE(
            snapshot.elements[i].image.shown.sharesStorageWith(tpl.elements[i].image.shown));
}

TEST(TemplateModel, KindsOutsideTheKnownRangeAreHeld) {
    Template tpl;
    for (std::int32_t kind : {0, 14, -5}) {
        TemplateElement e;
        e.kind = kind;
        tpl.elements.push_back(e);
    }
    EXPECT_EQ(elementCount(tpl), 3);
    EXPECT_EQ(tpl.elements[1].kind, 14);
}

} // namespace
} // namespace tav::tpl
