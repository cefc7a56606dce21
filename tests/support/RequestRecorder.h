#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

// Every request a scripted peer received, in arrival order, as the bytes that travelled.
// Safe to use from the peer's threads and the test's at once.
class RequestRecorder {
public:
    struct Call {
        QString command;
        QByteArray body;
    };

    void record(const QString& command, const QByteArray& body);
    void clear();

    std::vector<Call> calls() const;
    QStringList commands() const;
    int count(const QString& command) const;
    // Waits until at least `count` requests of `command` (any command when empty) arrived.
    bool waitForCount(int count, const QString& command = {}, int msecs = 5000) const;

    // The requests of Req's command, each read back into a fresh Req.
    template <class Req> std::vector<std::unique_ptr<Req>> requests() const {
        const QString command = Req().command();
        std::vector<std::unique_ptr<Req>> result;
        for (const Call& call : calls()) {
            if (call.command == command) {
                result.push_back(std::make_unique<Req>());
                result.back()->parse(call.body);
            }
        }
        return result;
    }

private:
    int countLocked(const QString& command) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_recorded;
    std::vector<Call> m_calls;
};
