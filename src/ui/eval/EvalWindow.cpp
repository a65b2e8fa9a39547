#include "EvalWindow.h"

#include "PrinterService.h"

#include "Dialogs.h"
#include "Engines.h"
#include "Look.h"
#include "Report.h"

#include <QFocusEvent>
#include <QMessageBox>

#include <QActionGroup>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTextCursor>
#include <QTimer>

namespace zelm {

// Short, so that the long captions of the result windows fit their title bars.
const QString MakerNotice = QStringLiteral("© ЗЕЛМ");

TEvalWindow::TEvalWindow(int width, int height, int helpContext, const QString& caption) : HelpContext_(helpContext) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(width, height);
    setWindowTitle(caption);
    SetDialogBorder(this);
    CentreWithFrame(this);
    KeepWithOwner(this);
}

void TEvalWindow::PlaceComments(const QRect& geometry) {
    mComments = new QPlainTextEdit(this);
    mComments->setReadOnly(true);
    mComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mComments->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mComments->setGeometry(geometry);
    mComments->setTabChangesFocus(true); // Tab goes on to the next control
    SetSunkenEdge(mComments);
}

bool TEvalWindow::CommentFocusGoesToGrid(QEvent* event) {
    if (event->type() != QEvent::FocusIn) return false;
    // Tab and Shift+Tab stop on the comment and go on past it, so that the keyboard reaches every
    // control and a screen reader reads the comment; a click gives the grid the focus.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason;
}

QFrame* TEvalWindow::MakePanel(const QRect& geometry) {
    auto* panel = new TBevelPanel(this);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* TEvalWindow::MakeButton(QWidget* parent, const QRect& geometry, const QString& text,
                                     QStyle::StandardPixmap glyph) {
    auto* button = new QPushButton(style()->standardIcon(glyph), text, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

void TEvalWindow::MakeStatusBar() {
    stBar = new TStatusPanel(this);
    stBar->setGeometry(0, height() - 19, width(), 19);
}

void TEvalWindow::MakeAlgorithmMenu(const QString& zhuravlevCaption) {
    pupMenuEvalSchem = new QMenu(this);
    auto* group = new QActionGroup(pupMenuEvalSchem);
    group->setExclusive(true);
    mnLevitsky = pupMenuEvalSchem->addAction(QStringLiteral("Алгоритм Левицкого"));
    mnZhuravlev = pupMenuEvalSchem->addAction(zhuravlevCaption);
    for (QAction* item : {mnLevitsky, mnZhuravlev}) {
        item->setCheckable(true);
        group->addAction(item);
    }
    mnZhuravlev->setChecked(true);
}

void TEvalWindow::ShowComment(const QString& line) {
    mComments->clear();
    mComments->appendPlainText(line);
    QTextCursor cursor = mComments->textCursor();
    cursor.movePosition(QTextCursor::Start);
    mComments->setTextCursor(cursor);
    mComments->ensureCursorVisible();
    // A screen reader reads a text by its lines; it hears the whole comment as the memo's name.
    mComments->setAccessibleName(line);
}

void TEvalWindow::PrintReport(const TReportData& report) {
    try {
        if (PrintReportThroughHost(report)) ReportHost()->TellWherePrinted(this);
    } catch (const EPrintCancelled&) {
        // The user's own No: nothing to say.
    } catch (const std::exception& error) {
        QMessageBox::critical(this, windowTitle(), QString::fromUtf8(error.what()));
    }
}

void TEvalWindow::SetHelpContexts() {
    SetHelpContext(this, HelpContext_);
    for (QWidget* control : findChildren<QWidget*>()) SetHelpContext(control, HelpContext_);
}

void TEvalWindow::ShowHelp() { ShowHelpTopic(this, HelpFilePath(), HelpContextAt(focusWidget(), HelpContext_)); }

void TEvalWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        ShowHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace zelm
