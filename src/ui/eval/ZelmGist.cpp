#include "ZelmGist.h"

#include "Colours.h"
#include "ru/Utils.h"

#include <QRandomGenerator>

#include <cmath>
#include <numeric>

namespace zelm {

namespace {
// A rectangle from its edges, right and bottom excluded.
QRect Edges(int left, int top, int right, int bottom) { return {left, top, right - left, bottom - top}; }
} // namespace

void BipolarRow(int column, const QRect& cell, TCanvas& canvas, const TBipolarRow& row) {
    const int left = cell.left(), top = cell.top(), right = cell.left() + cell.width(),
              bottom = cell.top() + cell.height();
    canvas.FillRect(cell);
    const int textY = row.CentredText ? top + (bottom - top - canvas.TextHeight(QStringLiteral("К"))) / 2 : top;
    const double magnitude = std::fabs(row.Value);
    const auto barLength = [&] { return int(RoundHalfEven(magnitude * (right - left) / row.Scale)); };
    const auto bar = [&](const QRect& rect, std::uint32_t colour) {
        const std::uint32_t brush = canvas.BrushColour();
        canvas.SetBrushColour(colour);
        canvas.FillRect(rect);
        canvas.SetBrushColour(brush);
    };
    switch (column) {
    // Texts stay within their cells, however wide (a text's value of -1000 or below).
    case 0: canvas.TextRect(cell, left + 2, textY, row.Left); break;
    case 1:
        if (row.Value > 0)
            bar(Edges(right - barLength(), top + 1, right, bottom - 2),
                row.PositiveSignificant ? row.PositiveColour : GreyColour);
        break;
    case 2: {
        canvas.Note((row.Value > 0 ? row.PositiveSignificant : row.NegativeSignificant) && row.Value != 0
                        ? QStringLiteral("значимо")
                        : QStringLiteral("незначимо"));
        // A value wider than its cell (a text's value of -1000 or below) is drawn in smaller type,
        // whole: a number cut at its sign or first digit would be read as another.
        const QString text = row.ValueText.trimmed();
        QPainter& painter = canvas.Painter();
        const QFont font = painter.font();
        const int height = canvas.TextHeight(text);
        for (QFont smaller = font; canvas.TextWidth(text) + 2 > cell.width();) {
            const qreal size = smaller.pixelSize() > 0 ? smaller.pixelSize() : smaller.pointSizeF();
            if (size <= 4) break;
            if (smaller.pixelSize() > 0) smaller.setPixelSize(int(size) - 1);
            else smaller.setPointSizeF(size - 0.5);
            painter.setFont(smaller);
        }
        canvas.TextRect(cell, right - (canvas.TextWidth(text) + 2), textY + (height - canvas.TextHeight(text)) / 2, text);
        painter.setFont(font);
        break;
    }
    case 3:
        if (row.Value <= 0)
            bar(Edges(left, top + 1, left + barLength(), bottom - 2),
                row.NegativeSignificant ? row.NegativeColour : GreyColour);
        break;
    case 4: canvas.TextRect(cell, right - (canvas.TextWidth(row.Right) + 2), textY, row.Right); break;
    default: break;
    }
}

QString PercentText(double value) {
    return ((value < 0 ? QStringLiteral("-") : QString()) + QString::number(RoundHalfEven(std::fabs(value) * 100)) +
            QLatin1Char('%'))
        .left(5);
}

QString FixedPointText(double value, int width, int decimals) {
    return QString::asprintf("%*.*f", width, decimals, value);
}

void RussianColumnWidths(TDrawGrid& grid, const QString& sample) {
    const auto& design = grid.ColumnWidths();
    const int total = std::accumulate(design.begin(), design.end(), 0);
    const QFontMetrics metrics(grid.font());
    const int names = metrics.horizontalAdvance(QStringLiteral("величественный ")) + 2;
    const int value = metrics.horizontalAdvance(sample) + 2;
    const int bars = (total - names - value - names) / 2;
    grid.SetColumnWidths({names, bars, value, bars, names});
}

void ReadRowsAsBipolar(TDrawGrid& grid) {
    grid.RowSummary = [&grid](int row) {
        return grid.CellText(0, row) + QStringLiteral(" — ") + grid.CellText(4, row) + QStringLiteral(": ") +
               grid.CellText(2, row) + QStringLiteral(", ") + grid.CellNote(2, row);
    };
}

TRootGist::TRootGist(QWidget* parent) : TDrawGrid(parent) {
    SetBrushColour(ButtonFaceColour());
    ReadRowsAsBipolar(*this);
}

void TRootGist::SetPlusColor(std::uint32_t colour) {
    PlusColor_ = colour;
    viewport()->update();
}

void TRootGist::SetMinusColor(std::uint32_t colour) {
    MinusColor_ = colour;
    viewport()->update();
}

void TRootGist::SetValueCount(int count) { Values_.assign(std::size_t(std::max(count, 0)), 0.0f); }

float TRootGist::Value(int index) const {
    if (index < 0 || index >= ValueCount()) throw EListIndexError();
    return Values_[std::size_t(index)];
}

void TRootGist::SetValue(int index, float value) {
    if (index < 0 || index >= ValueCount()) throw EListIndexError();
    Values_[std::size_t(index)] = value;
}

TBiGist::TBiGist(QWidget* parent) : TRootGist(parent) {
    SetColumnWidths({64, 64, 64, 64, 64});
    SetVerticalScrollBar(true);
    OnDrawCell = [this](int column, int row, const QRect& rect, TCanvas& canvas) { DrawCell(column, row, rect, canvas); };
}

float TBiGist::UpdateMaxAbs() {
    MaxAbsValue = 0;
    for (int i = 0; i < ValueCount(); ++i)
        if (std::fabs(Value(i)) > MaxAbsValue) MaxAbsValue = std::fabs(Value(i));
    if (MaxAbsValue == 0) MaxAbsValue = 1;
    return MaxAbsValue;
}

void TBiGist::SetRandomValues(bool random) {
    if (random == RandomValues_) return;
    RandomValues_ = random;
    Labels.clear();
    if (random) {
        auto* generator = QRandomGenerator::global();
        SetValueCount(RowCount());
        for (int r = 0; r < RowCount(); ++r) {
            auto word = [&] {
                QString w;
                const int letters = 2 + int(generator->bounded(15));
                for (int i = 0; i < letters; ++i) w += QChar(0x0430 + int(generator->bounded(32)));
                return w;
            };
            Labels.push_back((word() + QLatin1Char('\t') + word()).left(50));
            SetValue(r, float(generator->generateDouble() * 400 - 200));
        }
        UpdateMaxAbs();
    }
    viewport()->update();
}

QString TBiGist::LeftLabelPart(const QString& label) {
    const qsizetype tab = label.indexOf(QLatin1Char('\t'));
    return tab < 0 ? label : label.left(tab);
}

QString TBiGist::RightLabelPart(const QString& label) {
    const qsizetype tab = label.indexOf(QLatin1Char('\t'));
    return tab < 0 ? label : label.mid(tab + 1);
}

void TBiGist::DrawCell(int column, int row, const QRect& rect, TCanvas& canvas) {
    canvas.SetBrushColour(BrushColour());
    if (row >= Labels.size()) {
        canvas.FillRect(rect);
        return;
    }
    TBipolarRow bipolar;
    bipolar.Value = Value(row);
    bipolar.Scale = MaxAbsValue;
    bipolar.PositiveSignificant = std::fabs(bipolar.Value) >= Threshold;
    bipolar.NegativeSignificant = bipolar.PositiveSignificant;
    bipolar.PositiveColour = PlusColor();
    bipolar.NegativeColour = MinusColor();
    bipolar.Left = LeftLabelPart(Labels[row]);
    bipolar.Right = RightLabelPart(Labels[row]);
    bipolar.ValueText = FixedPointText(bipolar.Value, HolePart + FracPart + 1, FracPart).left(50);
    BipolarRow(column, rect, canvas, bipolar);
}

} // namespace zelm
