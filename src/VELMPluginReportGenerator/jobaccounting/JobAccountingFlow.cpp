#include "VELMPluginReportGenerator/jobaccounting/JobAccountingFlow.h"

#include "VELMPluginReportGenerator/jobaccounting/JACCreateRequest.h"
#include "VELMPluginReportGenerator/jobaccounting/JACReportDom.h"
#include "VELMPluginReportGenerator/jobaccounting/JACTexts.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

constexpr int createdProgress = 10;
constexpr int doneProgress = 100;

JACReportInputs inputsOf(const ReportBuild& build) {
    return {reportRegistry::reportTypeName(build.settings.type.value_or(-1)),
            build.settings.rangeStart,
            build.settings.rangeEnd,
            build.definition.parameter(QStringLiteral("GroupBy")),
            build.definition.parameter(QStringLiteral("SortBy")),
            build.selection.deviceIds,
            build.selection.userIds,
            build.selection.userGroupIds};
}

void endWith(ReportBuild& build, const QString& text) {
    build.progress.set(doneProgress);
    build.progress.fail(ReportResult::GenerationFailed, text);
}

void callFailed(ReportBuild& build, const QString& logText, const QString& details) {
    VELM_ERR << logText << details;
    endWith(build, details);
}

template <class Request> Request forReport(int handle) {
    Request request;
    request.JACReportID = handle;
    return request;
}

// A flow that ends before it fetched the plug-in's result still lets the plug-in drop it: kept,
// it would hold the plug-in's memory and one of its report places for an hour. Not waited for,
// so that a cancel or a plug-in that stopped answering does not hold the report up.
class PluginResultRelease {
public:
    PluginResultRelease(PeerCaller& caller, int handle) : m_caller(caller), m_handle(handle) {}
    PluginResultRelease(const PluginResultRelease&) = delete;
    PluginResultRelease& operator=(const PluginResultRelease&) = delete;
    ~PluginResultRelease() {
        if (m_fetched)
            return;
        auto request = std::make_unique<RGPDeleteJACReportResultRequest>();
        request->JACReportID = m_handle;
        m_caller.callAsync(std::move(request));
    }
    // The flow has the result and deletes it on the plug-in itself.
    void fetched() { m_fetched = true; }

private:
    PeerCaller& m_caller;
    const int m_handle;
    bool m_fetched = false;
};

} // namespace

void JobAccountingFlow::build(ReportBuild& build) {
    VELM_INFO << JACTexts::creatingReport << build.reportId;
    auto create = makeCreateRequest(inputsOf(build));
    const auto created = build.caller.call<RGPCreateJACReportResponse>(create);
    if (created->result() != ResultCode::Ok)
        return callFailed(build, JACTexts::createFailed, created->details());
    const int handle = created->JACReportID;
    PluginResultRelease release(build.caller, handle);
    build.progress.set(createdProgress);

    auto statusRequest = forReport<RGPGetJACReportStatusRequest>(handle);
    auto status = build.caller.call<RGPGetJACReportStatusResponse>(statusRequest);
    bool computed = false;
    // Every answer counts, the first one too: a plug-in that is done at once is not waited for.
    const auto examine = [&] {
        if (status->result() != ResultCode::Ok || !status->Progress)
            return;
        const int progress = *status->Progress;
        if (progress == doneProgress)
            computed = true;
        else if (progress > createdProgress)
            build.progress.set(progress);
    };
    examine();
    while (status->result() == ResultCode::Ok && !computed && !build.progress.isStopRequested()) {
        if (build.progress.pause(m_pollIntervalMs))
            break;
        status = build.caller.call<RGPGetJACReportStatusResponse>(statusRequest);
        examine();
    }
    if (build.progress.isStopRequested())
        return endWith(build, JACTexts::generatorStopped);
    if (status->result() != ResultCode::Ok)
        return callFailed(build, JACTexts::statusFailed, status->details());

    auto resultRequest = forReport<RGPGetJACReportResultRequest>(handle);
    const auto result = build.caller.call<RGPGetJACReportResultResponse>(resultRequest);
    if (build.progress.isStopRequested())
        return endWith(build, JACTexts::generatorStopped);
    if (result->result() != ResultCode::Ok)
        return callFailed(build, JACTexts::resultFailed, result->details());
    release.fetched();
    // The Report element as the answer carried it, built straight into Body.
    if (result->Report)
        appendJACReport(build.body, *result->Report);

    auto deleteRequest = forReport<RGPDeleteJACReportResultRequest>(handle);
    const auto deleted = build.caller.call<RGPDeleteJACReportResultResponse>(deleteRequest);
    if (deleted->result() != ResultCode::Ok)
        VELM_ERR << JACTexts::deleteFailed << deleted->details();
    build.progress.set(doneProgress);
}
