#pragma once

#include <QString>

// A script text with numbered placeholders `_%N_`. Each substitution replaces every occurrence
// of its token; a value may bring in further tokens, so callers substitute in the order in
// which tokens can appear. The closing underscore keeps `_%1_` from matching inside `_%11_`.
class SqlTemplate {
public:
    static constexpr int reportIdPlaceholder = 1;
    static constexpr int selectionPlaceholder = 2;

    explicit SqlTemplate(QString text) : m_text(std::move(text)) {}

    SqlTemplate& set(int placeholder, const QString& value);
    SqlTemplate& set(int placeholder, qint64 value);
    // The report id fills `_%1_` keeping the token's underscores, so that every temporary
    // table name of the script ends in `_<id>_` and concurrent reports never share a table.
    SqlTemplate& setReportId(int reportId);

    const QString& text() const { return m_text; }

    static QString token(int placeholder);

private:
    QString m_text;
};

// A sub-template's bare "%1" marker replaced everywhere by `value`.
QString fillBareMarker(QString text, const QString& value);
