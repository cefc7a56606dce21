#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <set>
#include <utility>

// Names that an add or a set is checking and registering right now. Checking a name and storing
// the template are two scheduler requests; holding the name across both keeps a second request
// for the same name (in any case) from passing the check before the first has stored it. No lock
// is held while the scheduler is asked: a request for a name in use waits on a condition until
// the holder lets go, and requests for other names go ahead.
class TemplateNameReservations {
public:
    class Hold {
    public:
        Hold(TemplateNameReservations& owner, QString key)
            : m_owner(&owner), m_key(std::move(key)) {}
        ~Hold() {
            if (m_owner)
                m_owner->release(m_key);
        }
        Hold(Hold&& other) noexcept
            : m_owner(std::exchange(other.m_owner, nullptr)), m_key(std::move(other.m_key)) {}
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Hold& operator=(Hold&&) = delete;

    private:
        TemplateNameReservations* m_owner;
        QString m_key;
    };

    // Waits until no other request holds `name`, then holds it until the Hold ends.
    [[nodiscard]] Hold reserve(const QString& name);

    // Names compare as their lower-case forms.
    static QString keyOf(const QString& name) { return name.toLower(); }

private:
    void release(const QString& key);

    std::mutex m_mutex;
    std::condition_variable m_released;
    std::set<QString> m_held; // under m_mutex
};
