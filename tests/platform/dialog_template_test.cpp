// The template reader: every field of hand-built templates (strings,
// ordinals, the font block, creation data, DWORD alignment of items), and
// malformed templates that must be refused without reading past their bytes
// (the buffers are exactly as large as the template, so ASan sees overreads).
#include "dialog/dialog_template.h"
#include "dialog_test_support.h"

#include <gtest/gtest.h>

using namespace dialog_test;
using standin::DialogTemplate;
using standin::parse_dialog_template;
using standin::TemplateName;
using Kind = TemplateName::Kind;

namespace {

constexpr DWORD kPopup = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

bool parse(const std::vector<uint8_t> &bytes, DialogTemplate *t, std::string *why = nullptr) {
    std::string ignored;
    return parse_dialog_template(bytes.data(), t, why ? why : &ignored);
}

TEST(DialogTemplate, ReadsHeaderFontItemsAndCreationData) {
    TemplateWriter w;
    w.header(kPopup | DS_SETFONT, 2, -5, 7, 120, 64, 0x00000100);
    w.word(0);      // no menu
    w.word(0);      // standard class
    w.text("Hi");   // 3 units: the font block starts unaligned to DWORD, which is fine
    w.word(9);
    w.text("Tahoma");
    // Item 1: a button with four bytes of creation data.
    w.align4();
    const size_t item1 = w.size();
    w.dword(WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON);
    w.dword(0);
    w.word(3), w.word(4), w.word(50), w.word(14), w.word(1);
    w.word(0xFFFF), w.word(0x0080);
    w.text("OK");
    const size_t data_at = w.size();
    w.word(6);  // the size counts its own word
    w.word(0xBEEF), w.word(0xCAFE);
    // Item 2: a class given by name, an empty title.
    w.align4();
    const size_t item2 = w.size();
    w.dword(WS_CHILD | ES_MULTILINE);
    w.dword(0x200);
    w.word(static_cast<WORD>(-1)), w.word(2), w.word(30), w.word(12), w.word(0xFFFE);
    w.text("edit");
    w.word(0);
    w.word(0);
    const std::vector<uint8_t> bytes = w.exact();
    ASSERT_EQ(item1 % 4, 0u);
    ASSERT_EQ(item2 % 4, 0u);

    DialogTemplate t;
    ASSERT_TRUE(parse(bytes, &t));
    EXPECT_EQ(t.style, kPopup | DS_SETFONT);
    EXPECT_EQ(t.ex_style, 0x100u);
    EXPECT_EQ(t.x, -5);
    EXPECT_EQ(t.y, 7);
    EXPECT_EQ(t.cx, 120);
    EXPECT_EQ(t.cy, 64);
    EXPECT_EQ(t.menu.kind, Kind::None);
    EXPECT_EQ(t.cls.kind, Kind::None);
    EXPECT_EQ(t.title, "Hi");
    EXPECT_TRUE(t.has_font);
    EXPECT_EQ(t.point_size, 9);
    EXPECT_EQ(t.face, "Tahoma");
    ASSERT_EQ(t.items.size(), 2u);

    const auto &b = t.items[0];
    EXPECT_EQ(b.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON));
    EXPECT_EQ(b.x, 3);
    EXPECT_EQ(b.y, 4);
    EXPECT_EQ(b.cx, 50);
    EXPECT_EQ(b.cy, 14);
    EXPECT_EQ(b.id, 1);
    EXPECT_EQ(b.cls.kind, Kind::Ordinal);
    EXPECT_EQ(b.cls.ordinal, 0x0080);
    EXPECT_EQ(b.title.kind, Kind::Name);
    EXPECT_EQ(b.title.name, "OK");
    EXPECT_EQ(b.data, bytes.data() + data_at);
    EXPECT_EQ(b.data_size, 6u);

    const auto &e = t.items[1];
    EXPECT_EQ(e.ex_style, 0x200u);
    EXPECT_EQ(e.x, -1);
    EXPECT_EQ(e.id, 0xFFFE);
    EXPECT_EQ(e.cls.kind, Kind::Name);
    EXPECT_EQ(e.cls.name, "edit");
    EXPECT_EQ(e.title.kind, Kind::Name);
    EXPECT_EQ(e.title.name, "");
    EXPECT_EQ(e.data, nullptr);
    EXPECT_EQ(t.size, bytes.size());
}

TEST(DialogTemplate, ReadsOrdinalMenuClassAndTitleForms) {
    TemplateWriter w;
    w.header(kPopup, 1, 0, 0, 10, 10);
    w.word(0xFFFF), w.word(7);  // menu by ordinal
    w.text("MyDialogClass");    // class by name
    w.word(0);                  // no title
    w.align4();
    w.dword(WS_CHILD), w.dword(0);
    w.word(0), w.word(0), w.word(5), w.word(5), w.word(9);
    w.word(0xFFFF), w.word(0x0082);
    w.word(0xFFFF), w.word(0x0065);  // title by resource ordinal
    w.word(0);
    DialogTemplate t;
    ASSERT_TRUE(parse(w.exact(), &t));
    EXPECT_EQ(t.menu.kind, Kind::Ordinal);
    EXPECT_EQ(t.menu.ordinal, 7);
    EXPECT_EQ(t.cls.kind, Kind::Name);
    EXPECT_EQ(t.cls.name, "MyDialogClass");
    EXPECT_EQ(t.title, "");
    EXPECT_FALSE(t.has_font);
    ASSERT_EQ(t.items.size(), 1u);
    EXPECT_EQ(t.items[0].title.kind, Kind::Ordinal);
    EXPECT_EQ(t.items[0].title.ordinal, 0x0065);
}

