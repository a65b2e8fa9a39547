// TTextForm and TUkrTextForm: the text evaluation windows of both languages. The main window
// counts the text before opening them; they evaluate the counts only.
#pragma once

#include "EvalWindow.h"
#include "ZelmGist.h"

namespace zelm {

// The evaluated document's name (printed by the reports), and the bar scales of the grids.
QString& TextDocumentName();
QString& UkrTextDocumentName();
double& TextProfileScale();

// What the two text windows share: the layout pieces, the algorithm switch and the colour strip.
class TTextWindowBase : public TEvalWindow {
public:
    TDrawGrid* Grid = nullptr;
    QFrame* Panel = nullptr;

    void mnLevitskyClick(QAction* sender);
    virtual void FillComment() = 0;
    virtual void btnPrintClick() = 0;

protected:
    TTextWindowBase(int width, int height);
    void Build(const QRect& grid, const QRect& memo, const QRect& panel, int buttonWidth);
    virtual void Evaluate() = 0; // by the checked algorithm, and the bar scale
    virtual void BeforeEvaluate() {}
    virtual std::pair<double, std::uint32_t> ColourZ(int colourClass) const = 0;
    void stBarDrawPanel(const QRect& rect, TCanvas& canvas);
    void keyPressEvent(QKeyEvent* event) override;
};

class TTextForm : public TTextWindowBase {
public:
    TTextForm();
    ~TTextForm() override;
    TDrawGrid* grFon24;
    QFrame* Panel1;
    void FillComment() override;
    void btnPrintClick() override;

private:
    void Evaluate() override;
    std::pair<double, std::uint32_t> ColourZ(int colourClass) const override;
    void grFon24DrawCell(int column, int row, const QRect& rect, TCanvas& canvas);
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class TUkrTextForm : public TTextWindowBase {
public:
    TUkrTextForm();
    ~TUkrTextForm() override;
    TDrawGrid* grFon7;
    QFrame* Panel2;
    void FillComment() override;
    void btnPrintClick() override;

private:
    void Evaluate() override;
    void BeforeEvaluate() override;
    std::pair<double, std::uint32_t> ColourZ(int colourClass) const override;
    void grFon7DrawCell(int column, int row, const QRect& rect, TCanvas& canvas);
};

TTextForm* OpenTextForm();
TUkrTextForm* OpenUkrTextForm();

// Open the windows on the counted text of the language; they return when the window is closed.
void OpenRussianTextWindow(const QString& documentName);
void OpenUkrainianTextWindow(const QString& documentName);

} // namespace zelm
