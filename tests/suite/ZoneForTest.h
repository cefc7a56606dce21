#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <ctime>

// Local time of this process in `zone` while it lives.
class ZoneForTest {
public:
    explicit ZoneForTest(const char* zone) : m_saved(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneForTest() {
        if (m_saved.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_saved);
        tzset();
    }

private:
    QByteArray m_saved;
};
