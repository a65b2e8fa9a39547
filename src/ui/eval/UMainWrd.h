// TWordForm: the Russian word evaluation window.
#pragma once

#include "WordWindow.h"
#include "ZelmGist.h"

#include <string>

namespace zelm {

// The current Russian word (Windows-1251), read by the colour strips of the window and report.
std::string& WordWindowWord();

class TWordForm : public TEvalWindow {
public:
    TWordForm();
    ~TWordForm() override;

    TDrawGrid* grFon24;
    QFrame* Panel2;
    TWordBox* cmbWord;
    QPushButton* btnEval;

    void btnEvalClick();
    void cmbWordChange();
    void mnLevitskyClick(QAction* sender);
    void btnPrintClick();
    void FillComment();

protected:
    void done(int result) override;

private:
    void Evaluate();
    void grFon24DrawCell(int column, int row, const QRect& rect, TCanvas& canvas);
    void stBarDrawPanel(const QRect& rect, TCanvas& canvas);
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The open Russian word window, or null.
TWordForm* OpenWordForm();

// Opens the window for a word of the main window's word box; returns when it is closed.
void OpenRussianWordWindow(const QString& text);

} // namespace zelm
