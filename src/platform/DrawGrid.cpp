#include "DrawGrid.h"

#include <QTimer>

#include "Look.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QImage>
#include <QPointer>
#include <QKeyEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>
#include <map>

namespace zelm {

namespace {

// A cell of a grid, for screen readers: its row, column and the texts drawn in it.
class TGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TGridCellAccessible(TDrawGrid* grid, int row, int column) : Grid_(grid), Row_(row), Column_(column) {}

    bool isValid() const override { return Grid_ && Row_ < Grid_->RowCount() && Column_ < Grid_->ColCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return Grid_ ? Grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(Grid_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        if (!isValid()) return {};
        if (kind == QAccessible::Name) return Grid_->CellText(Column_, Row_);
        if (kind == QAccessible::Description) return Grid_->RowSummaryText(Row_);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect cell = Grid_->CellRect(Column_, Row_);
        return {Grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size()};
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        state.focusable = Column_ == 0;
        state.focused = Column_ == 0 && Grid_ && Grid_->hasFocus() && Row_ == Grid_->CurrentRow();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return Column_; }
    int rowIndex() const override { return Row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<TDrawGrid> Grid_;
    int Row_, Column_;
};

// The grid as a table of its rows and columns; nothing in it can be selected.
class TGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TGridAccessible(QWidget* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~TGridAccessible() override {
        for (const auto& [key, id] : Cells_) QAccessible::deleteAccessibleInterface(id);
    }

    TDrawGrid* Grid() const { return static_cast<TDrawGrid*>(widget()); }
    int childCount() const override { return rowCount() * columnCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        return cellAt(index / columnCount(), index % columnCount());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child || child->role() != QAccessible::Cell) return -1;
        auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        return cell ? cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override {
        return Grid()->hasFocus() ? cellAt(Grid()->CurrentRow(), 0) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
        const int key = row * 1000 + column;
        if (const auto found = Cells_.find(key); found != Cells_.end()) return QAccessible::accessibleInterface(found->second);
        auto* cell = new TGridCellAccessible(Grid(), row, column);
        Cells_[key] = QAccessible::registerAccessibleInterface(cell);
        return cell;
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int) const override { return {}; }
    int columnCount() const override { return Grid()->ColCount(); }
    int rowCount() const override { return Grid()->RowCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QString rowDescription(int row) const override {
        QStringList texts;
        for (int c = 0; c < columnCount(); ++c)
            if (const QString text = Grid()->CellText(c, row); !text.isEmpty()) texts += text;
        return texts.join(QStringLiteral(", "));
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable std::map<int, QAccessible::Id> Cells_;
};

QAccessibleInterface* GridAccessible(const QString& className, QObject* object) {
    (void)className;
    if (auto* grid = dynamic_cast<TDrawGrid*>(object)) return new TGridAccessible(grid);
    return nullptr;
}

} // namespace

TDrawGrid::TDrawGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    static const bool accessible = (QAccessible::installFactory(GridAccessible), true);
    (void)accessible;
    setAccessibleName(QStringLiteral("Диаграмма"));
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

QString TDrawGrid::CellText(int column, int row) const { return Recorded(column, row, false); }
QString TDrawGrid::CellNote(int column, int row) const { return Recorded(column, row, true); }

QString TDrawGrid::RowSummaryText(int row) const {
    if (row < 0 || row >= RowCount_) return {};
    if (RowSummary) return RowSummary(row);
    QStringList texts;
    for (int c = 0; c < ColCount(); ++c)
        if (const QString text = CellText(c, row); !text.isEmpty()) texts += text;
    return texts.join(QStringLiteral(", "));
}

void TDrawGrid::SetCurrentRow(int row) {
    row = std::clamp(row, 0, std::max(RowCount_ - 1, 0));
    const bool moved = row != CurrentRow_;
    CurrentRow_ = row;
    // Kept in view.
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value()) bar->setValue(row);
    else if (row >= bar->value() + bar->pageStep()) bar->setValue(row - bar->pageStep() + 1);
    viewport()->update();
    if (moved) AnnounceCurrentRow();
}

void TDrawGrid::AnnounceCurrentRow() {
    if (!hasFocus() || RowCount_ == 0 || !QAccessible::isActive()) return; // no screen reader: nobody to tell
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(this);
    if (!grid || !grid->tableInterface()) return;
    if (QAccessibleInterface* cell = grid->tableInterface()->cellAt(CurrentRow_, 0)) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void TDrawGrid::keyPressEvent(QKeyEvent* event) {
    const int page = std::max(verticalScrollBar()->pageStep(), 1);
    switch (event->key()) {
    case Qt::Key_Up: SetCurrentRow(CurrentRow_ - 1); break;
    case Qt::Key_Down: SetCurrentRow(CurrentRow_ + 1); break;
    case Qt::Key_PageUp: SetCurrentRow(CurrentRow_ - page); break;
    case Qt::Key_PageDown: SetCurrentRow(CurrentRow_ + page); break;
    case Qt::Key_Home: SetCurrentRow(0); break;
    case Qt::Key_End: SetCurrentRow(RowCount_ - 1); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
}

void TDrawGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    // After the toolkit has told of the table's focus, so that the row is heard after the table.
    QTimer::singleShot(0, this, [this] { AnnounceCurrentRow(); });
}

void TDrawGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

QString TDrawGrid::Recorded(int column, int row, bool notes) const {
    if (!OnDrawCell || column < 0 || row < 0 || column >= ColCount() || row >= RowCount()) return {};
    const QRect cell(0, 0, std::max(ColumnWidths_[std::size_t(column)], 1), RowHeight_);
    QImage scratch(cell.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    painter.setFont(font());
    TCanvas canvas(painter, BrushColour_);
    QStringList texts;
    (notes ? canvas.Noter : canvas.Recorder) = [&](const QString& text) {
        if (!text.trimmed().isEmpty()) texts += text.trimmed();
    };
    OnDrawCell(column, row, cell, canvas);
    return texts.join(QLatin1Char(' '));
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
    // The keyboard's row, framed while the grid has the focus.
    if (hasFocus() && CurrentRow_ >= first && CurrentRow_ < RowCount_) {
        const QRect row(0, CellRect(0, CurrentRow_).top(), viewport()->width(), RowHeight_);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(row.adjusted(0, 0, -1, -1));
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
