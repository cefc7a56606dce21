#pragma once

#include "VXNServiceFramework/client/ServiceClient.h"

#include <QStringList>
#include <QUrl>

#include <atomic>
#include <thread>

// Registers this process's URL and commands with the naming service on a thread of its own,
// with the retries of the service client, so that the main thread's event loop runs meanwhile
// and hears a stop request at once. The outcome is logged; isDone() tells when it is known.
class BackgroundRegistration {
public:
    BackgroundRegistration(const QUrl& namingService, const QUrl& ownUrl,
                           const QStringList& commands);
    // Cancels and waits for the thread.
    ~BackgroundRegistration();

    BackgroundRegistration(const BackgroundRegistration&) = delete;
    BackgroundRegistration& operator=(const BackgroundRegistration&) = delete;

    // Ends the retry pauses and the wait for an answer at once; the registration then counts
    // as failed.
    void cancel();
    bool isDone() const { return m_done.load(std::memory_order_acquire); }

private:
    // A client of its own: cancelling it leaves the process's client to the stop sequence.
    ServiceClient m_client;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
