// TAboutForm: the about box with its looping animation of nine pictures.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <cstdint>

namespace zelm {

// The animation step, kept across openings of the box.
std::uint8_t& AnimationStep();

class TAboutForm : public QDialog {
public:
    TAboutForm(QWidget* parent = nullptr);
    QPushButton* OKButton;
    QWidget* Panel2;
    std::array<QLabel*, 9> Images{}; // Image1 .. Image9
    QLabel* Label1;
    QLabel* Label2;
    QTimer* Timer1;

    void Timer1Timer();

protected:
    void keyPressEvent(QKeyEvent* event) override; // F1: help at context 50

public:
    // Which of the nine pictures is visible (1..9), 0 when none.
    int VisibleImage() const;
};

// Draws frame 1..9 of the scene: a dark red two-handled jug on a yellow strip under a cyan sky,
// with grey smoke that gathers into a small chequered shape with two dark eyes at frame 5 and
// loosens again towards frames 1 and 9.
QPixmap AboutFrame(int frame);

// Shows the about box modally.
void ShowAboutBox(QWidget* parent = nullptr);

} // namespace zelm
