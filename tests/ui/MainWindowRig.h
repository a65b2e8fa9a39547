// What the main window's tests share: answering its modal dialogs, reading and writing files,
// and a main window on the fake printer whose file dialogs the test answers.
#pragma once

#include "FakePrinter.h"
#include "UMain.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

using namespace zelm;

// Readable QStrings in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace zelm::test {

// Runs `answer` on the next modal dialog once it is shown.
inline void AnswerNextDialog(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        if (QWidget* dialog = QApplication::activeModalWidget()) answer(dialog);
        else AnswerNextDialog(answer);
    });
}

inline void ClickButton(QWidget* dialog, const QString& text) {
    for (auto* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text) {
            button->click();
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// Answers a Confirm box with a button, noting its text.
inline void AnswerConfirm(const QString& button, QString* text = nullptr) {
    AnswerNextDialog([=](QWidget* box) {
        if (text) *text = static_cast<QMessageBox*>(box)->text();
        ClickButton(box, button);
    });
}

// Answers the next modal dialogs one after the other.
inline void AnswerDialogs(std::vector<std::function<void(QWidget*)>> answers) {
    if (answers.empty()) return;
    AnswerNextDialog([answers](QWidget* box) mutable {
        const auto first = answers.front();
        answers.erase(answers.begin());
        first(box);
        AnswerDialogs(answers);
    });
}

inline std::function<void(QWidget*)> Click(const QString& button, QString* text = nullptr) {
    return [=](QWidget* box) {
        if (text) *text = static_cast<QMessageBox*>(box)->text();
        if (button == "OK") static_cast<QMessageBox*>(box)->accept();
        else ClickButton(box, button);
    };
}

// Runs `answer` on the first modal window for which `wanted` holds, once it is shown.
inline void AnswerWhen(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [=] {
        QWidget* window = QApplication::activeModalWidget();
        if (window && wanted(window)) answer(window);
        else AnswerWhen(wanted, answer);
    });
}

inline std::string Slurp(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void Write(const QString& path, const std::string& bytes) { std::ofstream(path.toStdString(), std::ios::binary) << bytes; }

struct TRig {
    TFakePrinter* Printer = new TFakePrinter;
    TMainForm Form{std::unique_ptr<IPrinterService>(Printer)};
    QTemporaryDir Folder;
    std::optional<TOpenChoice> OpenAnswer;
    std::optional<QString> SaveAnswer;
    int SaveAsked = 0;
    decltype(Form.AskOpenFile) RealAskOpenFile = Form.AskOpenFile; // the program's own dialog
    TRig() {
        Form.AskOpenFile = [this] { return OpenAnswer; };
        Form.AskSaveFile = [this] {
            ++SaveAsked;
            return SaveAnswer;
        };
    }
    QString Path(const char* name) const { return Folder.filePath(name); }
};

} // namespace zelm::test

using namespace zelm::test;
