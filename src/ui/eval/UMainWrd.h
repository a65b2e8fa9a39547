// TWordForm: the Russian word evaluation window.
#pragma once

#include "WordWindow.h"
#include "ZelmGist.h"

#include <string>

namespace zelm {

// The current Russian word (Windows-1251), read by the colour strips of the window and report.
std::string& WordWindowWord();

class TWordForm : public TWordWindowBase {
public:
    TWordForm();
    ~TWordForm() override;

    TDrawGrid* grFon24;
    QFrame* Panel2;
    TWordBox* cmbWord;
    QPushButton* btnEval;

    void cmbWordChange() { WordChange(); }
    void btnPrintClick();
    void FillComment();

private:
    void Evaluate() override;
    void grFon24DrawCell(int column, int row, const QRect& rect, TCanvas& canvas);
    void stBarDrawPanel(const QRect& rect, TCanvas& canvas);
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The open Russian word window, or null.
TWordForm* OpenWordForm();

// Opens the window for a word of the main window's word box; returns when it is closed.
void OpenRussianWordWindow(const QString& text);

} // namespace zelm
