#include "NamingTable.h"

void NamingTable::registerService(const QString& url, const QStringList& commands) {
    QWriteLocker lock(&m_lock);
    for (const QString& command : commands)
        m_urls.insert(command, url);
}

QString NamingTable::find(const QString& command) const {
    QReadLocker lock(&m_lock);
    return m_urls.value(command);
}

int NamingTable::size() const {
    QReadLocker lock(&m_lock);
    return int(m_urls.size());
}
