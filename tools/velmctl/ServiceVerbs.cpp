#include "ServiceVerbs.h"

#include "ExitCodes.h"
#include "Session.h"
#include "VerbArguments.h"

#include "VXNServiceFramework/control/CmdVXNGetVersionResponse.h"
#include "VXNServiceFramework/control/ManagementService.h"
#include "VXNServiceFramework/packets/RequestPacket.h"

namespace ServiceVerbs {

namespace {

const QString Family = QStringLiteral("service");

const QString Help = QStringLiteral(
    R"(velmctl [--url URL] service VERB

  service version
      The version of the process at URL (velm-report or velm-peers).

  service shutdown
      Ends the velm-report process at URL at once: running reports are lost and the
      process does not come back by itself (under systemd: systemctl start VELM_Report_Plugin).
      Any peer that reaches the port may ask this; see docs/operations.md on the listen
      address.

Examples:
  velmctl --url http://127.0.0.1:8480/ service version
  velmctl --url http://127.0.0.1:8480/ service shutdown
)");

int version(Session& session) {
    RequestPacket request(QStringLiteral("VXNGetVersion"));
    const auto answer = session.call<CmdVXNGetVersionResponse>(request);
    if (!session.accepted(*answer))
        return ExitCode::ServiceRefused;
    session.out() << "Version " << answer->version << Qt::endl;
    return ExitCode::Ok;
}

int shutdown(Session& session) {
    MGMTCloseApplicationRequest request;
    if (!session.accepted(*session.call<MGMTCloseApplicationResponse>(request)))
        return ExitCode::ServiceRefused;
    session.out() << "The service at " << session.url().toString() << " is shutting down"
                  << Qt::endl;
    return ExitCode::Ok;
}

int run(Session& session, const QStringList& arguments) {
    const QString verb = arguments.value(0);
    if (arguments.size() != 1) {
        VerbArguments::usageError(Family, QStringLiteral("service takes one verb"));
        return ExitCode::UsageError;
    }
    if (verb == QLatin1String("version"))
        return version(session);
    if (verb == QLatin1String("shutdown"))
        return shutdown(session);
    VerbArguments::usageError(Family,
                              QStringLiteral("unknown verb \"%1\" (version, shutdown)").arg(verb));
    return ExitCode::UsageError;
}

} // namespace

VerbFamily family() {
    return {Family, QStringLiteral("the version of a service process, or its shutdown"), Help,
            &run};
}

} // namespace ServiceVerbs
