#pragma once

#include <QStringList>

class PeerCaller;
class VELMReport;

// The files to attach to a finished report's mail, below the installation's html directory:
// the chart image of a chart report, otherwise one exported file per format whose export
// produced one.
QStringList reportAttachments(VELMReport& report, const QStringList& fileFormats,
                              const QString& locale, PeerCaller& caller);
