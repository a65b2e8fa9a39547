#include "UAbout.h"

#include "Dialogs.h"
#include "Engines.h"
#include "Look.h"
#include "Version.h"

#include <QKeyEvent>

#include <QFrame>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace zelm {

std::uint8_t& AnimationStep() {
    static std::uint8_t step = 0;
    return step;
}

QPixmap AboutFrame(int frame) {
    QPixmap pixmap(65, 57);
    QPainter p(&pixmap);
    p.fillRect(0, 0, 65, 57, QColor(0, 255, 255));  // sky
    p.fillRect(0, 49, 65, 8, QColor(255, 255, 0));  // ground
    // The jug: a round belly, a neck and two handles, dark red.
    const QColor jug(128, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(jug);
    p.drawEllipse(QRect(20, 30, 25, 20));
    p.drawRect(28, 22, 9, 10);
    p.drawRect(26, 20, 13, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(jug, 2));
    p.drawArc(QRect(14, 30, 10, 12), 90 * 16, 180 * 16);
    p.drawArc(QRect(41, 30, 10, 12), 270 * 16, 180 * 16);
    // The smoke: apart in frames 1 and 9, gathered in frame 5.
    const double gather = 1.0 - std::fabs(frame - 5) / 4.0; // 0 .. 1
    const QColor smoke(128, 128, 128);
    if (gather < 0.99) {
        QPainterPath wisp(QPointF(32.5, 20));
        for (int i = 1; i <= 6; ++i) {
            const double y = 20 - i * 3.0 * (1 - gather * 0.6);
            const double x = 32.5 + std::sin(i * 1.3 + frame) * (6 - 4 * gather);
            wisp.lineTo(x, y);
        }
        p.setPen(QPen(smoke, 2 + int(2 * gather)));
        p.drawPath(wisp);
    }
    if (gather > 0.4) { // the chequered shape with two dark eyes
        const int size = int(4 + 10 * gather);
        const int left = 32 - size / 2, top = 12 - size / 2;
        for (int y = 0; y < size; y += 2)
            for (int x = 0; x < size; x += 2)
                p.fillRect(left + x, top + y, 2, 2, ((x + y) / 2) % 2 ? Qt::white : smoke);
        if (gather > 0.7) {
            p.fillRect(left + size / 4, top + size / 3, 2, 2, QColor(0, 0, 64));
            p.fillRect(left + size - size / 4 - 2, top + size / 3, 2, 2, QColor(0, 0, 64));
        }
    } else { // two white dots above the wisp
        p.fillRect(27, 2, 2, 2, Qt::white);
        p.fillRect(36, 3, 2, 2, Qt::white);
    }
    return pixmap;
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ЗЕЛМ-dare (Проект ЗЕЛМ)"));
    setFixedSize(294, 189);
    SetDialogBorder(this);
    CentreWithFrame(this);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    auto* panel = new TBevelPanel(this);
    panel->setGeometry(8, 8, 277, 141);
    Panel2 = panel;
    for (int i = 0; i < 9; ++i) {
        Images[std::size_t(i)] = new QLabel(Panel2);
        Images[std::size_t(i)]->setPixmap(AboutFrame(i + 1));
        Images[std::size_t(i)]->setGeometry(8, 8, 65, 57);
        Images[std::size_t(i)]->setVisible(i == 0);
    }
    Label1 = new QLabel(QString(), Panel2);
    Label1->setGeometry(80, 8, 181, 64);
    Label1->setWordWrap(true);
    Label2 = new QLabel(QStringLiteral("Звук и смысл: оценка слов и текстов\nверсия " ZELM_VERSION), Panel2);
    Label2->setGeometry(64, 80, 143, 48);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(97, 158, 100, 22);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    Timer1 = new QTimer(this);
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1->start();
}

// Frames run forwards 1..9 and back, one full cycle every 16 ticks.
void TAboutForm::Timer1Timer() {
    const int step = AnimationStep();
    const int shown = step < 8 ? step + 2 : 16 - step;    // Image number made visible
    const int hidden = step < 8 ? step + 1 : 17 - step;   // Image number hidden
    Images[std::size_t(shown - 1)]->setVisible(true);
    Images[std::size_t(hidden - 1)]->setVisible(false);
    AnimationStep() = std::uint8_t((step + 1) % 16);
}

int TAboutForm::VisibleImage() const {
    for (int i = 0; i < 9; ++i)
        if (!Images[std::size_t(i)]->isHidden()) return i + 1;
    return 0;
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        ShowHelpTopic(this, HelpFilePath(), 50);
        return;
    }
    QDialog::keyPressEvent(event);
}

void ShowAboutBox(QWidget* parent) {
    TAboutForm form(parent);
    form.exec();
}

} // namespace zelm
