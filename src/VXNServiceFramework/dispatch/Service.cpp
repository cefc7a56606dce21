#include "VXNServiceFramework/dispatch/Service.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QMutexLocker>
#include <exception>
#include <thread>

Service::~Service() = default;

void Service::onStart() {}

void Service::addHandler(const QString& command, std::shared_ptr<CommandHandler> handler) {
    QMutexLocker locker(&m_lock);
    m_handlers.insert(command, std::move(handler));
}

template <class Call> std::unique_ptr<Packet> Service::run(const QString& command, Call&& call) {
    std::shared_ptr<CommandHandler> handler;
    {
        QMutexLocker locker(&m_lock);
        if (m_paused)
            return std::make_unique<ResponsePacket>(ResultCode::ServicePaused,
                                                    ResultText::servicePaused);
        const auto it = m_handlers.constFind(command);
        if (it == m_handlers.cend())
            return std::make_unique<ResponsePacket>(ResultCode::UnknownCommand,
                                                    ResultText::cantHandlePrefix + command);
        handler = it.value(); // keeps the handler alive while it runs
        ++m_active;
    }
    std::unique_ptr<Packet> response;
    try {
        response = call(*handler);
    } catch (const WrongPacketFormat& e) {
        response = std::make_unique<ResponsePacket>(ResultCode::WrongRequestFormat,
                                                    ResultText::wrongRequestPrefix + e.message());
    } catch (const std::exception& e) {
        // The caller only learns that something went wrong; the log says what.
        VELM_ERR << command << ": the handler raised an exception: " << e.what();
        response = std::make_unique<ResponsePacket>(ResultCode::HandlerException,
                                                    ResultText::handlerException);
    } catch (...) {
        VELM_ERR << command << ": the handler raised an exception";
        response = std::make_unique<ResponsePacket>(ResultCode::HandlerException,
                                                    ResultText::handlerException);
    }
    QMutexLocker locker(&m_lock);
    --m_active;
    handler.reset();
    return response;
}

std::unique_ptr<Packet> Service::dispatch(const QString& command, const QByteArray& body) {
    return run(command, [&](CommandHandler& handler) { return handler.handle(body); });
}

std::unique_ptr<Packet> Service::dispatch(Packet& request) {
    QString command;
    try {
        command = request.command();
    } catch (const WrongPacketFormat& e) {
        // Not a request packet (a response has no command).
        return std::make_unique<ResponsePacket>(ResultCode::WrongRequestFormat,
                                                ResultText::wrongRequestPrefix + e.message());
    }
    return run(command, [&](CommandHandler& handler) { return handler.handle(request); });
}

void Service::pauseAndDrain() {
    QMutexLocker locker(&m_lock);
    m_paused = true;
    while (m_active != 0) {
        const auto interval = m_drainPollInterval;
        locker.unlock();
        std::this_thread::sleep_for(interval);
        locker.relock();
    }
}

bool Service::isPaused() const {
    QMutexLocker locker(&m_lock);
    return m_paused;
}

void Service::setDrainPollInterval(std::chrono::milliseconds interval) {
    QMutexLocker locker(&m_lock);
    m_drainPollInterval = interval;
}

QStringList Service::commands() const {
    QMutexLocker locker(&m_lock);
    return m_handlers.keys();
}
