#pragma once

#include <QHash>
#include <QReadWriteLock>
#include <QString>
#include <QStringList>

// The naming service's registrations, in memory: command name -> URL of the process serving it.
// A command registered again (by another process or the same one) goes to the later URL.
// Safe for concurrent use.
class NamingTable {
public:
    void registerService(const QString& url, const QStringList& commands);
    // The URL for `command`; empty when no process registered it.
    QString find(const QString& command) const;
    int size() const;

private:
    mutable QReadWriteLock m_lock;
    QHash<QString, QString> m_urls;
};
