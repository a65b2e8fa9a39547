// TUkrMainForm: the Ukrainian word evaluation window.
#pragma once

#include "WordWindow.h"
#include "ZelmGist.h"

#include <string>

namespace zelm {

// The current Ukrainian word (Windows-1251), printed in the report's word line.
std::string& UkrWindowWord();

class TUkrMainForm : public TWordWindowBase {
public:
    TUkrMainForm();
    ~TUkrMainForm() override;

    TBiGist* BiGist1;
    QFrame* Panel2;
    TWordBox* cbWord;
    QPushButton* btnEval;

    void cbWordChange() { WordChange(); }
    void btnPrintClick();
    void FillComment();

private:
    void Evaluate() override;
    void ShowValues();
    void stBarDrawPanel(const QRect& rect, TCanvas& canvas);
};

TUkrMainForm* OpenUkrMainForm();

// Opens the window for a word of the main window's word box; returns when it is closed.
void OpenUkrainianWordWindow(const QString& text);

} // namespace zelm
