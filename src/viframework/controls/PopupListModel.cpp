#include "viframework/controls/PopupListModel.h"

#include <algorithm>
#include <cmath>

void CHotPopupListModel::Layout(std::vector<Entry> entries, int32_t minWidth, int32_t maxHeight,
                                int32_t scrollAreaHeight)
{
    m_entries = std::move(entries);
    float widest = 0, tallest = 0;
    m_columns = m_rows = 0;
    for (const Entry& e : m_entries) {
        widest = std::max(widest, e.textSize.width);
        tallest = std::max(tallest, e.textSize.height);
        m_columns = std::max(m_columns, e.column + 1);
        m_rows = std::max(m_rows, e.row + 1);
    }
    m_columnWidth = std::max(int32_t(std::ceil(widest)) + 4, minWidth);
    m_rowHeight = int32_t(std::ceil(tallest)) + 4;
    m_visibleRows = m_rows;
    m_scrollArea = 0;
    if (maxHeight > 0 && m_rows * m_rowHeight > maxHeight) {
        m_scrollArea = scrollAreaHeight;
        m_visibleRows = std::clamp((maxHeight - 2 * scrollAreaHeight) / m_rowHeight, 1, m_rows);
    }
    m_firstRow = 0;
    m_highlight = -1;
}

CSize CHotPopupListModel::Size() const
{
    return {m_columns * m_columnWidth, m_visibleRows * m_rowHeight + 2 * m_scrollArea};
}

CRect CHotPopupListModel::EntryRect(int32_t index) const
{
    if (index < 0 || size_t(index) >= m_entries.size())
        return {};
    const Entry& e = m_entries[size_t(index)];
    const int32_t visibleRow = e.row - m_firstRow;
    if (visibleRow < 0 || visibleRow >= m_visibleRows)
        return {};
    const int32_t left = e.column * m_columnWidth, top = m_scrollArea + visibleRow * m_rowHeight;
    return {left, top, left + m_columnWidth, top + m_rowHeight};
}

CRect CHotPopupListModel::ScrollUpRect() const
{
    return Scrolls() ? CRect{0, 0, Size().cx, m_scrollArea} : CRect{};
}

CRect CHotPopupListModel::ScrollDownRect() const
{
    const CSize size = Size();
    return Scrolls() ? CRect{0, size.cy - m_scrollArea, size.cx, size.cy} : CRect{};
}

int32_t CHotPopupListModel::FindEntry(int32_t column, int32_t row) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].column == column && m_entries[i].row == row)
            return int32_t(i);
    return -1;
}

CHotPopupListModel::Hit CHotPopupListModel::HitTest(CPoint point) const
{
    const CSize size = Size();
    if (point.x < 0 || point.y < 0 || point.x >= size.cx || point.y >= size.cy || m_rowHeight <= 0)
        return {};
    if (Scrolls()) {
        if (point.y < m_scrollArea)
            return {Hit::Kind::ScrollUp, -1};
        if (point.y >= size.cy - m_scrollArea)
            return {Hit::Kind::ScrollDown, -1};
    }
    const int32_t row = m_firstRow + (point.y - m_scrollArea) / m_rowHeight;
    const int32_t index = FindEntry(point.x / m_columnWidth, row);
    return index < 0 ? Hit{} : Hit{Hit::Kind::Entry, index};
}

void CHotPopupListModel::KeepVisible(int32_t index)
{
    if (index < 0 || size_t(index) >= m_entries.size())
        return;
    const int32_t row = m_entries[size_t(index)].row;
    if (row < m_firstRow)
        m_firstRow = row;
    else if (row >= m_firstRow + m_visibleRows)
        m_firstRow = row - m_visibleRows + 1;
}

bool CHotPopupListModel::SetHighlight(int32_t index)
{
    if (index < -1 || index >= int32_t(m_entries.size()))
        index = -1;
    KeepVisible(index);
    if (index == m_highlight)
        return false;
    m_highlight = index;
    return true;
}

bool CHotPopupListModel::OnKey(Key key)
{
    const int32_t count = int32_t(m_entries.size());
    if (count == 0)
        return false;
    int32_t target = m_highlight;
    switch (key) {
    case Key::Home:
        target = 0;
        break;
    case Key::End:
        target = count - 1;
        break;
    case Key::Up:
        target = m_highlight <= 0 ? count - 1 : m_highlight - 1;
        break;
    case Key::Down:
        target = m_highlight < 0 || m_highlight >= count - 1 ? 0 : m_highlight + 1;
        break;
    case Key::Left:
    case Key::Right:
        if (m_highlight >= 0) {
            const Entry& e = m_entries[size_t(m_highlight)];
            const int32_t found = FindEntry(e.column + (key == Key::Left ? -1 : 1), e.row);
            if (found >= 0)
                target = found;
        }
        break;
    }
    return SetHighlight(target);
}

bool CHotPopupListModel::ScrollBy(int32_t rows)
{
    const int32_t first = std::clamp(m_firstRow + rows, 0, std::max(0, m_rows - m_visibleRows));
    if (first == m_firstRow)
        return false;
    m_firstRow = first;
    return true;
}
