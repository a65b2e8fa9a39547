// Small toolkit services of the windows: the "Confirm" box, the per-user settings store, the
// help viewer and the look for a pending Esc key.
#pragma once

#include <QObject>
#include <QString>

class QFileDialog;
class QWidget;

namespace zelm {

enum class TConfirmResult { crYes, crNo, crCancel };

// A question with the buttons "&Yes", "&No" and "Cancel" under the caption "Confirm"; closing
// the box counts as Cancel.
TConfirmResult ConfirmYesNoCancel(QWidget* parent, const QString& text);

// Scales a window laid out in pixels at `designDpi` to the screen it is on: its size, every
// child's place and size, and every font given in pixels, by the screen's logical dots per inch
// over `designDpi`. Returns the factor.
double ScaleToScreen(QWidget* window, double designDpi);

// Prepares a file dialog of the toolkit (not the system's): its sizes, dates and folder type in
// Russian whatever the system's locale, and its columns as wide as their contents.
void PrepareFileDialog(QFileDialog& dialog);

// Adds to an open dialog the files of its folder whose names are not UTF-8, which the toolkit's
// listing leaves out: shown by ShownPath, opened by a double click or Enter, which closes the
// dialog as accepted with the file's exact name in `chosen`.
void OfferForeignNames(QFileDialog& dialog, QString& chosen);

// One text value of the per-user settings store: `name` in `section` under `key` (on Windows the
// registry's current-user hive; elsewhere the user's configuration folder, file
// "<key>/<section>.ini"). "ERROR" when the section or the value does not exist.
QString ReadUserSetting(const QString& key, const QString& section, const QString& name);

// Shows the topic of a context number of a help file in the help viewer: one normal window that
// stays open beside the program (usable from a modal window too) and is raised on the next call.
// A missing or unreadable file is reported to the user with its path.
void ShowHelpTopic(QWidget* parent, const QString& helpFile, int context);
// The help viewer when it is open, else null.
class THelpViewer;
THelpViewer* OpenHelpViewer();

// Help contexts of controls: F1 opens the context of the focused control, or of the nearest
// control around it that has one, else `fallback` (the window's).
void SetHelpContext(QObject* control, int context);
int HelpContextOf(const QObject* control, int fallback);
int HelpContextAt(const QWidget* focused, int fallback);

// The topics of a help file: "#<context> <title>" lines start a topic, the lines after it are
// its text (HTML or plain). Empty when the file cannot be read.
struct THelpTopic {
    int Context = 0;
    QString Title;
    QString Body;
};
QList<THelpTopic> ReadHelpFile(const QString& helpFile, bool* readable = nullptr);

// Watches the application's key presses for Esc; Pending() answers whether one came since the
// last look, and forgets it (the look takes the key press out, as the keyboard queue look does).
class TEscapeWatcher : public QObject {
public:
    explicit TEscapeWatcher(QObject* parent = nullptr);
    bool Pending();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Pending_ = false;
};

} // namespace zelm
