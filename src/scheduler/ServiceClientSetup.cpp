#include "scheduler/ServiceClientSetup.h"

#include "scheduler/VELMScheduler.h"

#include "VXNServiceFramework/client/ServiceClient.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

ScheduleQueryAnswer ServiceClientScheduleDatabase::run(const QString& statement) {
    CmdDBSProcessQueryRequest request;
    request.addQuery(statement);
    const std::unique_ptr<CmdDBSProcessQueryResponse> response =
        ServiceClient::instance().sendCommand<CmdDBSProcessQueryResponse>(request, true);
    ScheduleQueryAnswer answer;
    if (!response) {
        answer.result = 1;
        answer.details = QStringLiteral("No answer from the database service");
        return answer;
    }
    answer.result = response->result();
    answer.details = response->details();
    // An answer without a result set reads as an empty table.
    if (answer.result == 0 && !response->resultSets().isEmpty())
        answer.rows = response->resultSets().first().rows;
    return answer;
}

void ServiceClientCommandSender::send(std::unique_ptr<CSendCommand> command) {
    ServiceClient::instance().sendAsync(std::move(command));
}

SchedulerSetup SchedulerSetup::standard() {
    SchedulerSetup setup;
    setup.database = std::make_shared<ServiceClientScheduleDatabase>();
    setup.sender = std::make_shared<ServiceClientCommandSender>();
    return setup;
}

// Here rather than beside the other constructor, so that code building a scheduler with its
// own setup does not pull in the service client.
VELMScheduler::VELMScheduler() : VELMScheduler(SchedulerSetup::standard()) {}
