#pragma once

#include <QStringList>

class PeerCaller;
class VELMReport;

// The files to attach to a finished report's mail, below the installation's html directory:
// the chart image of a chart report, otherwise one exported file per format whose export holds
// the report. A format that makes no such file (unknown, a locale that is not a plain name, a
// stylesheet that is missing, an upload that failed) is left out and the "err" log says why.
QStringList reportAttachments(VELMReport& report, const QStringList& fileFormats,
                              const QString& locale, PeerCaller& caller);
