#include "VXNServiceFramework/ServiceCommands.h"

#include "VXNServiceFramework/Service.h"

namespace {

// Service offers no accessor for the names of its handler table yet. Until it does (then the
// first branch below takes over by itself), the table is reached through an explicit template
// instantiation, the one place where C++ lets a private member be named.
using HandlerTable = QMap<QString, std::shared_ptr<CommandHandler>>;
HandlerTable Service::*handlerTableMember();

template <HandlerTable Service::*Member> struct HandlerTableAccess {
    friend HandlerTable Service::*handlerTableMember() { return Member; }
};
template struct HandlerTableAccess<&Service::m_handlers>;

template <class S> QStringList commandsOf(const S& service) {
    if constexpr (requires { service.commands(); }) {
        return QStringList(service.commands());
    } else {
        return (service.*handlerTableMember()).keys();
    }
}

} // namespace

QStringList serviceCommands(const Service& service) {
    return commandsOf(service);
}
