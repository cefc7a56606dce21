#pragma once

#include <QString>
#include <QStringList>

// The export stylesheets of this source tree, installed for a test the way scripts/run installs
// them: each locale's files (shared parts followed through their links) in
// <web root>/<locale>/modules/report/content/reports/.
namespace stylesheets {

// stylesheets/ of the source tree.
QString sourceDir();
// The locales that have stylesheets (every folder but the shared one).
QStringList locales();
// The folder below `webRoot` where the export looks for the stylesheets of `locale`.
QString installedDir(const QString& webRoot, const QString& locale);
// Copies every locale's stylesheets below `webRoot`; false when a file could not be copied.
bool install(const QString& webRoot);

} // namespace stylesheets
