// A status bar made of one owner-drawn panel that spans the whole bar: the owner paints it
// through a callback with the panel rectangle and a canvas.
#pragma once

#include "Canvas.h"

#include <QWidget>

#include <functional>

namespace zelm {

class TStatusPanel : public QWidget {
public:
    explicit TStatusPanel(QWidget* parent = nullptr);
    std::function<void(const QRect& rect, TCanvas& canvas)> OnDrawPanel;
    // What the panel shows, in words, for screen readers: the colours of the sound-colour classes
    // it is filled with and their shares of its width ("красный 40 %, синий 60 %").
    QString ColoursInWords() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zelm
