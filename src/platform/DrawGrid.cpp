#include "DrawGrid.h"

#include "Look.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QScrollBar>

namespace zelm {

TDrawGrid::TDrawGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SetSunkenEdge(this);
    verticalScrollBar()->setSingleStep(1);
}

void TDrawGrid::SetColumnWidths(const std::vector<int>& widths) {
    ColumnWidths_ = widths;
    viewport()->update();
}

void TDrawGrid::SetRowCount(int rows) {
    RowCount_ = std::max(rows, 0);
    UpdateScrollRange();
    viewport()->update();
}

void TDrawGrid::SetDefaultRowHeight(int height) {
    RowHeight_ = std::max(height, 1);
    UpdateScrollRange();
    viewport()->update();
}

void TDrawGrid::SetVerticalScrollBar(bool shown) {
    setVerticalScrollBarPolicy(shown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
}

// The scroll bar moves a row at a time, as far as the last row coming into view.
void TDrawGrid::UpdateScrollRange() {
    const int visible = std::max(viewport()->height() / RowHeight_, 1);
    verticalScrollBar()->setRange(0, std::max(RowCount_ - visible, 0));
    verticalScrollBar()->setPageStep(visible);
}

QRect TDrawGrid::CellRect(int column, int row) const {
    int left = 0;
    for (int c = 0; c < column && c < ColCount(); ++c) left += ColumnWidths_[std::size_t(c)];
    const int width = column < ColCount() ? ColumnWidths_[std::size_t(column)] : 0;
    const int top = (row - verticalScrollBar()->value()) * RowHeight_;
    return {left, top, width, RowHeight_};
}

void TDrawGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    TCanvas canvas(painter, BrushColour_);
    const int first = verticalScrollBar()->value();
    const int visible = viewport()->height() / RowHeight_ + 1;
    // The grid paints nothing itself: every visible cell goes to the owner.
    canvas.FillRect(viewport()->rect());
    // An error of the owner's drawing (a row without a value, say) ends the pass: the rest of
    // the grid stays empty and the error is reported, as the toolkit's error report would.
    try {
        for (int row = first; row < RowCount_ && row <= first + visible; ++row)
            for (int column = 0; column < ColCount(); ++column) {
                canvas.SetBrushColour(BrushColour_);
                const QRect rect = CellRect(column, row);
                if (OnDrawCell) OnDrawCell(column, row, rect, canvas);
            }
    } catch (const std::exception& error) {
        qWarning("%s", error.what());
    }
}

void TDrawGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void TDrawGrid::contextMenuEvent(QContextMenuEvent* event) {
    // The menu opens centred on the click point (its top at the point).
    if (PopupMenu_) PopupMenu_->popup(event->globalPos() - QPoint(PopupMenu_->sizeHint().width() / 2, 0));
}

} // namespace zelm
