#include "Dialogs.h"

#include "FileNames.h"
#include "HelpViewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QTreeView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QWindow>

#include <cmath>

namespace zelm {

TConfirmResult ConfirmYesNoCancel(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return TConfirmResult::crYes;
    if (box.clickedButton() == no) return TConfirmResult::crNo;
    return TConfirmResult::crCancel;
}

QString ReadUserSetting(const QString& key, const QString& section, const QString& name) {
#ifdef Q_OS_WIN
    QSettings settings(QStringLiteral("HKEY_CURRENT_USER\\") + key + QLatin1Char('\\') + section, QSettings::NativeFormat);
    const QVariant value = settings.value(name);
#else
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, key, section);
    const QVariant value = settings.value(name);
#endif
    return value.isValid() ? value.toString() : QStringLiteral("ERROR");
}

QList<THelpTopic> ReadHelpFile(const QString& helpFile, bool* readable) {
    QList<THelpTopic> topics;
    QFile file(helpFile);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (readable) *readable = opened;
    if (!opened) return topics;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const QString head = line.mid(1).trimmed();
            const int context = head.section(QLatin1Char(' '), 0, 0).toInt(&ok);
            if (ok) {
                topics.push_back({context, head.section(QLatin1Char(' '), 1).trimmed(), {}});
                continue;
            }
        }
        if (!topics.isEmpty()) topics.back().Body += line + QLatin1Char('\n');
    }
    for (THelpTopic& topic : topics) topic.Body = topic.Body.trimmed();
    return topics;
}

namespace {

QPointer<THelpViewer> OpenViewer;

// A file's size in Russian: "1 байт", "3 байта", "96 байт", "1,5 КБ".
QString RussianSize(qint64 bytes) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (bytes < 1024) {
        const qint64 tens = bytes % 100, units = bytes % 10;
        const char* word = units == 1 && tens != 11 ? "байт" : units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? "байта" : "байт";
        return QStringLiteral("%1 %2").arg(bytes).arg(QString::fromUtf8(word));
    }
    static const char* const units[] = {"КБ", "МБ", "ГБ", "ТБ"};
    double value = double(bytes);
    int unit = -1;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return russian.toString(value, 'f', 1) + QLatin1Char(' ') + QString::fromUtf8(units[unit]);
}

// The file list's sizes, dates and folder type in Russian.
class TRussianFileModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        switch (index.column()) {
        case 1: return info.isDir() ? QString() : RussianSize(info.size());
        case 2: {
            if (info.isDir()) return QStringLiteral("Папка");
            // The type's name in Russian: the description of the file's type is read in the
            // default locale's language.
            const QLocale previous;
            QLocale::setDefault(russian);
            const QString type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
            QLocale::setDefault(previous);
            return type.isEmpty() ? QIdentityProxyModel::data(index, role) : type;
        }
        default: return russian.toString(info.lastModified(), QLocale::ShortFormat);
        }
    }
};

} // namespace

void PrepareFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new TRussianFileModel(&dialog));
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column <= 3; ++column) view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

void OfferForeignNames(QFileDialog& dialog, QString& chosen) {
    auto* label = new QLabel(QStringLiteral("Файлы, имена которых не в UTF-8 (открываются двойным щелчком):"), &dialog);
    auto* list = new QListWidget(&dialog);
    label->setBuddy(list);
    list->setAccessibleName(QStringLiteral("Файлы, имена которых не в UTF-8"));
    list->setMaximumHeight(list->fontMetrics().height() * 5);
    const auto fill = [label, list](const QString& folder) {
        list->clear();
        for (const QString& name : ForeignNamesIn(folder)) {
            auto* item = new QListWidgetItem(ShownPath(name), list);
            item->setData(Qt::UserRole, folder + QLatin1Char('/') + name);
        }
        label->setVisible(list->count() > 0);
        list->setVisible(list->count() > 0);
    };
    QObject::connect(&dialog, &QFileDialog::directoryEntered, list, fill);
    fill(dialog.directory().absolutePath());
    QObject::connect(list, &QListWidget::itemActivated, &dialog, [&dialog, &chosen](QListWidgetItem* item) {
        chosen = item->data(Qt::UserRole).toString();
        static_cast<QDialog&>(dialog).done(QDialog::Accepted);
    });
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0, 1, -1);
        grid->addWidget(list, row + 1, 0, 1, -1);
    }
}

void ShowHelpTopic(QWidget* parent, const QString& helpFile, int context) {
    bool readable = false;
    const QList<THelpTopic> topics = ReadHelpFile(helpFile, &readable);
    if (!readable) {
        QMessageBox::warning(parent, QStringLiteral("Справка"),
                             QStringLiteral("Не удаётся открыть файл справки «%1».").arg(helpFile));
        return;
    }
    static QString shownFile;
    QPointer<THelpViewer>& viewer = OpenViewer;
    if (viewer && shownFile != helpFile) delete viewer; // another help file: a viewer of its own
    if (!viewer) {
        viewer = new THelpViewer(topics);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowFlags(Qt::Window);
        shownFile = helpFile;
    }
    viewer->ShowContext(context);
    // Kept with the window it was asked from: a modal window's help must take the user's input.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner && parent) owner = parent->window();
    viewer->winId();
    if (owner && owner != viewer && viewer->windowHandle()->transientParent() != owner->windowHandle()) {
        viewer->hide();
        viewer->windowHandle()->setTransientParent(owner->windowHandle());
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

THelpViewer* OpenHelpViewer() { return OpenViewer; }

void SetHelpContext(QObject* control, int context) { control->setProperty("zelmHelpContext", context); }

int HelpContextOf(const QObject* control, int fallback) {
    const QVariant context = control ? control->property("zelmHelpContext") : QVariant();
    return context.isValid() ? context.toInt() : fallback;
}

int HelpContextAt(const QWidget* focused, int fallback) {
    for (const QWidget* w = focused; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (const int context = HelpContextOf(w, -1); context >= 0) return context;
    return fallback;
}

TEscapeWatcher::TEscapeWatcher(QObject* parent) : QObject(parent) {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

bool TEscapeWatcher::Pending() {
    const bool pending = Pending_;
    Pending_ = false;
    return pending;
}

bool TEscapeWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        Pending_ = true;
    return QObject::eventFilter(watched, event);
}

double ScaleToScreen(QWidget* window, double designDpi) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const double factor = screen ? screen->logicalDotsPerInch() / designDpi : 1.0;
    if (factor == 1.0) return factor;
    const auto scaled = [factor](int v) { return int(std::lround(v * factor)); };
    const auto scaleFont = [&](QWidget* w) {
        if (!w->testAttribute(Qt::WA_SetFont) || w->font().pixelSize() <= 0) return;
        QFont font = w->font();
        font.setPixelSize(std::max(1, scaled(font.pixelSize())));
        w->setFont(font);
    };
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isWindow()) continue;
        const QRect g = child->geometry();
        child->setGeometry(scaled(g.x()), scaled(g.y()), scaled(g.width()), scaled(g.height()));
        scaleFont(child);
        // A check mark or radio dot keeps its size while the text shrinks with the factor: such a
        // choice is widened to show its whole text.
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child))
            if (const int wanted = child->sizeHint().width(); child->width() < wanted) child->resize(wanted, child->height());
    }
    scaleFont(window);
    const QSize size = window->minimumSize() == window->maximumSize() ? window->minimumSize() : window->size();
    const QSize target(scaled(size.width()), scaled(size.height()));
    if (window->minimumSize() == window->maximumSize()) window->setFixedSize(target);
    else window->resize(target);
    return factor;
}

} // namespace zelm
