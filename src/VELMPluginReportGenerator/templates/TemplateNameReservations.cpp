#include "VELMPluginReportGenerator/templates/TemplateNameReservations.h"

TemplateNameReservations::Hold TemplateNameReservations::reserve(const QString& name) {
    QString key = keyOf(name);
    std::unique_lock lock(m_mutex);
    m_released.wait(lock, [&] { return !m_held.contains(key); });
    m_held.insert(key);
    return Hold(*this, std::move(key));
}

void TemplateNameReservations::release(const QString& key) {
    {
        std::lock_guard lock(m_mutex);
        m_held.erase(key);
    }
    m_released.notify_all();
}
