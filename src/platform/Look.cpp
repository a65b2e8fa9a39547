#include "Look.h"

#include <QFont>
#include <QPainter>

namespace zelm {

TBevelPanel::TBevelPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(2, 2, 2, 2);
}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    // One bevel: `topLeft` along the top and left, `bottomRight` along the bottom and right.
    const auto bevel = [&](QRect r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    bevel(rect(), shadow, highlight);                       // outer, lowered
    bevel(rect().adjusted(1, 1, -1, -1), highlight, shadow); // inner, raised
}

void SetSunkenEdge(QFrame* control) {
    control->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    control->setLineWidth(2);
}

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
