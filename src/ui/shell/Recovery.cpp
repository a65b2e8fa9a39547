#include "Recovery.h"

#include "SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
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

bool Running(qint64 pid) {
    if (pid <= 0 || pid == QCoreApplication::applicationPid()) return pid > 0;
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

QString OwnRecoveryFile() {
    return RecoveryFolder() + QLatin1Char('/') + Prefix + QString::number(QCoreApplication::applicationPid()) +
           QStringLiteral(".txt");
}

bool WriteRecovery(const QString& file, const TRecoveredText& text, QString& error) {
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        error = QStringLiteral("Cannot create folder %1").arg(QFileInfo(file).absolutePath());
        return false;
    }
    QFile::setPermissions(QFileInfo(file).absolutePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner);
    // The text in UTF-8 with its own line ends; the document's file settings in a header.
    TDocument body = text.Document;
    body.Encoding = TDocEncoding::deUtf8;
    body.ByteOrderMark = false;
    body.FinalLineEnd = false;
    const TDocument& d = text.Document;
    const TFileStamp& s = text.Stamp;
    QByteArray bytes = Magic;
    bytes += "name " + text.FileName.toUtf8().toPercentEncoding() + "\n";
    bytes += QByteArray("encoding ") + EncodingName(d.Encoding) + "\n";
    bytes += "settings " + QByteArray::number(int(d.ByteOrderMark)) + " " + QByteArray::number(int(d.LineEnd)) + " " +
             QByteArray::number(int(d.FinalLineEnd)) + " " + QByteArray::number(int(d.EncodingFree)) + " " +
             QByteArray::number(int(text.Lossy)) + "\n";
    bytes += "stamp " + QByteArray::number(int(s.Exists)) + " " + QByteArray::number(qulonglong(s.Device)) + " " +
             QByteArray::number(qulonglong(s.Inode)) + " " + QByteArray::number(qlonglong(s.Size)) + " " +
             QByteArray::number(qlonglong(s.ModifiedNs)) + "\n";
    bytes += "written " + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + "\n\n";
    bytes += EncodeDocument(body).value_or(QByteArray());
    return WriteDocumentFile(file, bytes, error);
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
        if (f[0] == "name" && f.size() == 2) text.FileName = QString::fromUtf8(QByteArray::fromPercentEncoding(f[1]));
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
    QStringList found;
    const QFileInfoList files = QDir(RecoveryFolder())
                                    .entryInfoList({Prefix + QStringLiteral("*.txt")}, QDir::Files, QDir::Time);
    for (const QFileInfo& file : files) {
        const qint64 pid = file.completeBaseName().mid(Prefix.size()).toLongLong();
        if (!Running(pid)) found += file.absoluteFilePath();
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
