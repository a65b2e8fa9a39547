#include "UFonts.h"

#include "Dialogs.h"
#include "Look.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelm {

namespace {

// What a screen reader is told of an up-down: a spin box, its value, from 0 to 100.
class TUpDownAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TUpDownAccessible(TUpDown* upDown) : QAccessibleWidget(upDown, QAccessible::SpinBox) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? QString::number(UpDown()->Position()) : QAccessibleWidget::text(kind);
    }
    QVariant currentValue() const override { return UpDown()->Position(); }
    void setCurrentValue(const QVariant& value) override { UpDown()->StepBy(value.toInt() - UpDown()->Position()); }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TUpDown* UpDown() const { return static_cast<TUpDown*>(widget()); }
};

QAccessibleInterface* UpDownAccessible(const QString&, QObject* object) {
    auto* upDown = dynamic_cast<TUpDown*>(object);
    return upDown ? new TUpDownAccessible(upDown) : nullptr;
}

} // namespace

TUpDown::TUpDown(QWidget* parent, const QRect& panel, const QRect& arrows, const QString& name) : QWidget(parent) {
    static const bool accessible = (QAccessible::installFactory(UpDownAccessible), true);
    (void)accessible;
    setAccessibleName(name);
    setFocusPolicy(Qt::StrongFocus); // the arrows are one tab stop, not two
    Panel = new QLabel(QStringLiteral("0"), parent);
    Panel->setGeometry(panel);
    Panel->setAutoFillBackground(true);
    Panel->setStyleSheet(QStringLiteral("background: white; border: 1px inset gray;"));
    Panel->setAlignment(Qt::AlignCenter);
    setGeometry(arrows);
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setFocusPolicy(Qt::NoFocus);
    down->setFocusPolicy(Qt::NoFocus);
    up->setAccessibleName(QStringLiteral("Больше"));
    down->setAccessibleName(QStringLiteral("Меньше"));
    up->setGeometry(0, 0, arrows.width(), arrows.height() / 2);
    down->setGeometry(0, arrows.height() / 2, arrows.width(), arrows.height() - arrows.height() / 2);
    connect(up, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void TUpDown::SetPosition(int position) {
    Position_ = std::clamp(position, 0, 100);
    Panel->setText(QString::number(Position_));
}

void TUpDown::StepBy(int steps) {
    SetPosition(Position_ + steps);
    if (OnClick) OnClick(Position_);
    QAccessibleValueChangeEvent changed(this, Position_);
    QAccessible::updateAccessibility(&changed);
}

void TUpDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up) StepBy(1);
    else if (event->key() == Qt::Key_Down) StepBy(-1);
    else QWidget::keyPressEvent(event);
}

// The number's panel shows where the focus is, as a spin box's field would.
void TUpDown::focusInEvent(QFocusEvent* event) {
    Panel->setStyleSheet(QStringLiteral("background: white; border: 2px solid palette(highlight);"));
    QWidget::focusInEvent(event);
}

void TUpDown::focusOutEvent(QFocusEvent* event) {
    Panel->setStyleSheet(QStringLiteral("background: white; border: 1px inset gray;"));
    QWidget::focusOutEvent(event);
}

