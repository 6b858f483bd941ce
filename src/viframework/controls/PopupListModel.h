// The arithmetic of a drop-down's pop-up list, apart from its window: the
// grid of columns and rows, scrolling when it is taller than the screen,
// keyboard navigation and hit testing. Units are whatever the caller
// measured the texts in (device pixels for the window).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Geometry.h"
#include "viframework/controls/PanelGraphics.h"

class CHotPopupListModel {
public:
    struct Entry {
        int32_t column = 0;
        int32_t row = 0;
        SizeF textSize;  // the measured text
    };

    enum class Key { Home, End, Left, Right, Up, Down };

    struct Hit {
        enum class Kind { None, Entry, ScrollUp, ScrollDown };
        Kind kind = Kind::None;
        int32_t index = -1;  // the entry, for Kind::Entry
    };

    // Lays the entries out. Columns are as wide as the widest text + 4 (at
    // least minWidth), rows as high as the tallest text + 4. With a maximum
    // height the list shows only the rows that fit between a scroll area
    // above and one below them (0: no limit).
    void Layout(std::vector<Entry> entries, int32_t minWidth, int32_t maxHeight = 0, int32_t scrollAreaHeight = 12);

    int32_t ColumnWidth() const { return m_columnWidth; }
    int32_t RowHeight() const { return m_rowHeight; }
    int32_t Columns() const { return m_columns; }
    int32_t Rows() const { return m_rows; }
    bool Scrolls() const { return m_visibleRows < m_rows; }
    int32_t VisibleRows() const { return m_visibleRows; }
    int32_t FirstRow() const { return m_firstRow; }
    // The list's size, scroll areas included.
    CSize Size() const;

    // Where an entry is drawn, relative to the list's top-left corner; empty
    // when it is scrolled out of view.
    CRect EntryRect(int32_t index) const;
    CRect ScrollUpRect() const;
    CRect ScrollDownRect() const;
    // The entry at (column, row), or -1.
    int32_t FindEntry(int32_t column, int32_t row) const;
    Hit HitTest(CPoint point) const;

    int32_t Highlight() const { return m_highlight; }
    // Highlights an entry (-1: none), scrolling it into view; true when the highlight changed.
    bool SetHighlight(int32_t index);
    // Home, End, the same row of the neighbouring column, previous and next
    // with wrap-around; true when the highlight changed.
    bool OnKey(Key key);
    // Moves the view by rows, within the list; true when it moved.
    bool ScrollBy(int32_t rows);

private:
    void KeepVisible(int32_t index);

    std::vector<Entry> m_entries;
    int32_t m_columnWidth = 0;
    int32_t m_rowHeight = 0;
    int32_t m_columns = 0;
    int32_t m_rows = 0;
    int32_t m_visibleRows = 0;
    int32_t m_scrollArea = 0;
    int32_t m_firstRow = 0;
    int32_t m_highlight = -1;
};
