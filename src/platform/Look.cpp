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

// Centres a window on its screen, its frame included, whenever its size or its frame (as the
// window manager gives it, which may come late on a busy machine) differs from what it was centred
// with; a move by the user changes neither, so it stays where the user puts it.
class TFrameCentrer : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Show: Centred_ = {}; [[fallthrough]];
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            if (window->isVisible() || event->type() == QEvent::Show) {
                const TShape shape = ShapeOf(window);
                if (shape != Centred_) {
                    Centred_ = shape;
                    Centre(window);
                }
            }
            break;
        default: break;
        }
        return false;
    }

private:
    struct TShape {
        QSize Size;
        QMargins Frame;
        bool operator==(const TShape&) const = default;
    };
    static TShape ShapeOf(const QWidget* window) {
        const QRect frame = window->frameGeometry(), inner = window->geometry();
        return {inner.size(), QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                                       frame.right() - inner.right(), frame.bottom() - inner.bottom())};
    }
    static void Centre(QWidget* window) {
        const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->geometry().center());
        if (frame.topLeft() != window->frameGeometry().topLeft()) window->move(frame.topLeft()); // a window's position is its frame's
    }
    TShape Centred_;
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
