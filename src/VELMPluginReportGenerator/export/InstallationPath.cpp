#include "VELMPluginReportGenerator/export/InstallationPath.h"

#include "VXNServiceFramework/app/Log.h"

#include <QSettings>

QString installationPath() {
    const QSettings settings(QSettings::SystemScope, QStringLiteral("Kestrane"),
                             QStringLiteral("Quillex"));
    QString path = settings.value(QStringLiteral("Path")).toString();
    const qsizetype end = path.indexOf(QChar(u'\0'));
    if (end >= 0)
        path.truncate(end);
    if (path.size() > installation::maxPathUnits) {
        VELM_ERR << "The installation path is longer than " << installation::maxPathUnits
                 << " characters; it is not used";
        return {};
    }
    return path;
}
