#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <mutex>

class ScriptedPeers;

// The web peer ("WEBUploadTemporaryFile") on a ScriptedPeers: keeps every uploaded file and
// answers the path "temp/<n>/<file name>" (n counting from 1). With storeUnder(dir) it also
// writes the file at dir + "/" + that path, as the web service does below its html directory.
class ScriptedWebUpload {
public:
    struct Upload {
        QString fileName;
        QByteArray data;
        QString path;
    };

    // Result of an upload that could not be stored.
    static constexpr int storeFailed = 1004;

    explicit ScriptedWebUpload(ScriptedPeers& peers);

    void storeUnder(const QString& directory);
    QList<Upload> uploads() const;
    // The data of the upload answered with `path`; empty when there is none.
    QByteArray dataAt(const QString& path) const;

private:
    mutable std::mutex m_mutex;
    QString m_directory;
    QList<Upload> m_uploads;
};
