#include "UMainTxt.h"

#include "Colours.h"
#include "Dialogs.h"
#include "Engines.h"
#include "Report.h"
#include "ru/UComment.h"
#include "ru/Utils.h"
#include "uk/UUkrComment.h"

#include <QKeyEvent>

namespace zelm {

namespace {
TTextForm* OpenRussian = nullptr;
TUkrTextForm* OpenUkrainian = nullptr;
const QString TextCaption = QStringLiteral("Фоносемантическая оценка текста (проект ЗЕЛМ) ");

TBipolarRow TextRow(double v, double scale, const QString& left, const QString& right) {
    TBipolarRow row;
    row.Value = v;
    row.Scale = scale;
    row.PositiveSignificant = v >= TextThreshold;
    row.NegativeSignificant = v <= -TextThreshold;
    row.Left = left;
    row.Right = right;
    row.ValueText = FixedPointText(v, 5, 1); // shown whole, even past five characters
    return row;
}
} // namespace

QString& TextDocumentName() {
    static QString name;
    return name;
}
QString& UkrTextDocumentName() {
    static QString name;
    return name;
}
double& TextProfileScale() {
    static double scale = 1;
    return scale;
}

TTextWindowBase::TTextWindowBase(int width, int height) : TEvalWindow(width, height, 60, TextCaption + MakerNotice) {}

void TTextWindowBase::Build(const QRect& grid, const QRect& memo, const QRect& panel, int buttonWidth) {
    Grid = new TDrawGrid(this);
    ReadRowsAsBipolar(*Grid);
    Grid->setGeometry(grid);
    PlaceComments(memo);
    Panel = MakePanel(panel);
    btnPrint = MakeButton(Panel, {8, 8, buttonWidth, 22}, QStringLiteral("Печать"), QStyle::SP_FileDialogContentsView);
    btnHelp = MakeButton(Panel, {8, 32, buttonWidth, 22}, QStringLiteral("Помощь"), QStyle::SP_DialogHelpButton);
    btnExit = MakeButton(Panel, {8, 56, buttonWidth, 22}, QStringLiteral("Выход"), QStyle::SP_DialogCloseButton);
    MakeStatusBar();
    stBar->OnDrawPanel = [this](const QRect& rect, TCanvas& canvas) { stBarDrawPanel(rect, canvas); };
    MakeAlgorithmMenu(QStringLiteral("Алгоритм Журавлева"));
    Grid->SetPopupMenu(pupMenuEvalSchem);
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(btnExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(mnLevitsky, &QAction::triggered, this, [this] { mnLevitskyClick(mnLevitsky); });
    connect(mnZhuravlev, &QAction::triggered, this, [this] { mnLevitskyClick(mnZhuravlev); });
}

// The switch evaluates the same counts again; the colour strip does not depend on it.
void TTextWindowBase::mnLevitskyClick(QAction* sender) {
    (sender == mnLevitsky ? mnLevitsky : mnZhuravlev)->setChecked(true);
    BeforeEvaluate();
    Evaluate();
    Grid->viewport()->update();
    FillComment();
}

// Each class that stands out (z above 0.999) gets up to a sixth of the panel, full at z = 3;
// the segments overlap by one pixel.
void TTextWindowBase::stBarDrawPanel(const QRect& rect, TCanvas& canvas) {
    canvas.SetBrushColour(ButtonFaceColour());
    canvas.FillRect(rect);
    int x = rect.left();
    const int unit = rect.width() / 6;
    for (int i = 1; i <= ColourClassCount; ++i) {
        auto [z, colour] = ColourZ(i);
        if (!(z > 0.999)) continue;
        if (z > 3) z = 3;
        const int right = x + int(RoundHalfEven(unit * z / 3));
        canvas.SetBrushColour(colour);
        canvas.FillRect(QRect(x, rect.top(), right - x, rect.height()));
        x = right - 1;
    }
}

// Esc does not close a text window; "Выход" and the close box do.
void TTextWindowBase::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TEvalWindow::keyPressEvent(event);
}

TTextForm::TTextForm() : TTextWindowBase(542, 369) {
    Build({8, 8, 525, 239}, {8, 256, 417, 85}, {432, 256, 103, 85}, 87);
    grFon24 = Grid;
    Panel1 = Panel;
    btnExit->setToolTip({});
    // The hints, not displayed: kept where a screen reader finds them.
    grFon24->setAccessibleDescription(QStringLiteral("Оценки эмоционального впечатления, которое оказывает на человека данный текст"));
    mComments->setAccessibleDescription(QStringLiteral("Словесное описание эмоционального впечатления от текста"));
    btnPrint->setAccessibleDescription(QStringLiteral("Нажмите на эту кнопку, чтобы распечатать результаты на принтере"));
    btnHelp->setAccessibleDescription(QStringLiteral("Система помощи"));
    btnExit->setAccessibleDescription(QStringLiteral("Выход"));
    SetHelpContexts();
    SetHelpContext(Panel1, 80); // the panel that holds the buttons
    mComments->installEventFilter(this);
    grFon24->SetColumnWidths({108, 131, 30, 131, 103});
    grFon24->SetDefaultRowHeight(18);
    grFon24->SetVerticalScrollBar(true);
    grFon24->OnDrawCell = [this](int c, int r, const QRect& rect, TCanvas& canvas) { grFon24DrawCell(c, r, rect, canvas); };
    RussianColumnWidths(*grFon24, QStringLiteral("-999,9"));
    grFon24->SetRowCount(24);
    grFon24->SetBrushColour(ButtonFaceColour());
    RussianEngine().Text.EvaluateTextZhuravlev();
    TextProfileScale() = RussianEngine().Text.TextProfileMaxAbs();
    FillComment();
    OpenRussian = this;
}

TTextForm::~TTextForm() {
    if (OpenRussian == this) OpenRussian = nullptr;
}

void TTextForm::Evaluate() {
    auto& text = RussianEngine().Text;
    if (LevitskyChecked()) text.EvaluateTextLevitsky();
    else text.EvaluateTextZhuravlev();
    TextProfileScale() = text.TextProfileMaxAbs();
}

void TTextForm::FillComment() { ShowComment(FromCp1251(RussianTextComment(RussianEngine().Text.TextProfile))); }

std::pair<double, std::uint32_t> TTextForm::ColourZ(int colourClass) const {
    const auto colour = TextColourZ(RussianEngine().Text, colourClass);
    return {colour.Z, colour.Colour};
}

void TTextForm::grFon24DrawCell(int column, int row, const QRect& rect, TCanvas& canvas) {
    if (row >= 24) {
        canvas.FillRect(rect);
        return;
    }
    BipolarRow(column, rect, canvas,
               TextRow(RussianEngine().Text.TextProfile[std::size_t(row)], TextProfileScale(),
                       RussianLeftName(row + 1), RussianRightName(row + 1)));
}

bool TTextForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mComments && CommentFocusGoesToGrid(event)) grFon24->setFocus();
    return TTextWindowBase::eventFilter(watched, event);
}

