// The drop-down list's grid, scrolling, keys and hit testing.
#include <gtest/gtest.h>

#include "viframework/controls/PopupListModel.h"

namespace {

using Key = CHotPopupListModel::Key;
using Kind = CHotPopupListModel::Hit::Kind;

// A, B in column 0 and C, D in column 1.
CHotPopupListModel TwoColumns(int32_t minWidth)
{
    CHotPopupListModel model;
    model.Layout({{0, 0, {30, 10}}, {0, 1, {50.5f, 12}}, {1, 0, {20, 10}}, {1, 1, {10, 11}}}, minWidth);
    return model;
}

// One column of `rows` entries, 10 high each.
CHotPopupListModel OneColumn(int32_t rows, int32_t maxHeight)
{
    std::vector<CHotPopupListModel::Entry> entries;
    for (int32_t r = 0; r < rows; ++r)
        entries.push_back({0, r, {40, 10}});
    CHotPopupListModel model;
    model.Layout(entries, 20, maxHeight, 12);
    return model;
}

TEST(PopupListModel, GridFromTheWidestAndTallestTextsAndNoneWithoutEntries)
{
    const CHotPopupListModel narrow = TwoColumns(40);
    EXPECT_EQ(narrow.ColumnWidth(), 51 + 4);
    EXPECT_EQ(narrow.RowHeight(), 12 + 4);
    EXPECT_EQ(narrow.Columns(), 2);
    EXPECT_EQ(narrow.Rows(), 2);
    EXPECT_EQ(narrow.Size(), (CSize{110, 32}));
    EXPECT_FALSE(narrow.Scrolls());
    EXPECT_EQ(narrow.EntryRect(3), (CRect{55, 16, 110, 32}));

    // The control's width is the least a column gets.
    EXPECT_EQ(TwoColumns(74).ColumnWidth(), 74);

    CHotPopupListModel empty;
    empty.Layout({}, 50);
    EXPECT_FALSE(empty.OnKey(Key::Down));
    EXPECT_EQ(empty.Highlight(), -1);
    EXPECT_EQ(empty.Size(), (CSize{0, 0}));
    EXPECT_EQ(empty.HitTest({1, 1}).kind, Kind::None);
}

TEST(PopupListModel, KeysMoveWithinTheGrid)
{
    CHotPopupListModel model = TwoColumns(40);
    EXPECT_TRUE(model.OnKey(Key::Home));
    EXPECT_EQ(model.Highlight(), 0);
    EXPECT_TRUE(model.OnKey(Key::Right));
    EXPECT_EQ(model.Highlight(), 2);  // C: same row, next column
    EXPECT_FALSE(model.OnKey(Key::Right));
    EXPECT_TRUE(model.OnKey(Key::Left));
    EXPECT_EQ(model.Highlight(), 0);
    EXPECT_FALSE(model.OnKey(Key::Left));
    EXPECT_TRUE(model.OnKey(Key::Up));
    EXPECT_EQ(model.Highlight(), 3);  // wraps to the last
    EXPECT_TRUE(model.OnKey(Key::Down));
    EXPECT_EQ(model.Highlight(), 0);  // and back to the first
    EXPECT_TRUE(model.OnKey(Key::End));
    EXPECT_EQ(model.Highlight(), 3);

    // A side step needs an entry in the same row.
    CHotPopupListModel ragged;
    ragged.Layout({{0, 0, {10, 10}}, {0, 1, {10, 10}}, {0, 2, {10, 10}}, {1, 0, {10, 10}}}, 0);
    ragged.SetHighlight(2);
    EXPECT_FALSE(ragged.OnKey(Key::Right));
    EXPECT_EQ(ragged.Highlight(), 2);
    EXPECT_EQ(ragged.Rows(), 3);
}

TEST(PopupListModel, TallListsScrollToKeepTheHighlightVisible)
{
    CHotPopupListModel model = OneColumn(10, 100);
    ASSERT_TRUE(model.Scrolls());
    EXPECT_EQ(model.VisibleRows(), (100 - 24) / 14);
    EXPECT_EQ(model.Size(), (CSize{44, 5 * 14 + 24}));

    model.OnKey(Key::End);
    EXPECT_EQ(model.FirstRow(), 5);
    EXPECT_EQ(model.EntryRect(9), (CRect{0, 12 + 4 * 14, 44, 12 + 5 * 14}));
    EXPECT_TRUE(model.EntryRect(4).IsEmpty());
    model.OnKey(Key::Home);
    EXPECT_EQ(model.FirstRow(), 0);
    for (int i = 0; i < 5; ++i)
        model.OnKey(Key::Down);
    EXPECT_EQ(model.Highlight(), 5);
    EXPECT_EQ(model.FirstRow(), 1);
    model.OnKey(Key::Home);
    model.OnKey(Key::Up);
    EXPECT_EQ(model.Highlight(), 9);
    EXPECT_EQ(model.FirstRow(), 5);

    EXPECT_FALSE(model.ScrollBy(1));
    EXPECT_TRUE(model.ScrollBy(-2));
    EXPECT_EQ(model.FirstRow(), 3);
    EXPECT_TRUE(model.ScrollBy(-20));
    EXPECT_EQ(model.FirstRow(), 0);
}

TEST(PopupListModel, HitTestFindsEntriesAndScrollAreas)
{
    CHotPopupListModel grid = TwoColumns(40);
    const auto c = grid.HitTest({60, 5});
    EXPECT_EQ(c.kind, Kind::Entry);
    EXPECT_EQ(c.index, 2);
    EXPECT_EQ(grid.HitTest({120, 5}).kind, Kind::None);
    EXPECT_EQ(grid.HitTest({-1, 5}).kind, Kind::None);

    CHotPopupListModel list = OneColumn(10, 100);
    EXPECT_EQ(list.HitTest({5, 3}).kind, Kind::ScrollUp);
    EXPECT_EQ(list.HitTest({5, 90}).kind, Kind::ScrollDown);
    list.ScrollBy(3);
    const auto hit = list.HitTest({5, 12 + 14 + 2});
    EXPECT_EQ(hit.kind, Kind::Entry);
    EXPECT_EQ(hit.index, 4);

    // A row missing in a column hits nothing.
    CHotPopupListModel ragged;
    ragged.Layout({{0, 0, {10, 10}}, {0, 1, {10, 10}}, {1, 0, {10, 10}}}, 0);
    EXPECT_EQ(ragged.HitTest({20, 20}).kind, Kind::None);
}

}  // namespace
