#pragma once

#include <QString>

// What an export's FileFormat makes. Formats are compared exactly: "html" is not "HTML".
namespace exportFormat {

enum class Maker {
    Stylesheet, // transformed by the stylesheet for the report's type
    Document,   // the export document's own text
    Nothing,    // a format nobody knows: an empty file
};

struct Format {
    Maker maker = Maker::Nothing;
    QString extension; // empty for a format nobody knows
};

Format byName(const QString& fileFormat);

// "Report_" + the creation time (seconds since 1970) in local time as yyyyMMdd_hhmmss + "." +
// extension; with an empty extension the name ends in ".".
QString fileName(qint64 creationTime, const QString& extension);

// <installation>/html/<locale>/modules/report/content/reports/<base>_<extension>.xsl
QString stylesheetPath(const QString& installation, const QString& locale, const QString& baseName,
                       const QString& extension);

} // namespace exportFormat
