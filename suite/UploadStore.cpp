#include "UploadStore.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUuid>

namespace {

const QString uploadsFolder = QStringLiteral("temp");

// The name this store gives an upload's directory; nothing else under "temp/" is touched.
bool isUploadDirectoryName(const QString& name) {
    static const QRegularExpression id(QStringLiteral("^[0-9a-f]{32}$"));
    return id.match(name).hasMatch();
}

} // namespace

UploadStore::UploadStore(QString root, UploadRetention retention)
    : m_root(std::move(root)), m_retention(retention) {}

QString UploadStore::checkFileName(const QString& fileName) {
    if (fileName.isEmpty())
        return QStringLiteral("The upload has no file name");
    if (fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')))
        return QStringLiteral("File name holds a path separator: ") + fileName;
    if (fileName.contains(QStringLiteral("..")))
        return QStringLiteral("File name holds '..': ") + fileName;
    if (fileName == QStringLiteral(".") || fileName.size() > 200)
        return QStringLiteral("Not a plain file name: ") + fileName;
    for (const QChar c : fileName)
        if (c.unicode() < 0x20 || c == QLatin1Char(':'))
            return QStringLiteral("File name holds a control character or ':'");
    return {};
}

UploadStore::Outcome UploadStore::store(const QString& fileName, const QByteArray& data) const {
    Outcome outcome;
    outcome.error = checkFileName(fileName);
    if (!outcome.error.isEmpty())
        return outcome;
    sweepIfDue();
    const QString directory =
        uploadsFolder + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::Id128);
    if (!QDir(m_root).mkpath(directory)) {
        outcome.error = QStringLiteral("Cannot create the directory ") + directory;
        return outcome;
    }
    const QString relative = directory + QLatin1Char('/') + fileName;
    QSaveFile file(QDir(m_root).filePath(relative));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        outcome.error =
            QStringLiteral("Cannot write ") + relative + QStringLiteral(": ") + file.errorString();
        return outcome;
    }
    outcome.ok = true;
    outcome.path = relative;
    return outcome;
}

void UploadStore::sweepIfDue() const {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 due = m_nextSweepMs.load();
    if (now < due)
        return;
    const qint64 next =
        now + std::chrono::duration_cast<std::chrono::milliseconds>(m_retention.sweepEvery).count();
    if (m_nextSweepMs.compare_exchange_strong(due, next))
        removeOldUploads();
}

// An upload's directory is written once, when its file is stored, so its own time is the
// upload's time.
void UploadStore::removeOldUploads() const {
    const QDateTime oldest = QDateTime::currentDateTimeUtc().addSecs(-m_retention.keep.count());
    const QDir uploads(QDir(m_root).filePath(uploadsFolder));
    for (const QFileInfo& entry :
         uploads.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (isUploadDirectoryName(entry.fileName()) && entry.lastModified() < oldest)
            QDir(entry.filePath()).removeRecursively();
    }
}
