#include "Recovery.h"

#include "FileNames.h"

#include "SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <QHash>

#include <csignal>
#include <cstring>
#include <mutex>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelm {

namespace {

const QByteArray Magic = "ZELM recovery 1\n";
const QString Prefix = QStringLiteral("recovery-");

const char* EncodingName(TDocEncoding encoding) {
    switch (encoding) {
    case TDocEncoding::deCp1251: return "cp1251";
    case TDocEncoding::deUtf8: return "utf-8";
    case TDocEncoding::deUtf16LE: return "utf-16le";
    case TDocEncoding::deUtf16BE: return "utf-16be";
    }
    return "cp1251";
}

// This run's id: random, so that no other run, in this process namespace or another, has it.
const QString& RunId() {
    static const QString id = [] {
        std::random_device device;
        const quint64 value = (quint64(device()) << 32) ^ device();
        return QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0'));
    }();
    return id;
}

QString LockOf(const QString& file) { return file.chopped(4) + QStringLiteral(".lock"); }

// An old-style file named by a process id alone: whether that process still runs an editor.
bool Running(qint64 pid) {
    // This process's own number is no sign: this run's files are named by its id, not its pid.
    if (pid <= 0 || pid == QCoreApplication::applicationPid()) return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) return false;
    // A process of that number that is not an editor of ours took the number over.
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return !comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed().startsWith("zelm");
}

int SignalPipe[2] = {-1, -1};

void SignalArrived(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(SignalPipe[1], &byte, 1);
}

} // namespace

QString RecoveryFolder() {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    if (state.startsWith('/')) return QFile::decodeName(state) + QStringLiteral("/zelm");
    return QDir::homePath() + QStringLiteral("/.local/state/zelm");
}

QStringList RecoveryFolders() {
    QStringList folders{RecoveryFolder()};
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    folders += (cache.startsWith('/') ? QFile::decodeName(cache) : QDir::homePath() + QStringLiteral("/.cache")) +
               QStringLiteral("/zelm/recovery");
    if (const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"); runtime.startsWith('/'))
        folders += QFile::decodeName(runtime) + QStringLiteral("/zelm");
    folders += QDir::tempPath() + QStringLiteral("/zelm-recovery-%1").arg(::getuid());
    return folders;
}

QString OwnRecoveryFile(const QString& folder) { return folder + QLatin1Char('/') + Prefix + RunId() + QStringLiteral(".txt"); }

bool HoldRecoveryLock(const QString& folder, QString& error) {
    static std::mutex guard; // recovery is written on a worker thread too
    const std::lock_guard<std::mutex> lock_(guard);
    static QHash<QString, int> held;
    if (held.contains(folder)) return true;
    // A folder private to the user: made 0700 and refused when someone else owns it (a shared
    // temporary folder).
    const QByteArray path = QFile::encodeName(folder);
    if (!QDir().mkpath(folder)) {
        const int code = ::mkdir(path.constData(), 0700) == 0 ? 0 : errno;
        error = QString::fromLocal8Bit(std::strerror(code == EEXIST ? ENOTDIR : code ? code : EACCES));
        return false;
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        error = QString::fromLocal8Bit(std::strerror(EPERM));
        return false;
    }
    ::chmod(path.constData(), 0700);
    const QByteArray lock = QFile::encodeName(LockOf(OwnRecoveryFile(folder)));
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            if (fd >= 0) ::close(fd);
            return false;
        }
        // Another editor may have removed the lock file as unused just before it was locked.
        struct stat mine {}, named {};
        if (::fstat(fd, &mine) == 0 && ::stat(lock.constData(), &named) == 0 && mine.st_ino == named.st_ino) {
            held.insert(folder, fd); // held until the process ends
            return true;
        }
        ::close(fd);
    }
    error = QString::fromLocal8Bit(std::strerror(EAGAIN));
    return false;
}

void RemoveRecoveryFile(const QString& file) {
    QFile::remove(file);
    if (QFileInfo(file).fileName() != QFileInfo(OwnRecoveryFile()).fileName()) QFile::remove(LockOf(file));
}

bool WriteRecovery(const QString& file, const TRecoveredText& text, QString& error) {
    // The text in UTF-8 with its own line ends; the document's file settings in a header.
    TDocument body = text.Document;
    body.Encoding = TDocEncoding::deUtf8;
    body.ByteOrderMark = false;
    body.FinalLineEnd = false;
    const TDocument& d = text.Document;
    const TFileStamp& s = text.Stamp;
    QByteArray bytes = Magic;
    bytes += "name " + NativePath(text.FileName).toPercentEncoding() + "\n"; // the name's own bytes
    bytes += QByteArray("encoding ") + EncodingName(d.Encoding) + "\n";
    bytes += "settings " + QByteArray::number(int(d.ByteOrderMark)) + " " + QByteArray::number(int(d.LineEnd)) + " " +
             QByteArray::number(int(d.FinalLineEnd)) + " " + QByteArray::number(int(d.EncodingFree)) + " " +
             QByteArray::number(int(text.Lossy)) + "\n";
    bytes += "stamp " + QByteArray::number(int(s.Exists)) + " " + QByteArray::number(qulonglong(s.Device)) + " " +
             QByteArray::number(qulonglong(s.Inode)) + " " + QByteArray::number(qlonglong(s.Size)) + " " +
             QByteArray::number(qlonglong(s.ModifiedNs)) + "\n";
    bytes += "written " + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + "\n\n";
    bytes += (text.Lines.empty() ? EncodeDocument(body) : EncodeLines(body, text.Lines)).value_or(QByteArray());
    std::string reason;
    if (WriteFileSafely(QFile::encodeName(file).toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())),
                        reason))
        return true;
    error = QString::fromLocal8Bit(reason.c_str());
    return false;
}

