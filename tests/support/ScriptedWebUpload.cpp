#include "support/ScriptedWebUpload.h"

#include "support/ScriptedPeers.h"

#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ScriptedWebUpload::ScriptedWebUpload(ScriptedPeers& peers) {
    peers.answer<CmdWebUploadTemporaryFileRequest>(
        [this](const CmdWebUploadTemporaryFileRequest& request) -> std::unique_ptr<Packet> {
            auto response = std::make_unique<CmdWebUploadTemporaryFileResponse>();
            std::lock_guard<std::mutex> lock(m_mutex);
            const QString path = QStringLiteral("temp/%1/%2")
                                     .arg(m_uploads.size() + 1)
                                     .arg(QFileInfo(request.fileName).fileName());
            if (!m_directory.isEmpty()) {
                const QString target = m_directory + QLatin1Char('/') + path;
                QFile file(target);
                if (!QDir().mkpath(QFileInfo(target).path()) || !file.open(QIODevice::WriteOnly) ||
                    file.write(request.data) != request.data.size()) {
                    response->setResult(storeFailed, QStringLiteral("Cannot store ") + target);
                    return response;
                }
            }
            m_uploads.append({request.fileName, request.data, path});
            response->path = path;
            return response;
        });
}

void ScriptedWebUpload::storeUnder(const QString& directory) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_directory = directory;
}

QList<ScriptedWebUpload::Upload> ScriptedWebUpload::uploads() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_uploads;
}

QByteArray ScriptedWebUpload::dataAt(const QString& path) const {
    for (const Upload& upload : uploads())
        if (upload.path == path)
            return upload.data;
    return {};
}
