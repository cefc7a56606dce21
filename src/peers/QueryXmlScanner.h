#pragma once

#include "peers/QueryXmlScanSplit.h"

#include <QStringView>
#include <any>

namespace peers::queryxml {

class Collector;

// Reads `text` into `collector` when it is the plain XML this system writes: elements,
// attributes, text, the predefined entities and character references. False when it holds
// anything else (comments, CDATA, processing instructions, a document type, raw control
// characters, non-ASCII names) or an error: the full reader then reads the body instead, and
// reports the error.
// A large body is shared among threads as `split` says, with the same outcome, when
// `textOwner` holds what `text` views: a helper still at work keeps it, so the scan never
// waits for one.
bool scanPlainXml(QStringView text, Collector& collector, const ScanSplit& split = {},
                  std::any textOwner = {});

} // namespace peers::queryxml
