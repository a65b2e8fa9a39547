// An owner-drawn grid: fixed column widths, a row count and a default row height, no grid lines
// and no painting of its own; the owner paints every visible cell through a callback that gets
// the column, the row, the cell rectangle and a canvas. It scrolls vertically when its rows do
// not fit and offers an optional pop-up menu. Screen readers see it as a table whose cells read
// the texts the owner draws in them.
#pragma once

#include "Canvas.h"

#include <QAbstractScrollArea>

#include <functional>
#include <vector>

class QMenu;

namespace zelm {

class TDrawGrid : public QAbstractScrollArea {
public:
    using TDrawCell = std::function<void(int column, int row, const QRect& rect, TCanvas& canvas)>;

    explicit TDrawGrid(QWidget* parent = nullptr);

    void SetColumnWidths(const std::vector<int>& widths);
    const std::vector<int>& ColumnWidths() const { return ColumnWidths_; }
    int ColCount() const { return int(ColumnWidths_.size()); }
    void SetRowCount(int rows);
    int RowCount() const { return RowCount_; }
    void SetDefaultRowHeight(int height);
    int DefaultRowHeight() const { return RowHeight_; }
    // Whether a vertical scroll bar appears when the rows do not fit (on by default).
    void SetVerticalScrollBar(bool shown);
    // The colour the canvas brush starts with at every paint (0x00BBGGRR).
    void SetBrushColour(std::uint32_t colour) { BrushColour_ = colour; }
    std::uint32_t BrushColour() const { return BrushColour_; }
    // The menu shown on a right click; not owned.
    void SetPopupMenu(QMenu* menu) { PopupMenu_ = menu; }
    QMenu* PopupMenu() const { return PopupMenu_; }

    TDrawCell OnDrawCell;

    // The rectangle of a cell in the viewport, as painted.
    QRect CellRect(int column, int row) const;
    // The texts a cell shows, as OnDrawCell draws them (what a screen reader reads); empty for a
    // cell of drawing only.
    QString CellText(int column, int row) const;
    // What the cell notes for a screen reader besides its texts (TCanvas::Note).
    QString CellNote(int column, int row) const;

    // The row the keyboard is on (Up, Down, Page Up, Page Down, Home, End), framed while the grid
    // has the focus; a screen reader is told of it as the focused cell of its first column,
    // described by RowSummary (by default the row's texts).
    int CurrentRow() const { return CurrentRow_; }
    void SetCurrentRow(int row);
    std::function<QString(int row)> RowSummary;
    QString RowSummaryText(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void UpdateScrollRange();
    QString Recorded(int column, int row, bool notes) const;
    void AnnounceCurrentRow();
    int CurrentRow_ = 0;
    std::vector<int> ColumnWidths_;
    int RowCount_ = 0;
    int RowHeight_ = 24;
    std::uint32_t BrushColour_ = 0xFFFFFF;
    QMenu* PopupMenu_ = nullptr;
};

} // namespace zelm
