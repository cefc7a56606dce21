#pragma once

#include "peers/CmdDBSProcessQueryResponse.h"
#include "peers/QueryXmlScanSplit.h"

#include <QByteArray>
#include <QString>

// Reading the DBSProcessQuery answer as a stream of XML text, the counterpart of
// QueryXmlWriter: a fast scanner for the plain XML this system writes, the general XML reader
// for anything else.
namespace peers::queryxml {

struct ParsedBody {
    bool ok = false;
    QString error; // the reader's message when not ok
    int result = 0;
    QString details;
    QList<DBSResultSet> resultSets;
    bool operator==(const ParsedBody&) const = default;
};

// Reads a response body (UTF-16 with or without declaration, or UTF-8) the way the DOM reader
// does: Result and Details are the texts of the only element of that name (empty when absent
// or repeated; a Result that is not a number reads as 0); every Rows element, in document
// order, with every Row inside it.
ParsedBody parseBody(const QByteArray& body);
// The same with the general XML reader only (no fast scanner); the reference for tests.
ParsedBody parseBodyFully(const QByteArray& body);
ParsedBody parseBody(const QByteArray& body, bool fast);
// With the fast scanner sharing a large body among threads as `split` says.
ParsedBody parseBody(const QByteArray& body, const ScanSplit& split);

} // namespace peers::queryxml
