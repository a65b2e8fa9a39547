#include "UMainWrd.h"

#include "Colours.h"
#include "Dialogs.h"
#include "Engines.h"
#include "Report.h"
#include "ru/UComment.h"
#include "ru/Utils.h"



namespace zelm {

namespace {
TWordForm* OpenForm = nullptr;
}

std::string& WordWindowWord() {
    static std::string word;
    return word;
}

TWordForm* OpenWordForm() { return OpenForm; }

TWordForm::TWordForm()
    : TWordWindowBase(539, 374, WordWindowWord()) {
    grFon24 = new TDrawGrid(this);
    ReadRowsAsBipolar(*grFon24);
    grFon24->setGeometry(8, 8, 525, 239);
    grFon24->SetColumnWidths({108, 131, 30, 131, 103});
    grFon24->SetDefaultRowHeight(18);
    grFon24->SetVerticalScrollBar(true);
    grFon24->OnDrawCell = [this](int c, int r, const QRect& rect, TCanvas& canvas) { grFon24DrawCell(c, r, rect, canvas); };
    PlaceComments({8, 256, 325, 89});
    mComments->installEventFilter(this);
    Panel2 = MakePanel({340, 256, 193, 89});
    cmbWord = new TWordBox(Panel2);
    cmbWord->setGeometry(8, 8, 177, 24);
    btnEval = MakeButton(Panel2, {8, 36, 87, 22}, QStringLiteral("Оценить"), QStyle::SP_DialogApplyButton);
    btnPrint = MakeButton(Panel2, {98, 36, 87, 22}, QStringLiteral("Печать"), QStyle::SP_FileDialogContentsView);
    btnHelp = MakeButton(Panel2, {8, 60, 87, 22}, QStringLiteral("Помощь"), QStyle::SP_DialogHelpButton);
    btnExit = MakeButton(Panel2, {98, 60, 87, 22}, QStringLiteral("Выход"), QStyle::SP_DialogCloseButton);
    MakeStatusBar();
    stBar->OnDrawPanel = [this](const QRect& rect, TCanvas& canvas) { stBarDrawPanel(rect, canvas); };
    MakeAlgorithmMenu(QStringLiteral("Алгоритм  Журавлева"));
    grFon24->SetPopupMenu(pupMenuEvalSchem);

    // The hints, not displayed: kept where a screen reader finds them.
    grFon24->setAccessibleDescription(QStringLiteral("Оценки эмоционального впечатления, которое оказывает на человека данное слово"));
    mComments->setAccessibleDescription(QStringLiteral("Словесное описание эмоционального впечатления от слова"));
    cmbWord->setAccessibleDescription(QStringLiteral("Поле ввода оцениваемого слова"));
    btnEval->setAccessibleDescription(QStringLiteral("Нажмите на эту кнопку, чтобы оценить слово"));
    btnPrint->setAccessibleDescription(QStringLiteral("Нажмите на эту кнопку, чтобы распечатать результаты на принтере"));
    btnHelp->setAccessibleDescription(QStringLiteral("Система помощи"));
    btnExit->setAccessibleDescription(QStringLiteral("Выход из системы"));

    SetHelpContexts();
    SetHelpContext(Panel2, 60); // the panel that holds the buttons

    ConnectControls(cmbWord, btnEval);
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });

    // Creation: the word goes into the box (the history stays empty) and is evaluated by
    // Zhuravlev's algorithm.
    cmbWord->setEditText(FromCp1251(WordWindowWord()));
    // The value column holds the widest value a word can have (values lie within -1..+1), so
    // "-100%" stays inside it.
    RussianColumnWidths(*grFon24, QStringLiteral("-100%"));
    RussianEngine().Word.EvaluateWordZhuravlev(WordWindowWord());
    grFon24->SetBrushColour(ButtonFaceColour());
    grFon24->SetRowCount(24);
    FillComment();
    stBar->update();
    OpenForm = this;
}

TWordForm::~TWordForm() {
    if (OpenForm == this) OpenForm = nullptr;
}

void TWordForm::Evaluate() {
    auto& engine = RussianEngine().Word;
    engine.EvaluateWord(WordWindowWord(), LevitskyChecked() ? TEvalScheme::esLevitsky : TEvalScheme::esZhuravlev);
    FillComment();
    grFon24->viewport()->update();
    stBar->update();
}

void TWordForm::btnPrintClick() {
    PrintReport(RussianWordReport(FirstLine(cmbWord->currentText()), WordWindowWord(), RussianEngine().Word, LevitskyChecked(),
                                  mComments->toPlainText()));
}

void TWordForm::FillComment() {
    ShowComment(FromCp1251(RussianWordComment(WordToCp1251(FirstLine(cmbWord->currentText())), RussianEngine().Word.WordProfile)));
}

void TWordForm::grFon24DrawCell(int column, int row, const QRect& rect, TCanvas& canvas) {
    if (row >= 24) {
        canvas.FillRect(rect);
        return;
    }
    const double v = RussianEngine().Word.WordProfile[std::size_t(row)];
    TBipolarRow bipolar;
    bipolar.Value = v;
    bipolar.Scale = 1;
    bipolar.PositiveSignificant = v >= WordThreshold;
    bipolar.NegativeSignificant = v <= -WordThreshold;
    bipolar.Left = RussianLeftName(row + 1);
    bipolar.Right = RussianRightName(row + 1);
    bipolar.ValueText = PercentText(v);
    BipolarRow(column, rect, canvas, bipolar);
}

void TWordForm::stBarDrawPanel(const QRect& rect, TCanvas& canvas) {
    canvas.SetBrushColour(ButtonFaceColour());
    canvas.FillRect(rect);
    int x = rect.left();
    for (int i = 1; i <= ColourClassCount; ++i) {
        const auto share = WordColourShare(WordWindowWord(), i);
        if (share.Count <= 0) continue;
        const int right = x + int(RoundHalfEven(share.Count / share.Denominator * rect.width()));
        canvas.SetBrushColour(share.Colour);
        canvas.FillRect(QRect(x, rect.top(), right - x, rect.height()));
        x = right;
    }
}

// The comment memo never keeps the caret: the grid takes the focus instead, except from Tab.
bool TWordForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mComments && CommentFocusGoesToGrid(event)) grFon24->setFocus();
    return TEvalWindow::eventFilter(watched, event);
}

void OpenRussianWordWindow(const QString& text) {
    QString word = OpeningWord(text);
    std::string bytes = WordToCp1251(word);
    if (!HasCyrillic(bytes)) bytes = ToCp1251(QStringLiteral("ЗЕ*ЛМ"));
    WordWindowWord() = bytes;
    TWordForm form;
    form.exec();
}

} // namespace zelm
