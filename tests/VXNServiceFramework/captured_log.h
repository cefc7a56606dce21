#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstring>

// Collects the messages of the "err" and "info" logs while it exists (as "err: text" and
// "info: text"); other messages go where they went before.
class CapturedLog {
public:
    CapturedLog() {
        QMutexLocker lock(&mutex());
        current() = this;
        m_previous = qInstallMessageHandler(&CapturedLog::handle);
    }
    ~CapturedLog() {
        qInstallMessageHandler(m_previous);
        QMutexLocker lock(&mutex());
        current() = nullptr;
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    QStringList lines() const {
        QMutexLocker lock(&mutex());
        return m_lines;
    }
    int count(const QString& line) const { return lines().count(line); }

private:
    static QMutex& mutex() {
        static QMutex m;
        return m;
    }
    static CapturedLog*& current() {
        static CapturedLog* c = nullptr;
        return c;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        QMutexLocker lock(&mutex());
        CapturedLog* self = current();
        if (!self) {
            return;
        }
        const char* category = context.category ? context.category : "";
        if (std::strcmp(category, "err") == 0 || std::strcmp(category, "info") == 0) {
            self->m_lines << QString::fromLatin1(category) + QStringLiteral(": ") + text;
        } else if (self->m_previous) {
            self->m_previous(type, context, text);
        }
    }

    QtMessageHandler m_previous = nullptr;
    QStringList m_lines;
};