TUkrTextForm::TUkrTextForm() : TTextWindowBase(498, 291) {
    Build({9, 9, 480, 158}, {8, 176, 373, 85}, {388, 176, 101, 85}, 85);
    grFon7 = Grid;
    Panel2 = Panel;
    btnHelp->setToolTip(QStringLiteral("Контекстная система помощи"));
    btnExit->setToolTip(QStringLiteral("Выход из системы"));
    // Every hint, shown or not, where a screen reader finds it.
    mComments->setAccessibleDescription(QStringLiteral("Словесное описание эмоционального впечатления от текста"));
    btnPrint->setAccessibleDescription(QStringLiteral("Распечатать на принтере"));
    btnHelp->setAccessibleDescription(btnHelp->toolTip());
    btnExit->setAccessibleDescription(btnExit->toolTip());
    SetHelpContexts();
    grFon7->SetColumnWidths({98, 120, 36, 126, 91});
    grFon7->SetDefaultRowHeight(22);
    grFon7->SetVerticalScrollBar(false);
    grFon7->OnDrawCell = [this](int c, int r, const QRect& rect, TCanvas& canvas) { grFon7DrawCell(c, r, rect, canvas); };
    BeforeEvaluate();
    UkrainianEngine().Text.UkrEvaluateTextZhuravlev();
    UkrainianEngine().Text.UkrTextProfileScale = UkrainianEngine().Text.UkrTextProfileMaxAbs();
    FillComment();
    OpenUkrainian = this;
}

TUkrTextForm::~TUkrTextForm() {
    if (OpenUkrainian == this) OpenUkrainian = nullptr;
}

void TUkrTextForm::BeforeEvaluate() {
    grFon7->SetRowCount(7);
    grFon7->SetBrushColour(ButtonFaceColour());
}

void TUkrTextForm::Evaluate() {
    auto& text = UkrainianEngine().Text;
    if (LevitskyChecked()) text.UkrEvaluateTextLevitsky();
    else text.UkrEvaluateTextZhuravlev();
    text.UkrTextProfileScale = text.UkrTextProfileMaxAbs();
}

void TUkrTextForm::FillComment() {
    ShowComment(FromCp1251(UkrainianTextComment(UkrainianEngine().Text.UkrTextProfile)));
}

std::pair<double, std::uint32_t> TUkrTextForm::ColourZ(int colourClass) const {
    const auto colour = UkrainianEngine().Text.UkrTextColourZ(colourClass);
    return {colour.Z, colour.Colour};
}

void TUkrTextForm::grFon7DrawCell(int column, int row, const QRect& rect, TCanvas& canvas) {
    if (row >= 7) {
        canvas.FillRect(rect);
        return;
    }
    const auto& text = UkrainianEngine().Text;
    TBipolarRow bipolar = TextRow(text.UkrTextProfile[std::size_t(row)], text.UkrTextProfileScale,
                                  UkrainianLeftName(row + 1), UkrainianRightName(row + 1));
    bipolar.CentredText = true;
    BipolarRow(column, rect, canvas, bipolar);
}

void TTextForm::btnPrintClick() {
    PrintReport(RussianTextReport(TextDocumentName(), RussianEngine().Text, TextProfileScale(), LevitskyChecked(),
                                  mComments->toPlainText()));
}

void TUkrTextForm::btnPrintClick() {
    PrintReport(UkrainianTextReport(UkrTextDocumentName(), UkrainianEngine().Text, LevitskyChecked(),
                                    mComments->toPlainText()));
}

TTextForm* OpenTextForm() { return OpenRussian; }
TUkrTextForm* OpenUkrTextForm() { return OpenUkrainian; }

void OpenRussianTextWindow(const QString& documentName) {
    TextDocumentName() = documentName;
    TTextForm form;
    form.exec();
}

void OpenUkrainianTextWindow(const QString& documentName) {
    UkrTextDocumentName() = documentName;
    TUkrTextForm form;
    form.exec();
}

} // namespace zelm
