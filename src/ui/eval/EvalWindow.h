// What the four result windows have in common: a fixed-size dialog in "MS Sans Serif" 11 px, the
// comment memo, a bevelled button panel, a status bar with one owner-drawn panel, the algorithm
// pop-up menu with its two radio items, and help at the window's context.
#pragma once

#include "StatusPanel.h"

#include <QAction>
#include <QDialog>
#include <QFrame>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace zelm {

struct TReportData;

// The maker's notice that ends the result windows' captions.
extern const QString MakerNotice;

class TEvalWindow : public QDialog {
public:
    QPlainTextEdit* mComments = nullptr;
    TStatusPanel* stBar = nullptr;
    QMenu* pupMenuEvalSchem = nullptr;
    QAction* mnLevitsky = nullptr;
    QAction* mnZhuravlev = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnExit = nullptr;

    bool LevitskyChecked() const { return mnLevitsky->isChecked(); }
    // Puts the comment into the memo as its one line, caret at the start.
    void ShowComment(const QString& line);

protected:
    TEvalWindow(int width, int height, int helpContext, const QString& caption);
    // The memo at its place; the panel that holds the buttons; the status bar at the bottom.
    void PlaceComments(const QRect& geometry);
    // Whether `event` gives the comment memo the focus other than by Tab or Shift+Tab (the
    // Russian windows then give it to the grid, so that the memo never keeps the caret).
    static bool CommentFocusGoesToGrid(QEvent* event);
    QFrame* MakePanel(const QRect& geometry);
    QPushButton* MakeButton(QWidget* parent, const QRect& geometry, const QString& text, QStyle::StandardPixmap glyph);
    void MakeStatusBar();
    // The algorithm menu; `zhuravlevCaption` differs between the word and text windows.
    void MakeAlgorithmMenu(const QString& zhuravlevCaption);
    void ShowHelp();
    // Gives the window and every control in it the window's help context; call once they exist.
    void SetHelpContexts();
    // Prints a report through the program's shared line printer; a printer error is shown.
    void PrintReport(const TReportData& report);
    void keyPressEvent(QKeyEvent* event) override;
    int HelpContext_;
};

} // namespace zelm
