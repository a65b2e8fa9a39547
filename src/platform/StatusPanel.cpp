#include "StatusPanel.h"

#include "Colours.h"
#include "Look.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QImage>

#include <cmath>

namespace zelm {

namespace {

// The panel for screen readers: a status bar whose value is its colours in words.
class TStatusPanelAccessible : public QAccessibleWidget {
public:
    explicit TStatusPanelAccessible(QWidget* panel) : QAccessibleWidget(panel, QAccessible::StatusBar) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return QStringLiteral("Звуко-цветовая оценка");
        if (kind == QAccessible::Value || kind == QAccessible::Description)
            return static_cast<const TStatusPanel*>(widget())->ColoursInWords();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* StatusPanelAccessible(const QString&, QObject* object) {
    if (auto* panel = dynamic_cast<TStatusPanel*>(object)) return new TStatusPanelAccessible(panel);
    return nullptr;
}

} // namespace

TStatusPanel::TStatusPanel(QWidget* parent) : QWidget(parent) {
    static const bool accessible = (QAccessible::installFactory(StatusPanelAccessible), true);
    (void)accessible;
    setAutoFillBackground(false);
}

QString TStatusPanel::ColoursInWords() const {
    // The six sound-colour classes' colours (0x00BBGGRR) and names.
    static const std::pair<std::uint32_t, const char*> classes[] = {
        {255, "красный"}, {65535, "желтый"}, {32768, "зеленый"}, {16711680, "синий"}, {8388736, "фиолетовый"}, {128, "бордовый"}};
    if (!OnDrawPanel || width() < 3) return {};
    QImage scratch(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    TCanvas canvas(painter, ButtonFaceColour());
    const QRect panel = rect().adjusted(1, 1, -1, -1);
    QStringList parts;
    canvas.FillRecorder = [&](const QRect& fill, std::uint32_t colour) {
        for (const auto& [value, name] : classes)
            if (colour == value)
                parts += QStringLiteral("%1 %2 %").arg(QString::fromUtf8(name)).arg(std::lround(100.0 * fill.width() / panel.width()));
    };
    OnDrawPanel(panel, canvas);
    return parts.join(QStringLiteral(", "));
}

void TStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    TCanvas canvas(painter, ButtonFaceColour());
    // The panel sits inside a lowered 1-pixel bevel.
    DrawBevel(painter, rect(), palette().color(QPalette::Dark), palette().color(QPalette::Light));
    const QRect panel = rect().adjusted(1, 1, -1, -1);
    if (OnDrawPanel) OnDrawPanel(panel, canvas);
}

} // namespace zelm
