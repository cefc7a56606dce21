#include "VXNServiceFramework/app/BackgroundRegistration.h"

#include "VXNServiceFramework/app/Log.h"

BackgroundRegistration::BackgroundRegistration(const QUrl& namingService, const QUrl& ownUrl,
                                               const QStringList& commands) {
    m_client.setNamingServiceUrl(namingService);
    m_thread = std::thread([this, ownUrl, commands] {
        m_client.registerService(ownUrl, commands);
        if (m_cancelled.load(std::memory_order_acquire))
            VELM_INFO << "Registration abandoned: the service is stopping";
        m_done.store(true, std::memory_order_release);
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
