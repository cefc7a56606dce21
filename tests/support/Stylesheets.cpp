#include "support/Stylesheets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace stylesheets {

namespace {
// Locale-independent parts; each locale's folder links to them.
constexpr auto sharedFolder = "common";
} // namespace

QString sourceDir() {
    return QStringLiteral(VELM_SOURCE_DIR "/stylesheets");
}

QStringList locales() {
    QStringList found = QDir(sourceDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    found.removeAll(QLatin1String(sharedFolder));
    return found;
}

QString installedDir(const QString& webRoot, const QString& locale) {
    return QDir(webRoot).filePath(locale + QStringLiteral("/modules/report/content/reports"));
}

bool install(const QString& webRoot) {
    for (const QString& locale : locales()) {
        const QDir target(installedDir(webRoot, locale));
        if (!target.mkpath(QStringLiteral(".")))
            return false;
        const QDir source(QDir(sourceDir()).filePath(locale));
        for (const QFileInfo& file : source.entryInfoList({QStringLiteral("*.xsl")}, QDir::Files)) {
            const QString copy = target.filePath(file.fileName());
            QFile::remove(copy);
            // Copies what a link points to, so the installed folder stands on its own.
            if (!QFile::copy(file.canonicalFilePath(), copy))
                return false;
        }
    }
    return true;
}

} // namespace stylesheets
