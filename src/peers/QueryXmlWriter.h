#pragma once

#include "peers/CmdDBSProcessQueryResponse.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Writing the DBSProcessQuery answer as a stream of XML text. An answer holds thousands of rows;
// built as a DOM it costs several times the query itself, so the response writes its body
// directly, as the same well-formed UTF-16 XML the DOM writer produces.
namespace peers::queryxml {

// Appends `text` escaped for an attribute value (quoted with '"') or for element content, with
// the entities the DOM writer uses ('>' stays as it is inside attribute values).
// Tab, line feed and carriage return in attributes become character references so that they
// survive attribute-value normalisation.
void appendEscaped(QString& out, QStringView text, bool attribute);
// False when `text` holds a character XML 1.0 cannot carry (control characters other than tab,
// line feed and carriage return, unpaired surrogates, U+FFFE, U+FFFF).
bool isXmlText(QStringView text);

// Builds a response body: the declaration, the envelope, then the result sets. Writes into a
// buffer of its own growing geometrically: an answer is hundreds of thousands of small pieces.
class BodyWriter {
public:
    BodyWriter(int result, const QString& details);

    void beginRows();
    // One Row element: begin, one attribute per column, end. `prefix` is ' name="'.
    void beginRow();
    void attribute(QStringView prefix, QStringView value);
    // The value as UTF-8 text; false (nothing written) when it holds a character XML cannot
    // carry.
    bool attribute(QStringView prefix, QByteArrayView utf8);
    void endRow();
    // Closes the current Rows, with LastRowID when it is not -1.
    void endRows(int lastRowId);
    void addResultSet(const DBSResultSet& set);
    // Finishes the document and answers it as UTF-16LE bytes without byte-order mark.
    QByteArray finish();
    // The bytes written so far, as finish() would answer them.
    qsizetype bytes() const { return m_size * qsizetype(sizeof(char16_t)); }

    // ' name="' for a column.
    static QString attributePrefix(const QString& name);

private:
    void reserve(qsizetype more);
    void put(char16_t c) {
        reserve(1);
        m_data[m_size++] = c;
    }
    void put(QStringView text);
    void putLatin1(const char* text);
    void putEscaped(QStringView text, bool attribute);

    QString m_buffer;
    char16_t* m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_rowsStart = -1;
    bool m_rowsHaveChildren = false;
};

} // namespace peers::queryxml
