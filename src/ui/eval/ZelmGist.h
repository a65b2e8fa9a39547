// The bipolar scale grid: one row per scale, five columns (left pole, bar growing left, value,
// bar growing right, right pole). BipolarRow is the drawing rule every result grid uses;
// TRootGist and TBiGist are the grid control that keeps its own labels and values.
#pragma once

#include "DrawGrid.h"

#include <QStringList>

#include <stdexcept>
#include <vector>

namespace zelm {

class EListIndexError : public std::out_of_range {
public:
    EListIndexError() : std::out_of_range("Index out of range") {}
};

inline constexpr std::uint32_t GreyColour = 8421504;

// What one row shows.
struct TBipolarRow {
    double Value = 0;
    double Scale = 1;               // the bar scale: a value of Scale fills its column
    bool PositiveSignificant = false;
    bool NegativeSignificant = false;
    std::uint32_t PositiveColour = 255;
    std::uint32_t NegativeColour = 16711680;
    QString Left, Right, ValueText;
    bool CentredText = false;       // text lines centred in the row (else at its top)
};

// Draws one cell of a bipolar row; the canvas brush is the background and is restored.
void BipolarRow(int column, const QRect& cell, TCanvas& canvas, const TBipolarRow& row);

// The Russian word grid's value text: "-" for a negative value, the rounded percentage, "%";
// at most five characters.
QString PercentText(double value);

// Fixed-point text of a value, right-aligned in at least `width` characters.
QString FixedPointText(double value, int width, int decimals);

// Widths of the Russian grids: the name columns as wide as "величественный " (+2), the value
// column as wide as `sample` (+2), the bar columns sharing what is left of the design total.
void RussianColumnWidths(TDrawGrid& grid, const QString& sample);
// Has a screen reader say each row of a bipolar chart as «Хороший — Плохой: 34%, значимо».
void ReadRowsAsBipolar(TDrawGrid& grid);

class TRootGist : public TDrawGrid {
public:
    explicit TRootGist(QWidget* parent = nullptr);

    std::uint32_t PlusColor() const { return PlusColor_; }
    std::uint32_t MinusColor() const { return MinusColor_; }
    void SetPlusColor(std::uint32_t colour);
    void SetMinusColor(std::uint32_t colour);
    int ValueCount() const { return int(Values_.size()); }
    void SetValueCount(int count);
    // EListIndexError "Index out of range" outside 0 .. ValueCount - 1.
    float Value(int index) const;
    void SetValue(int index, float value);
    int HolePart = 3;
    int FracPart = 1;
    QStringList Labels;

private:
    std::uint32_t PlusColor_ = 255;
    std::uint32_t MinusColor_ = 16711680;
    std::vector<float> Values_;
};

class TBiGist : public TRootGist {
public:
    explicit TBiGist(QWidget* parent = nullptr);

    float MaxAbsValue = 1.0f;
    float Threshold = 0.0f;
    // Recomputes MaxAbsValue: the largest absolute value, 1 when all are 0.
    float UpdateMaxAbs();
    bool RandomValues() const { return RandomValues_; }
    void SetRandomValues(bool random);

    static QString LeftLabelPart(const QString& label);
    static QString RightLabelPart(const QString& label);

private:
    void DrawCell(int column, int row, const QRect& rect, TCanvas& canvas);
    bool RandomValues_ = false;
};

} // namespace zelm
