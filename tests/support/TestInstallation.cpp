#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString settingsDirectory() {
    static QTemporaryDir directory;
    static const bool set = [] {
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(directory.path()));
        return QDir(directory.path()).mkpath(QStringLiteral("Kestrane"));
    }();
    EXPECT_TRUE(set);
    return directory.path();
}

void writeFile(const QString& path, const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(text), text.size());
}

} // namespace

TestInstallation::TestInstallation() {
    setPathValue(path());
}

void TestInstallation::setPathValue(const QString& path) {
    const QString conf = settingsDirectory() + QStringLiteral("/Kestrane/Quillex.conf");
    QFile::remove(conf);
    if (!path.isNull())
        writeFile(conf, "[General]\nPath=" + path.toUtf8() + "\n");
}

void TestInstallation::writeStylesheet(const QString& locale, const QString& file,
                                       const QByteArray& text) {
    writeFile(path() + "/html/" + locale + "/modules/report/content/reports/" + file, text);
}

QByteArray taggedRowsStylesheet(const QByteArray& tag) {
    return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
           "<xsl:output method=\"text\" encoding=\"UTF-8\"/>"
           "<xsl:template match=\"/\">" +
           tag +
           ":<xsl:for-each select=\"/VXNResponse/Body//Row\">[<xsl:value-of select=\".\"/>]"
           "</xsl:for-each></xsl:template></xsl:stylesheet>";
}
