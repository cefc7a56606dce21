#pragma once

#include <QByteArray>
#include <QString>

// Keeps uploaded files below the web root: each upload gets a directory of its own under
// "temp/", so the file keeps its own name and no two uploads meet. Safe for concurrent use.
class UploadStore {
public:
    struct Outcome {
        bool ok = false;
        QString path;  // relative to the web root, with '/' separators
        QString error; // why the file was refused or could not be written
    };

    explicit UploadStore(QString root);

    // Refuses names that could leave the upload's directory or are not plain file names.
    static QString checkFileName(const QString& fileName);
    Outcome store(const QString& fileName, const QByteArray& data) const;

    const QString& root() const { return m_root; }

private:
    QString m_root;
};
