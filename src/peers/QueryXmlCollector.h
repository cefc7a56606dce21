#pragma once

#include "peers/DBSRowShape.h"
#include "peers/QueryXmlReader.h"

#include <QList>
#include <QStringView>
#include <algorithm>

namespace peers::queryxml {

// Turns element events into the parsed answer; shared by the fast scanner and the full reader
// so both read a body the same way.
class Collector {
public:
    explicit Collector(ParsedBody& out) : m_out(out) {}

    void start(QStringView name) {
        ++m_depth;
        if (m_textDepth)
            return;
        if (name == u"Row" && m_rowsDepth) {
            m_inRow = true;
        } else if (name == u"Rows") {
            m_out.resultSets.append(DBSResultSet());
            m_rowsDepth = m_depth;
        } else if (name == u"Result" || name == u"Details") {
            m_isResult = name == u"Result";
            m_textDepth = m_depth;
            m_text.clear();
        }
    }
    // Attributes of the element just started; `name` stays valid until attributesDone(),
    // `value` only during the call.
    void attribute(QStringView name, QStringView value) {
        if (m_inRow) {
            m_rowNames.append(name);
            // Rows repeat many values of the row before (its device, its property): those
            // share that row's text instead of holding a copy each. The shape is still the
            // row before's here, and rows of a set mostly have the same shape.
            const qsizetype column = m_shape.columnOf(m_rowValues.size());
            if (column >= 0 && column < m_previousValues.size() &&
                peers::sameText(m_previousValues.at(column), value))
                m_rowValues.append(m_previousValues.at(column));
            else
                m_rowValues.append(value.toString());
        } else if (name == u"LastRowID" && m_rowsDepth == m_depth && !m_textDepth) {
            bool ok = false;
            const int id = value.toInt(&ok, 10);
            m_out.resultSets.last().lastRowId = ok ? id : -1;
        }
    }
    void attributesDone() {
        if (!m_inRow)
            return;
        if (!m_shape.matches(m_rowNames))
            m_shape.reshape(m_rowNames);
        QList<DBSRow>& rows = m_out.resultSets.last().rows;
        rows.append(m_shape.row(m_rowValues));
        m_previousValues = std::as_const(rows).last().values(); // shared, not copied

        m_rowNames.clear();
        m_rowValues.clear();
        m_inRow = false;
    }
    // A guess of the rows still to come in the open Rows element, to grow its list once.
    void expectRows(qsizetype count) {
        if (m_rowsDepth && !m_out.resultSets.isEmpty())
            m_out.resultSets.last().rows.reserve(m_out.resultSets.last().rows.size() + count);
    }
    // True where a Row element would be a row of the open result set.
    bool collectsRows() const { return m_rowsDepth && !m_textDepth; }
    // Rows read elsewhere, as if their elements had come here.
    void appendRows(QList<DBSRow>&& rows) { m_out.resultSets.last().rows.append(std::move(rows)); }
    void characters(QStringView text) {
        if (m_textDepth)
            m_text.append(text);
    }
    void end() {
        if (m_depth == m_textDepth) {
            m_textDepth = 0;
            ++(m_isResult ? m_results : m_details);
            (m_isResult ? m_resultText : m_out.details) = m_text;
        }
        if (m_depth == m_rowsDepth)
            m_rowsDepth = 0;
        --m_depth;
    }
    void finish() {
        bool ok = false;
        m_out.result = m_results == 1 ? m_resultText.toInt(&ok, 10) : 0;
        if (!ok)
            m_out.result = 0;
        if (m_details != 1)
            m_out.details.clear();
        m_out.ok = true;
    }

private:
    ParsedBody& m_out;
    bool m_inRow = false;
    QList<QStringView> m_rowNames;
    QList<QString> m_rowValues;
    QStringList m_previousValues; // of the row before, in column order
    DBSRowShape m_shape;
    int m_depth = 0;
    int m_rowsDepth = 0; // depth of the open Rows element; 0: none
    int m_textDepth = 0; // depth of the open Result or Details element; 0: none
    bool m_isResult = false;
    int m_results = 0;
    int m_details = 0;
    QString m_text;
    QString m_resultText;
};

} // namespace peers::queryxml
