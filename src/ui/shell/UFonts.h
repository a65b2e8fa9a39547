// TFontForm, "Параметры печати": the printer font, the margins in whole millimetres and the line
// spacing, chosen before every print.
#pragma once

#include "PrinterService.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QSpinBox>

namespace zelm {

// An up-down of 0..100 whose number shows in a white panel beside it.
class TUpDown : public QWidget {
public:
    // One tab stop, named `name` for screen readers (a spin box with its value); Up and Down step it.
    TUpDown(QWidget* parent, const QRect& panel, const QRect& arrows, const QString& name);
    int Position() const { return Position_; }
    void SetPosition(int position);
    void StepBy(int steps); // what the arrows do
    QLabel* Panel;
    std::function<void(int)> OnClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int Position_ = 0;
};

class TFontForm : public QDialog {
public:
    TFontForm();
    QComboBox* cmbFonts;
    TUpDown* udSize;
    TUpDown* udLeft;
    TUpDown* udRight;
    TUpDown* udTop;
    TUpDown* udBottom;
    QButtonGroup* rgStyle;
    QButtonGroup* rgSpacing;
    QLabel* Panel1; // the sample
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    TPrinterFont SampleFont;

    void cmbFontsChange();
    void rgStyleClick(int item);
    void ShowSample();
};

// Runs the dialog on the line printer's font (its style normalised on opening, changed in place on
// OK) and the margins and spacing index; true when the user pressed "Принять". The font list
// comes from the printer service: its error (no printer) leaves before the dialog shows.
bool ExecutePrintSettings(IPrinterService& printer, TPrinterFont& font, int& left, int& right, int& top, int& bottom,
                          int& spacing);

} // namespace zelm
