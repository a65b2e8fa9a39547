#include "Look.h"

#include <QFont>

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
