#pragma once

#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/report/DeviceSelection.h"
#include "VELMPluginReportGenerator/report/ReportDatabase.h"
#include "VELMPluginReportGenerator/report/ReportDefinition.h"
#include "VELMPluginReportGenerator/report/ReportSettings.h"

#include <QString>
#include <memory>
#include <vector>

class PeerCaller;
struct ReportBuild;

// Where builders report how far the report got and what went wrong.
class ReportProgress {
public:
    virtual ~ReportProgress() = default;
    virtual void advance(int percent) = 0;
    // Sets the progress outright (steps that follow a peer's own progress).
    virtual void set(int percent) = 0;
    // Records a failure; a later one replaces it.
    virtual void fail(int code, const QString& text) = 0;
    // Keeps the uploaded chart's path with the report.
    virtual void recordChartPath(const QString& path) { (void)path; }
    // An interruptible pause for steps that wait on a peer: true when the report is being
    // stopped (then the step gives up at once).
    virtual bool pause(int msecs) = 0;
    virtual bool isStopRequested() const = 0;
};

// Draws the chart of a chart report from its query answer and stores it; records its own
// failure.
class ReportChartStep {
public:
    virtual ~ReportChartStep() = default;
    virtual void build(ReportBuild& build, const CmdDBSProcessQueryResponse& answer) = 0;
};

// Builds the body of a job accounting report with the job accounting plug-in.
class JobAccountingStep {
public:
    virtual ~JobAccountingStep() = default;
    virtual void build(ReportBuild& build) = 0;
};

// The collaborators a report may call besides the database. A report type whose step is
// missing fails like a step that cannot do its work.
struct ReportSteps {
    std::shared_ptr<ReportChartStep> chart;
    std::shared_ptr<JobAccountingStep> jobAccounting;
};

// Everything one build of a report document works with.
struct ReportBuild {
    int reportId;
    const ReportDefinition& definition;
    const ReportSettings& settings;
    DeviceSelection& selection; // the IP sort reorders its device ids
    ReportDatabase database;
    PeerCaller& caller;
    const ReportSteps& steps;
    ReportDocument& document;
    ReportProgress& progress;
    ReportDocument::DOMElement* body = nullptr;
    // What the build is done with but need not free before the report counts as finished (a
    // large database answer takes milliseconds to free): freed with the build, after that.
    std::vector<std::shared_ptr<const void>> spent;
    template <class T> void freeWhenFinished(std::unique_ptr<T> part) {
        spent.push_back(std::shared_ptr<const T>(std::move(part)));
    }
};
