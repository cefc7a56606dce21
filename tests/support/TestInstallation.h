#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// An installation directory for tests of what reads it (export, e-mail): its own "Path" value in a
// system-scope settings file and stylesheets written by the test. The settings directory
// (XDG_CONFIG_DIRS) is set once per process, before the first settings are read, since settings
// cache where they look.
class TestInstallation {
public:
    TestInstallation();

    QString path() const { return m_directory.path(); }
    // Writes <path>/html/<locale>/modules/report/content/reports/<file>.
    void writeStylesheet(const QString& locale, const QString& file, const QByteArray& text);
    // Points "Path" at `path`, or removes the value when `path` is null.
    static void setPathValue(const QString& path);

private:
    QTemporaryDir m_directory;
};

// A text stylesheet that writes `tag`, ':' and every Row of the Body in brackets.
QByteArray taggedRowsStylesheet(const QByteArray& tag);