TRecoveryWrite WriteRecoveryAnywhere(const TRecoveredText& text) {
    TRecoveryWrite result;
    for (const QString& folder : RecoveryFolders()) {
        const QString file = OwnRecoveryFile(folder);
        QString error;
        if (HoldRecoveryLock(folder, error) && WriteRecovery(file, text, error)) {
            result.File = file;
            break;
        }
        result.Reasons += QStringLiteral("%1: %2").arg(folder, error);
    }
    return result;
}

std::optional<TRecoveredText> ReadRecovery(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = in.readAll();
    const qsizetype bodyAt = bytes.indexOf("\n\n");
    if (!bytes.startsWith(Magic) || bodyAt < 0) return std::nullopt;
    TRecoveredText text;
    text.Document = DecodeDocument(bytes.mid(bodyAt + 2), TOpenEncoding::oeUtf8);
    TDocument& d = text.Document;
    for (const QByteArray& line : bytes.left(bodyAt).split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f[0] == "name" && f.size() == 2) text.FileName = PathFromNative(QByteArray::fromPercentEncoding(f[1]));
        else if (f[0] == "encoding" && f.size() == 2) {
            for (const TDocEncoding e : {TDocEncoding::deCp1251, TDocEncoding::deUtf8, TDocEncoding::deUtf16LE,
                                         TDocEncoding::deUtf16BE})
                if (f[1] == EncodingName(e)) d.Encoding = e;
        } else if (f[0] == "settings" && f.size() == 6) {
            d.ByteOrderMark = f[1] == "1";
            d.LineEnd = TLineEnd(std::clamp(f[2].toInt(), 0, int(TLineEnd::leCr)));
            d.FinalLineEnd = f[3] == "1";
            d.EncodingFree = f[4] == "1";
            text.Lossy = f[5] == "1";
        } else if (f[0] == "stamp" && f.size() == 6) {
            text.Stamp.Exists = f[1] == "1";
            text.Stamp.Device = dev_t(f[2].toULongLong());
            text.Stamp.Inode = ino_t(f[3].toULongLong());
            text.Stamp.Size = off_t(f[4].toLongLong());
            text.Stamp.ModifiedNs = f[5].toLongLong();
        } else if (f[0] == "written" && f.size() == 2) {
            text.Written = QDateTime::fromString(QString::fromLatin1(f[1]), Qt::ISODate);
        }
    }
    if (text.FileName.isEmpty()) return std::nullopt;
    d.UndecodableLine = 0;
    d.Binary = false;
    return text;
}

QStringList OrphanedRecoveries() {
    QFileInfoList files;
    for (const QString& folder : RecoveryFolders()) {
        const QDir dir(folder);
        files += dir.entryInfoList({Prefix + QStringLiteral("*.txt")}, QDir::Files);
        // Locks no file needs any more: runs that ended with nothing unsaved.
        for (const QFileInfo& lock : dir.entryInfoList({Prefix + QStringLiteral("*.lock")}, QDir::Files))
            if (!QFileInfo::exists(lock.absoluteFilePath().chopped(5) + QStringLiteral(".txt")) &&
                lock.fileName() != QFileInfo(LockOf(OwnRecoveryFile())).fileName()) {
                const int fd = ::open(QFile::encodeName(lock.absoluteFilePath()).constData(), O_RDONLY | O_CLOEXEC);
                if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) QFile::remove(lock.absoluteFilePath());
                if (fd >= 0) ::close(fd);
            }
    }
    std::sort(files.begin(), files.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() > b.lastModified(); });
    QStringList found;
    for (const QFileInfo& file : files) {
        const QString id = file.completeBaseName().mid(Prefix.size());
        if (id == RunId()) continue;
        const int fd = ::open(QFile::encodeName(LockOf(file.absoluteFilePath())).constData(), O_RDONLY | O_CLOEXEC);
        bool orphan = false;
        if (fd >= 0) {
            orphan = ::flock(fd, LOCK_SH | LOCK_NB) == 0; // a running editor holds its lock
            ::close(fd);
        } else {
            bool numeric = false;
            const qint64 pid = id.toLongLong(&numeric);
            orphan = !numeric || !Running(pid); // a file of an earlier version, named by its pid
        }
        if (orphan) found += file.absoluteFilePath();
    }
    return found;
}

void OnTerminationSignal(std::function<void()> handler) {
    if (SignalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, SignalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler] {
        char bytes[16];
        while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        handler();
    });
    struct sigaction action {};
    action.sa_handler = SignalArrived;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace zelm
