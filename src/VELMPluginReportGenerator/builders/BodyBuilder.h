#pragma once

struct ReportBuild;

// The Body part, built by the builder of the report's type.
void buildBody(ReportBuild& build);
