#include "UUkrMainWord.h"

#include "Colours.h"
#include "Engines.h"
#include "Report.h"
#include "ru/Utils.h"
#include "uk/UUkrComment.h"


namespace zelm {

namespace {
TUkrMainForm* OpenForm = nullptr;
}

std::string& UkrWindowWord() {
    static std::string word;
    return word;
}

TUkrMainForm* OpenUkrMainForm() { return OpenForm; }

TUkrMainForm::TUkrMainForm()
    : TWordWindowBase(509, 292, UkrWindowWord()) {
    BiGist1 = new TBiGist(this);
    BiGist1->setGeometry(8, 8, 497, 158);
    BiGist1->SetColumnWidths({119, 108, 32, 112, 117});
    BiGist1->SetDefaultRowHeight(22);
    BiGist1->SetVerticalScrollBar(false);
    BiGist1->SetRowCount(7);
    PlaceComments({8, 176, 293, 89});
    Panel2 = MakePanel({308, 176, 197, 89});
    cbWord = new TWordBox(Panel2, QLocale::Ukrainian);
    cbWord->setGeometry(8, 6, 181, 24);
    cbWord->setToolTip(QStringLiteral("Оцениваемое слово"));
    btnEval = MakeButton(Panel2, {8, 34, 87, 22}, QStringLiteral("Оценить"), QStyle::SP_DialogApplyButton);
    btnEval->setToolTip(QStringLiteral("Оценить слово"));
    btnPrint = MakeButton(Panel2, {100, 34, 87, 22}, QStringLiteral("Печать"), QStyle::SP_FileDialogContentsView);
    btnHelp = MakeButton(Panel2, {8, 59, 87, 22}, QStringLiteral("Помощь"), QStyle::SP_DialogHelpButton);
    btnHelp->setToolTip(QStringLiteral("Контекстная помощь"));
    btnExit = MakeButton(Panel2, {100, 59, 87, 22}, QStringLiteral("Выход"), QStyle::SP_DialogCloseButton);
    btnExit->setToolTip(QStringLiteral("Выход из системы"));
    // Every hint, shown or not, where a screen reader finds it.
    for (QWidget* w : std::initializer_list<QWidget*>{cbWord, btnEval, btnHelp, btnExit})
        w->setAccessibleDescription(w->toolTip());
    mComments->setAccessibleDescription(QStringLiteral("Словесное описание эмоционального впечатления от слова"));
    SetHelpContexts();
    MakeStatusBar();
    stBar->OnDrawPanel = [this](const QRect& rect, TCanvas& canvas) { stBarDrawPanel(rect, canvas); };
    MakeAlgorithmMenu(QStringLiteral("Алгоритм  Журавлева"));
    BiGist1->SetPopupMenu(pupMenuEvalSchem);

    ConnectControls(cbWord, btnEval);
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });

    // Creation: Zhuravlev's evaluation; the word in the box and in its history; the grid's
    // seven labels and values (× 100).
    UkrainianEngine().Word.UkrEvaluateWordZhuravlev(UkrWindowWord());
    const QString word = FromCp1251(UkrWindowWord());
    cbWord->setEditText(word);
    cbWord->Remember(word);
    BiGist1->SetValueCount(7);
    BiGist1->Threshold = float(UkrWordThreshold);
    for (int i = 1; i <= UkrScaleCount; ++i)
        BiGist1->Labels.push_back(
            ((FromCp1251(UkrScaleLeftName(i)) + QLatin1Char('\t')).left(13) + FromCp1251(UkrScaleRightName(i))).left(25));
    ShowValues();
    FillComment();
    OpenForm = this;
}

TUkrMainForm::~TUkrMainForm() {
    if (OpenForm == this) OpenForm = nullptr;
}

void TUkrMainForm::ShowValues() {
    for (int i = 0; i < UkrScaleCount; ++i)
        BiGist1->SetValue(i, float(UkrainianEngine().Word.UkrWordProfile[std::size_t(i)] * 100));
    BiGist1->UpdateMaxAbs();
}

void TUkrMainForm::Evaluate() {
    UkrainianEngine().Word.UkrEvaluateWord(UkrWindowWord(),
                                           LevitskyChecked() ? TEvalScheme::esLevitsky : TEvalScheme::esZhuravlev);
    ShowValues();
    BiGist1->viewport()->update();
    FillComment();
    stBar->update();
}

void TUkrMainForm::btnPrintClick() {
    PrintReport(UkrainianWordReport(FromCp1251(UkrWindowWord()), UkrainianEngine().Word, LevitskyChecked(),
                                    mComments->toPlainText()));
}

void TUkrMainForm::FillComment() {
    ShowComment(FromCp1251(UkrainianWordComment(WordToCp1251(FirstLine(cbWord->currentText())), UkrainianEngine().Word.UkrWordProfile)));
}

void TUkrMainForm::stBarDrawPanel(const QRect& rect, TCanvas& canvas) {
    canvas.SetBrushColour(ButtonFaceColour());
    canvas.FillRect(rect);
    int x = rect.left();
    for (int i = 1; i <= ColourClassCount; ++i) {
        const auto share = UkrainianEngine().Word.UkrWordColourShare(i);
        if (share.Share <= 0) continue;
        const int right = x + int(RoundHalfEven(share.Share * rect.width()));
        canvas.SetBrushColour(share.Colour);
        canvas.FillRect(QRect(x, rect.top(), right - x, rect.height()));
        x = right;
    }
}

void OpenUkrainianWordWindow(const QString& text) {
    const QString word = OpeningWord(text);
    std::string bytes = WordToCp1251(word);
    bool usable = false; // any byte above 169: the Cyrillic block and the Ukrainian letters
    for (const char c : bytes) usable = usable || static_cast<unsigned char>(c) > 169;
    if (!usable) bytes = ToCp1251(QStringLiteral("ЗЕ*ЛМ"));
    UkrWindowWord() = bytes;
    TUkrMainForm form;
    form.exec();
}

} // namespace zelm