TEST(DialogTemplate, PadsEachItemToTheNextDwordWhateverTheTitleLengths) {
    // Titles of every length 0..5 give every possible padding before the next item.
    TemplateWriter w;
    w.header(kPopup, 6, 0, 0, 10, 10);
    w.plain_arrays("odd");
    const std::string titles[] = {"", "a", "ab", "abc", "abcd", "abcde"};
    for (int i = 0; i < 6; ++i)
        w.item(WS_CHILD | (i * 0x10), static_cast<short>(i), 0, 1, 1, static_cast<WORD>(100 + i), 0x0082, titles[i]);
    DialogTemplate t;
    ASSERT_TRUE(parse(w.exact(), &t));
    ASSERT_EQ(t.items.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(t.items[i].id, 100 + i);
        EXPECT_EQ(t.items[i].style, static_cast<DWORD>(WS_CHILD | (i * 0x10)));
        EXPECT_EQ(t.items[i].x, i);
        EXPECT_EQ(t.items[i].title.name, titles[i]);
    }
}

TEST(DialogTemplate, TurnsUtf16IntoWindows1252) {
    TemplateWriter w;
    w.header(kPopup, 0, 0, 0, 10, 10);
    w.word(0), w.word(0);
    // e-acute (Latin-1), the euro sign (0x80 in 1252), a CJK character and a
    // lone surrogate (neither has a 1252 byte).
    w.units(u"\u00e9\u20ac\u4e2d\xd800x");
    DialogTemplate t;
    ASSERT_TRUE(parse(w.exact(), &t));
    EXPECT_EQ(t.title, std::string("\xE9\x80??x"));
}

// ---- malformed templates ----

TEST(DialogTemplateRefused, NullAndExtendedTemplates) {
    DialogTemplate t;
    std::string why;
    EXPECT_FALSE(parse_dialog_template(nullptr, &t, &why));
    EXPECT_FALSE(why.empty());

    TemplateWriter w;
    w.word(1), w.word(0xFFFF);  // dlgVer 1, signature 0xFFFF
    w.dword(0), w.dword(0), w.dword(kPopup);
    w.word(0), w.word(0), w.word(0), w.word(10), w.word(10), w.word(0), w.word(0), w.word(0);
    EXPECT_FALSE(parse(w.exact(), &t, &why));
    EXPECT_NE(why.find("extended"), std::string::npos);
}

TEST(DialogTemplateRefused, AHugeItemCountBeforeReadingAnyItem) {
    TemplateWriter w;
    w.header(kPopup, 0xFFFF, 0, 0, 10, 10);
    w.plain_arrays("");
    const std::vector<uint8_t> bytes = w.exact();  // nothing after the arrays
    DialogTemplate t;
    EXPECT_FALSE(parse(bytes, &t));
    EXPECT_TRUE(t.items.empty());
}

TEST(DialogTemplateRefused, ATitleWithoutTerminatorThatRunsToTheLimit) {
    TemplateWriter w;
    w.header(kPopup, 0, 0, 0, 10, 10);
    w.word(0), w.word(0);
    std::vector<uint8_t> bytes = w.exact(standin::kMaxTemplateBytes);
    for (size_t i = w.size(); i < bytes.size(); ++i) bytes[i] = 'A';  // never a 0x0000 unit
    DialogTemplate t;
    std::string why;
    EXPECT_FALSE(parse(bytes, &t, &why));
    EXPECT_NE(why.find("limit"), std::string::npos);
}

TEST(DialogTemplateRefused, ItemsThatRunPastTheLimit) {
    // Enough items pass the count check, but their titles make them too long:
    // the block is filled with them up to the limit, the last one cut off.
    const std::string title(20, 't');
    TemplateWriter w;
    w.header(kPopup, 1500, 0, 0, 10, 10);
    w.plain_arrays("");
    while (w.size() < standin::kMaxTemplateBytes) w.item(WS_CHILD, 0, 0, 1, 1, 1, 0x0082, title);
    std::vector<uint8_t> bytes = w.bytes();
    bytes.resize(standin::kMaxTemplateBytes);
    DialogTemplate t;
    EXPECT_FALSE(parse(bytes, &t));
}

TEST(DialogTemplateRefused, MissingItemsAndBadCreationData) {
    // Two items announced, one present, then zeros: the second has no class.
    TemplateWriter w;
    w.header(kPopup, 2, 0, 0, 10, 10);
    w.plain_arrays("x");
    w.item(WS_CHILD, 0, 0, 1, 1, 1, 0x0080, "b");
    DialogTemplate t;
    EXPECT_FALSE(parse(w.exact(w.size() + 32), &t));

    // A creation-data size smaller than its own size word.
    TemplateWriter d;
    d.header(kPopup, 1, 0, 0, 10, 10);
    d.plain_arrays("");
    d.align4();
    d.dword(WS_CHILD), d.dword(0);
    d.word(0), d.word(0), d.word(1), d.word(1), d.word(1);
    d.word(0xFFFF), d.word(0x0080);
    d.word(0);
    d.word(1);
    EXPECT_FALSE(parse(d.exact(), &t));

    // Creation data claiming more bytes than the limit leaves.
    TemplateWriter big;
    big.header(kPopup, 1, 0, 0, 10, 10);
    big.plain_arrays("");
    big.align4();
    big.dword(WS_CHILD), big.dword(0);
    big.word(0), big.word(0), big.word(1), big.word(1), big.word(1);
    big.word(0xFFFF), big.word(0x0080);
    big.word(0);
    big.word(0xFFFF);
    std::vector<uint8_t> bytes = big.exact();
    bytes.resize(standin::kMaxTemplateBytes - 100, 0);
    EXPECT_FALSE(parse(bytes, &t));
}

}  // namespace
