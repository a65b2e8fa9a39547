// Looks of the desktop platform that the toolkit's own style does not draw: the panel with a
// raised inner and a lowered outer bevel, the sunken edge of grids and edits, and the installed
// faces that stand in for the font names the windows are written with.
#pragma once

#include <QFrame>
#include <QPainter>
#include <QString>
#include <QStringList>

namespace zelm {

// A 1-pixel bevel along the edges of `rect`: `topLeft` at the top and left, `bottomRight` at the
// bottom and right. Lowered is shadow then highlight; raised the other way round.
void DrawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight);

// A panel framed by two 1-pixel bevels: the outer one lowered (shadow at the top and left,
// highlight at the bottom and right), the inner one raised (the other way round). Its children
// are placed in its own coordinates, the frame included.
class TBevelPanel : public QFrame {
public:
    explicit TBevelPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Gives a framed control the platform's 2-pixel sunken edge (outer shadow and highlight, inner
// dark shadow and light), as grids and memos have it.
void SetSunkenEdge(QFrame* control);

// Gives a fixed-size window the dialog border: a caption and the close button, no minimise or
// maximise button (window managers draw those unless told otherwise).
void SetDialogBorder(QWidget* window);

// Centres a top-level window on its screen, its frame included, every time it is shown: at once
// with the frame known then, and again as soon as the window manager has put its frame around it
// (the first move, resize or paint after showing whose frame differs from the window itself);
// never by a timer, and never after that, so that the user may move it.
void CentreWithFrame(QWidget* window);

// Keeps a modal window with the window it was opened from: when it is shown without an owner, the
// active window becomes its transient parent, so that the window manager keeps the two together
// (a dialog cannot be minimised on its own and leave its owner blocked).
void KeepWithOwner(QWidget* window);

// The installed faces, nearest in metrics first, that draw a font the windows name but the
// system lacks ("MS Sans Serif", the sans serif of the dialogs: the face metric-compatible with
// the platform's sans serif; then narrower faces where it is missing).
QStringList FontStandIns(const QString& family);
// Registers the stand-ins with the toolkit; call once after the application object exists.
void InstallFontSubstitutes();

// `font` with the style name its face gives its weight and slant ("Book", "Roman", "Condensed"):
// the font dialog selects a style by name and, where the generic "Normal" or "Regular" is not
// among the face's, falls back to the face's first style, which may be bold or oblique.
QFont WithFacesStyleName(QFont font);

} // namespace zelm
