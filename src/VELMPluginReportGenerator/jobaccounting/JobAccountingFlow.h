#pragma once

#include "VELMPluginReportGenerator/builders/ReportBuild.h"

// The body of a job accounting report, computed by the job accounting plug-in: create the
// report there, poll its progress, copy its Report element into Body and delete it. Runs on the
// report's thread; a stop of the report ends the polling at once.
class JobAccountingFlow final : public JobAccountingStep {
public:
    static constexpr int defaultPollIntervalMs = 500;

    explicit JobAccountingFlow(int pollIntervalMs = defaultPollIntervalMs)
        : m_pollIntervalMs(pollIntervalMs) {}

    void build(ReportBuild& build) override;

private:
    int m_pollIntervalMs;
};
