// Object rules of the GDI stand-in: memory-DC defaults, selection results,
// deletion of selected and stock objects, compatible bitmap formats, global
// memory lock counts.
#include <gtest/gtest.h>
#include <windows.h>

#include "gdi/address_set.h"
#include "gdi/gdi_objects.h"

#include <random>
#include <set>

namespace {

TEST(MemoryDc, StartsWithWin32Defaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);

    BITMAP bm{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(MemoryDc, CompatibleBitmapOfFreshMemoryDcIsMonochrome) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(dc, 10, 4);
    BITMAP bm{};
    GetObjectA(mono, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidth, 10);

    // Zero size gives a 1x1 monochrome bitmap; negative sizes fail.
    HBITMAP zero = CreateCompatibleBitmap(dc, 0, 5);
    GetObjectA(zero, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 1 << 20, 1 << 20), nullptr);
    DeleteObject(mono);
    DeleteObject(zero);
    DeleteDC(dc);
}

TEST(SelectObject, ReturnsPreviousObjectOfSameType) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN red = CreatePen(PS_SOLID, 3, RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    EXPECT_EQ(SelectObject(dc, red), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, blue), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), red);
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_BRUSH)), blue);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(blue));
    EXPECT_EQ(SelectObject(dc, red), nullptr);  // stale handle
    DeleteDC(dc);
}

TEST(DeleteObject, FailsWhileSelectedAndIgnoresStock) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HGDIOBJ old = SelectObject(dc, pen);
    EXPECT_FALSE(DeleteObject(pen));
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));

    EXPECT_TRUE(DeleteObject(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetStockObject(NULL_BRUSH), GetStockObject(NULL_BRUSH));
    EXPECT_NE(GetStockObject(NULL_BRUSH), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(99), nullptr);
    DeleteDC(dc);
}

TEST(DeleteObject, SelectedBitmapSurvivesUntilDeselected) {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 8, 8);
    HGDIOBJ old = SelectObject(dc, bmp);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(other, bmp), nullptr);  // one memory DC at a time
    EXPECT_FALSE(DeleteObject(bmp));
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(bmp));
    DeleteDC(dc);
    DeleteDC(other);
}

TEST(DeleteDc, ReleasesItsSelections) {
    size_t before = standin::gdi_live_count();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    SelectObject(dc, bmp);
    SelectObject(dc, brush);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(standin::gdi_live_count(), before);
}

TEST(DcAttributes, SettersReturnPreviousValues) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 7), 0);  // invalid mode is refused
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(SetBkColor(dc, RGB(4, 5, 6)), RGB(255, 255, 255));
    DeleteDC(dc);
    EXPECT_EQ(GetBkMode(dc), 0);
    EXPECT_EQ(GetTextColor(dc), CLR_INVALID);
}

TEST(GlobalMemory, MovableBlocksCountLocks) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(h, nullptr);
    char *p = static_cast<char *>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_NE(static_cast<void *>(p), h);
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_TRUE(GlobalUnlock(h));  // still locked once
    SetLastError(1234);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalSize(h), 16u);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h);  // already freed: failure returns the handle
}

TEST(GlobalMemory, ZeroSizeAndHugeRequests) {
    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    EXPECT_EQ(GlobalFree(empty), nullptr);

    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_MAX), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

    HGLOBAL zeroed = GlobalAlloc(GHND, 8);
    const char *z = static_cast<const char *>(GlobalLock(zeroed));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(z[i], 0);
    GlobalUnlock(zeroed);
    GlobalFree(zeroed);
}

// The registry's table against an ordered set: many addresses that share
// their home slots, inserted and erased in random order, with the table
// growing on the way; every erase must leave the rest findable.
TEST(AddressSet, AgreesWithASetThroughInsertsAndErases) {
    standin::AddressSet table;
    std::set<uintptr_t> model;
    std::mt19937 rng(7);
    for (int step = 0; step < 20000; ++step) {
        const uintptr_t a = 16 * (1 + rng() % 300);
        void *p = reinterpret_cast<void *>(a);
        if (rng() % 3 == 0) {
            ASSERT_EQ(table.erase(p), model.erase(a) == 1);
        } else {
            ASSERT_EQ(table.insert(p), model.insert(a).second);
        }
        ASSERT_EQ(table.size(), model.size());
        const uintptr_t probe = 16 * (1 + rng() % 300);
        ASSERT_EQ(table.contains(reinterpret_cast<void *>(probe)), model.count(probe) == 1) << step;
    }
    size_t seen = 0;
    table.for_each([&](void *p) {
        EXPECT_EQ(model.count(reinterpret_cast<uintptr_t>(p)), 1u);
        ++seen;
    });
    EXPECT_EQ(seen, model.size());
    EXPECT_FALSE(table.contains(nullptr));
    EXPECT_FALSE(table.insert(nullptr));
}

}  // namespace
