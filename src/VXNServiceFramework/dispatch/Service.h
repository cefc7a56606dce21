#pragma once

#include "VXNServiceFramework/dispatch/CommandHandler.h"
#include "VXNServiceFramework/dispatch/HandlerTmpl.h"

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

class Packet;

// A named set of command handlers. A derived service registers one handler per command in its
// constructor (addHandler); the table does not change afterwards. Dispatch runs handlers
// concurrently and without the lock; every failure becomes a ResponsePacket with a result code.
class Service {
public:
    static constexpr std::chrono::milliseconds defaultDrainPollInterval{1000};

    Service() = default;
    virtual ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Called each time the application starts the service.
    virtual void onStart();

    // A request body from the HTTP transport for `command`.
    std::unique_ptr<Packet> dispatch(const QString& command, const QByteArray& body);
    // A request packet from a caller in the process; the command is request.command().
    std::unique_ptr<Packet> dispatch(Packet& request);

    // Stops taking requests (they answer 5 "Service paused") and returns once no handler runs,
    // checking every drain poll interval. Pausing is final.
    void pauseAndDrain();
    bool isPaused() const;

    // The registered command names, in name order (the application's command map reads them).
    QStringList commands() const;

    // How often pauseAndDrain() looks at the running handlers (1000 ms unless changed).
    void setDrainPollInterval(std::chrono::milliseconds interval);

protected:
    // Registers `method` of the service `self` (normally `this`) for `command`; a second
    // registration of the same name replaces the first. Constructors only.
    template <class S, class Req, class Resp>
    void addHandler(const QString& command, S* self, std::unique_ptr<Resp> (S::*method)(Req&)) {
        addHandler(command, std::make_shared<HandlerTmpl<S, Req, Resp>>(self, method));
    }
    void addHandler(const QString& command, std::shared_ptr<CommandHandler> handler);

private:
    template <class Call> std::unique_ptr<Packet> run(const QString& command, Call&& call);

    mutable QMutex m_lock; // guards everything below
    QMap<QString, std::shared_ptr<CommandHandler>> m_handlers;
    int m_active = 0;
    bool m_paused = false;
    std::chrono::milliseconds m_drainPollInterval = defaultDrainPollInterval;
};
