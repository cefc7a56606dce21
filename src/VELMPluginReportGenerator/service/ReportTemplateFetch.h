#pragma once

#include "VELMPluginReportGenerator/report/ReportDefinition.h"

#include <optional>

class PeerCaller;

// The report definition of a stored template: asks "RGPGetReportTemplate" for the template and
// cuts the Report part out of its answer. Nothing when the id is not an unsigned decimal
// number, the template cannot be fetched, or its answer holds no Report part.
std::optional<ReportDefinition> fetchTemplateDefinition(PeerCaller& caller,
                                                        const QString& templateId);

// The request text that carries the Report part of a template answer; empty when the answer
// has no Report part longer than 10 characters.
QString reportRequestFromTemplate(const QString& templateAnswer);
