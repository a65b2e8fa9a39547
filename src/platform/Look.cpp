#include "Look.h"

#include <QEvent>
#include <QFont>
#include <QApplication>
#include <QGuiApplication>
#include <QWindow>
#include <QScreen>
#include <QWidget>

namespace zelm {

TBevelPanel::TBevelPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(2, 2, 2, 2);
}

void DrawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    DrawBevel(painter, rect(), shadow, highlight);                       // outer, lowered
    DrawBevel(painter, rect().adjusted(1, 1, -1, -1), highlight, shadow); // inner, raised
}

void SetSunkenEdge(QFrame* control) {
    control->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    control->setLineWidth(2);
}

namespace {

class TFrameCentrer : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Show:
            Framed_ = false;
            Centre(window);
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            if (!Framed_ && window->isVisible() && window->frameGeometry() != window->geometry()) {
                Framed_ = true; // the frame is known: centred with it, once
                Centre(window);
            }
            break;
        default: break;
        }
        return false;
    }

private:
    static void Centre(QWidget* window) {
        const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->geometry().center());
        if (frame.topLeft() != window->frameGeometry().topLeft()) window->move(frame.topLeft()); // a window's position is its frame's
    }
    bool Framed_ = false;
};

} // namespace

void CentreWithFrame(QWidget* window) { window->installEventFilter(new TFrameCentrer(window)); }

namespace {

class TOwnerKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && window->windowHandle() && !window->windowHandle()->transientParent()) {
            QWidget* owner = QApplication::activeWindow();
            if (owner && owner != window && owner->windowHandle())
                window->windowHandle()->setTransientParent(owner->windowHandle());
        }
        return false;
    }
};

} // namespace

void KeepWithOwner(QWidget* window) { window->installEventFilter(new TOwnerKeeper(window)); }

void SetDialogBorder(QWidget* window) {
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
}

QStringList FontStandIns(const QString& family) {
    if (family.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Nimbus Sans")};
    return {};
}

void InstallFontSubstitutes() {
    const QString family = QStringLiteral("MS Sans Serif");
    QFont::insertSubstitutions(family, FontStandIns(family));
}

} // namespace zelm
