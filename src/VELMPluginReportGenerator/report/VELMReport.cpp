#include "VELMPluginReportGenerator/report/VELMReport.h"

#include "VELMPluginReportGenerator/builders/BodyBuilder.h"
#include "VELMPluginReportGenerator/builders/InfoBuilder.h"
#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/report/RangeLimit.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/app/Log.h"

#include <algorithm>

namespace {

void logDefinition(const ReportDefinition& definition) {
    for (auto it = definition.parameters.cbegin(); it != definition.parameters.cend(); ++it)
        VELM_INFO << it.key() << ": " << it.value();
}

} // namespace

VELMReport::VELMReport(int id, const ReportDefinition& definition, ReportEnvironment environment)
    : m_id(id), m_environment(std::move(environment)), m_definition(definition) {
    // The definition's lines that follow carry no id of their own.
    VELM_INFO << logContext() << "created from this definition:";
    logDefinition(m_definition);
    m_settings = ReportSettings::read(m_definition, m_environment.clock());
    // A report of no known type ends at once; it asks nobody for its devices.
    if (m_settings.type)
        m_selection = DeviceSelection::resolve(m_definition.selection, m_settings.type,
                                               ReportDatabase(*m_environment.caller, logContext()));
}

VELMReport::~VELMReport() {
    requestStop();
}

void VELMReport::requestStop() {
    std::lock_guard locker(m_pauseLock);
    m_stop.store(true, std::memory_order_release);
    m_pauseCondition.notify_all();
}

void VELMReport::run() {
    touch();
    auto document = std::make_unique<ReportDocument>();
    ReportBuild build{m_id,
                      m_definition,
                      m_settings,
                      m_selection,
                      ReportDatabase(*m_environment.caller, logContext()),
                      *m_environment.caller,
                      m_environment.steps,
                      *document,
                      *this,
                      nullptr,
                      {}};
    buildInfo(build);
    if (!m_settings.type) {
        VELM_ERR << logContext() << "ReportType \""
                 << m_definition.parameter(QStringLiteral("ReportType"))
                 << "\" names no report type";
        fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
    } else if (!m_selection.isSafe()) {
        VELM_ERR << logContext() << m_selection.unsafeReason << "; no query sent";
        fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
    } else if (!m_selection.isResolved()) {
        VELM_ERR << logContext() << m_selection.unresolvedReason << "; no report query sent";
        fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
    } else if (const QString refusal = rangeLimit::refusal(m_settings); !refusal.isEmpty()) {
        VELM_ERR << logContext() << refusal << "; no query sent";
        fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
    } else {
        buildBody(build);
    }
    m_keptBytes.store(document->bytes(), std::memory_order_release);
    logOutcome();
    {
        std::lock_guard locker(m_documentLock);
        m_document = std::move(document);
    }
    m_progress.store(finishedProgress, std::memory_order_release);
}

void VELMReport::logOutcome() {
    const ReportStatus outcome = [this] {
        std::lock_guard locker(m_pauseLock);
        return m_status;
    }();
    const qint64 seconds = m_environment.clock().toSecsSinceEpoch() - m_settings.creationTime;
    if (isStopRequested())
        VELM_INFO << logContext() << "ended after " << seconds << " s: cancelled";
    else
        VELM_INFO << logContext() << "ended after " << seconds << " s: " << outcome.code << " "
                  << outcome.text;
}

int VELMReport::progress() {
    touch();
    return m_progress.load(std::memory_order_acquire);
}

ReportStatus VELMReport::status() {
    touch();
    std::lock_guard locker(m_pauseLock);
    return m_status;
}

int VELMReport::reportType() {
    touch();
    return m_settings.type.value_or(-1);
}

qint64 VELMReport::creationTime() {
    touch();
    return m_settings.creationTime;
}

QString VELMReport::chartPath() {
    touch();
    std::lock_guard locker(m_pauseLock);
    return m_chartPath;
}

QString VELMReport::groupBy() {
    touch();
    return m_definition.parameter(QStringLiteral("GroupBy"));
}

bool VELMReport::isFinished() {
    return progress() >= finishedProgress;
}

void VELMReport::readDocument(const std::function<void(const ReportDocument*)>& read) {
    touch();
    std::lock_guard locker(m_documentLock);
    read(m_document.get());
}

void VELMReport::touch() {
    m_lastAccessMs.store(m_environment.clock().toMSecsSinceEpoch(), std::memory_order_release);
}

QDateTime VELMReport::lastAccess() const {
    const std::optional<qint64> ms = lastAccessMs();
    return ms ? QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC) : QDateTime();
}

std::optional<qint64> VELMReport::lastAccessMs() const {
    const qint64 ms = m_lastAccessMs.load(std::memory_order_acquire);
    return ms == noAccess ? std::nullopt : std::optional<qint64>(ms);
}

bool VELMReport::pause(int msecs) {
    std::unique_lock locker(m_pauseLock);
    m_pauseCondition.wait_for(locker, std::chrono::milliseconds(msecs),
                              [this] { return isStopRequested(); });
    return isStopRequested();
}

void VELMReport::setChartPath(const QString& path) {
    std::lock_guard locker(m_pauseLock);
    m_chartPath = path;
}

void VELMReport::advance(int percent) {
    // Only this report's thread writes the progress.
    set(m_progress.load(std::memory_order_relaxed) + percent);
}

void VELMReport::set(int percent) {
    m_progress.store(std::min(percent, finishedProgress - 1), std::memory_order_release);
}

void VELMReport::fail(int code, const QString& text) {
    std::lock_guard locker(m_pauseLock);
    m_status = {code, text};
}
