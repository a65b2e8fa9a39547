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

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zelm