TFontForm::TFontForm() {
    setWindowTitle(QStringLiteral("Параметры печати"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(14);
    setFont(font);
    setFixedSize(554, 309);
    SetDialogBorder(this);
    CentreWithFrame(this);
    auto label = [this](const QString& text, const QRect& geometry, QWidget* parent = nullptr) {
        auto* l = new QLabel(text, parent ? parent : this);
        l->setGeometry(geometry);
        return l;
    };
    label(QStringLiteral("Шрифт"), {12, 8, 200, 18});
    cmbFonts = new QComboBox(this);
    cmbFonts->setGeometry(12, 28, 260, 26);
    label(QStringLiteral("Размер"), {284, 8, 80, 18});
    udSize = new TUpDown(this, {284, 28, 48, 26}, {334, 28, 18, 26}, QStringLiteral("Размер"));

    auto* style = new QGroupBox(QStringLiteral("Стиль шрифта"), this);
    style->setGeometry(12, 62, 200, 70);
    rgStyle = new QButtonGroup(this);
    const QStringList styles = {QStringLiteral("Нормальный"), QStringLiteral("Курсив")};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(styles[i], style);
        button->move(12, 22 + 22 * i);
        button->adjustSize(); // as wide as its text: the window's scaling keeps the size it has
        rgStyle->addButton(button, i);
    }

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Box);
    bevel->setGeometry(220, 62, 322, 70);
    Panel1 = new QLabel(QStringLiteral("Образец"), bevel);
    Panel1->setGeometry(4, 4, 314, 62);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);

    auto* margins = new QGroupBox(QStringLiteral("Поля (мм)"), this);
    margins->setGeometry(12, 140, 300, 110);
    const QStringList names = {QStringLiteral("Слева:"), QStringLiteral("Справа:"), QStringLiteral("Сверху:"),
                               QStringLiteral("Снизу:")};
    TUpDown** ups[] = {&udLeft, &udRight, &udTop, &udBottom};
    for (int i = 0; i < 4; ++i) {
        const int x = 12 + (i % 2) * 144, y = 26 + (i / 2) * 40;
        label(names[i], {x, y + 4, 64, 18}, margins);
        *ups[i] = new TUpDown(margins, {x + 66, y, 44, 26}, {x + 112, y, 18, 26},
                              QStringLiteral("Поле ") + names[i].chopped(1).toLower());
    }

    auto* spacing = new QGroupBox(QStringLiteral("Межстрочный интервал"), this);
    spacing->setGeometry(320, 140, 222, 110);
    rgSpacing = new QButtonGroup(this);
    const QStringList spacings = {QStringLiteral("Одинарный"), QStringLiteral("Полуторный"), QStringLiteral("Двойной")};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(spacings[i], spacing);
        button->move(12, 24 + 26 * i);
        button->adjustSize();
        rgSpacing->addButton(button, i);
    }

    BitBtn1 = new QPushButton(QWidget::style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Принять"), this);
    BitBtn1->setGeometry(330, 258, 100, 28);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QWidget::style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Отказ"), this);
    BitBtn2->setGeometry(442, 258, 100, 28);
    auto* status = new QStatusBar(this);
    status->setGeometry(0, 289, 554, 20);
    status->setSizeGripEnabled(false);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject); // also Esc
    connect(cmbFonts, &QComboBox::currentIndexChanged, this, [this] { cmbFontsChange(); });
    connect(rgStyle, &QButtonGroup::idClicked, this, [this](int item) { rgStyleClick(item); });
    udSize->OnClick = [this](int position) {
        SampleFont.SizePoints = position;
        ShowSample();
    };
    // Laid out at 120 dots per inch, shown at the screen's.
    ScaleToScreen(this, 120);
}

void TFontForm::cmbFontsChange() {
    SampleFont.Name = cmbFonts->currentText();
    ShowSample();
}

void TFontForm::rgStyleClick(int item) {
    SampleFont.Italic = item == 1;
    SampleFont.Bold = SampleFont.Underline = SampleFont.StrikeOut = false;
    ShowSample();
}

void TFontForm::ShowSample() {
    QFont sample(SampleFont.Name);
    sample.setPointSizeF(std::max(SampleFont.SizePoints, 1.0));
    sample.setItalic(SampleFont.Italic);
    Panel1->setFont(sample);
}

bool ExecutePrintSettings(IPrinterService& printer, TPrinterFont& font, int& left, int& right, int& top, int& bottom,
                          int& spacing) {
    QStringList names = printer.FontNames(); // no printer: its error goes to the caller
    names.sort(Qt::CaseInsensitive);
    TFontForm form;
    form.cmbFonts->addItems(names);
    const int index = std::max(0, int(names.indexOf(font.Name)));
    // The style becomes italic only or regular, even if the dialog is then cancelled.
    const bool italic = font.Italic;
    font.Bold = font.Underline = font.StrikeOut = false;
    font.Italic = italic;
    form.rgStyle->button(italic ? 1 : 0)->setChecked(true);
    form.cmbFonts->setCurrentIndex(index);
    form.SampleFont = font;
    form.SampleFont.Name = form.cmbFonts->currentText().isEmpty() ? font.Name : form.cmbFonts->currentText();
    form.SampleFont.SizePoints = 10;
    form.ShowSample();
    form.udLeft->SetPosition(left);
    form.udRight->SetPosition(right);
    form.udTop->SetPosition(top);
    form.udBottom->SetPosition(bottom);
    form.udSize->SetPosition(10);
    form.rgSpacing->button(spacing >= 0 && spacing <= 2 ? spacing : 0)->setChecked(true);
    if (form.exec() != QDialog::Accepted) return false;
    const int pixelsPerInch = font.PixelsPerInch;
    font = form.SampleFont;
    font.PixelsPerInch = pixelsPerInch;
    spacing = form.rgSpacing->checkedId();
    left = form.udLeft->Position();
    right = form.udRight->Position();
    top = form.udTop->Position();
    bottom = form.udBottom->Position();
    return true;
}

} // namespace zelm
