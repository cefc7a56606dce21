#include "UploadStore.h"

#include <QDir>
#include <QSaveFile>
#include <QUuid>

UploadStore::UploadStore(QString root) : m_root(std::move(root)) {}

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
    const QString directory = QStringLiteral("temp/") + QUuid::createUuid().toString(QUuid::Id128);
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
