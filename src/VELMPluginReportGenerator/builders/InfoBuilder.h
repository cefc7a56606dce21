#pragma once

struct ReportBuild;

// The Info part: the definition and the selection in readable form.
void buildInfo(ReportBuild& build);
