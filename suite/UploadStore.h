#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>

// How long uploads are kept.
struct UploadRetention {
    std::chrono::seconds keep = std::chrono::hours(24);
    // How often at most the old uploads are looked for.
    std::chrono::seconds sweepEvery = std::chrono::minutes(10);
};

// Keeps uploaded files below the web root: each upload gets a directory of its own under
// "temp/", so the file keeps its own name and no two uploads meet. Uploads are temporary: those
// older than the retention age are removed while new ones arrive, so that charts and exports of
// a long-running suite do not fill the disk. Safe for concurrent use.
class UploadStore {
public:
    struct Outcome {
        bool ok = false;
        QString path;  // relative to the web root, with '/' separators
        QString error; // why the file was refused or could not be written
    };

    explicit UploadStore(QString root, UploadRetention retention = {});

    // Refuses names that could leave the upload's directory or are not plain file names.
    static QString checkFileName(const QString& fileName);
    Outcome store(const QString& fileName, const QByteArray& data) const;

    const QString& root() const { return m_root; }

private:
    void sweepIfDue() const;
    void removeOldUploads() const;

    QString m_root;
    UploadRetention m_retention;
    // Milliseconds since 1970 of the next sweep; whoever moves it on does the sweep.
    mutable std::atomic<qint64> m_nextSweepMs{0};
};
