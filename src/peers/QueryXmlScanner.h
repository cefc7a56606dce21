#pragma once

#include "peers/QueryXmlScanSplit.h"

#include <QStringView>

namespace peers::queryxml {

class Collector;

// Reads `text` into `collector` when it is the plain XML this system writes: elements,
// attributes, text, the predefined entities and character references. False when it holds
// anything else (comments, CDATA, processing instructions, a document type, raw control
// characters, non-ASCII names) or an error: the full reader then reads the body instead, and
// reports the error.
// A large body is shared among threads as `split` says, with the same outcome.
bool scanPlainXml(QStringView text, Collector& collector, const ScanSplit& split = {});

} // namespace peers::queryxml
