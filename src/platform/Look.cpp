#include "Look.h"

#include <QFontDatabase>

#include <QEvent>
#include <QTimer>
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
// window manager gives it) differs from what it was centred with; a move by the user changes
// neither, so it stays where the user puts it. The toolkit sends no event when the frame arrives
// (late, on a busy machine), so it is looked for a few times a second until it is known.
class TFrameCentrer : public QObject {
public:
    explicit TFrameCentrer(QWidget* window) : QObject(window), Window_(window) {
        Poll_.setInterval(50);
        connect(&Poll_, &QTimer::timeout, this, [this] {
            Follow();
            if (!Centred_.Frame.isNull() || ++Polls_ > 400) Poll_.stop(); // the frame is known, or never comes
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            Centred_ = {};
            Polls_ = 0;
            Poll_.start();
            Follow(true);
            break;
        case QEvent::Hide: Poll_.stop(); break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowActivate: Follow(); break;
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
    void Follow(bool showing = false) {
        if (!showing && !Window_->isVisible()) return;
        // The window system's own margins: the widget's frame geometry is cached until a move.
        const QRect inner = Window_->geometry();
        QWindow* handle = Window_->windowHandle();
        const QMargins margins = handle ? handle->frameMargins() : QMargins();
        const QRect frame = inner.marginsAdded(margins);
        const TShape shape{inner.size(), margins};
        if (shape == Centred_) return;
        Centred_ = shape;
        const QScreen* screen = Window_->screen() ? Window_->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        QRect centred = frame;
        centred.moveCenter(screen->geometry().center());
        if (centred.topLeft() == frame.topLeft()) return;
        if (QWindow* window = Window_->windowHandle(); window && !margins.isNull()) window->setFramePosition(centred.topLeft());
        else Window_->move(centred.topLeft()); // a window's position is its frame's
    }
    QWidget* Window_;
    QTimer Poll_;
    int Polls_ = 0;
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

QFont WithFacesStyleName(QFont font) {
    if (!font.styleName().isEmpty()) return font;
    const QString family = QFontInfo(font).family();
    QString best;
    // Of the styles of this weight and slant, the shortest name: "Book" rather than "Condensed"
    // beside it in a family that holds both widths.
    for (const QString& style : QFontDatabase::styles(family))
        if (QFontDatabase::weight(family, style) == font.weight() && QFontDatabase::italic(family, style) == font.italic() &&
            (best.isEmpty() || style.size() < best.size()))
            best = style;
    if (!best.isEmpty()) font.setStyleName(best);
    return font;
}

} // namespace zelm
