#pragma once

#include "support/ChildProcess.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/report/ReportDefinition.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// velm-peers on a database of its own and velm-report that finds it, both started for each
// test; the test fills the database and asks for reports over HTTP.
class ReportProcessesTest : public testing::Test {
protected:
    void SetUp() override;

    // Runs the statements in one DBSProcessQuery and expects success.
    void exec(const QStringList& statements);
    // Generates the report of these parameters and selection, waits for its end and answers its
    // results.
    std::unique_ptr<CmdRGPGetReportResultsResponse>
    generate(const QList<std::pair<QString, QString>>& parameters, ReportSelection selection = {});

    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
};
