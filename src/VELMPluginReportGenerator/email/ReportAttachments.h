#pragma once

#include <QStringList>

class PeerCaller;
class VELMReport;

// The files to attach to a finished report's mail, below the installation's html directory:
// the chart image of a chart report, otherwise one exported file per format whose export was
// stored by the web service. An upload that failed leaves its format out ("err" log); a format
// whose file cannot hold the report (unknown, a locale that is not a plain name, a missing
// stylesheet) is attached as exported and the "err" log says why.
QStringList reportAttachments(VELMReport& report, const QStringList& fileFormats,
                              const QString& locale, PeerCaller& caller);
