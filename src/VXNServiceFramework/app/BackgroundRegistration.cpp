#include "VXNServiceFramework/app/BackgroundRegistration.h"

#include "VXNServiceFramework/app/Log.h"

BackgroundRegistration::BackgroundRegistration(const QUrl& namingService, const QUrl& ownUrl,
                                               const QStringList& commands,
                                               std::function<void(bool)> finished) {
    m_client.setNamingServiceUrl(namingService);
    m_thread = std::thread([this, ownUrl, commands, finished = std::move(finished)] {
        const bool registered = m_client.registerService(ownUrl, commands);
        if (m_cancelled.load(std::memory_order_acquire)) {
            VELM_INFO << "Registration abandoned: the service is stopping";
            return;
        }
        if (finished)
            finished(registered);
    });
}

BackgroundRegistration::~BackgroundRegistration() {
    cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundRegistration::cancel() {
    m_cancelled.store(true, std::memory_order_release);
    m_client.shutdown();
}
