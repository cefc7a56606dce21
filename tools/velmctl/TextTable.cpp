#include "TextTable.h"

#include <QRegularExpression>

namespace {

// Bidirectional embeddings, overrides and isolates reorder whatever follows them on the line.
bool reordersText(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Columns a character takes in a terminal: none for combining marks and invisible formatting,
// two for the wide East Asian forms and pictographs, one otherwise.
int columnsOf(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return 0;
    default:
        break;
    }
    static constexpr std::pair<char32_t, char32_t> wide[] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},  {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},  {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},  {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};
    for (const auto& [first, last] : wide)
        if (c >= first && c <= last)
            return 2;
    return 1;
}

qsizetype columnsOf(const QString& text) {
    qsizetype columns = 0;
    for (const char32_t c : text.toUcs4())
        columns += columnsOf(c);
    return columns;
}

struct Column {
    qsizetype width = 0;
    bool numeric = false; // right-aligned, so that digits of one place stand in one column
};

bool isNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[-+]?\\d+(\\.\\d+)?$"));
    return number.match(text.trimmed()).hasMatch();
}

// Numbers only, blanks aside, and at least one of them.
bool holdsNumbers(const QList<QStringList>& rows, qsizetype column) {
    bool any = false;
    for (const QStringList& row : rows) {
        const QString cell = row.value(column).trimmed();
        if (cell.isEmpty())
            continue;
        if (!isNumber(cell))
            return false;
        any = true;
    }
    return any;
}

QString line(const QString& indent, const QStringList& cells, const QList<Column>& columns) {
    QString text = indent;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QString cell = printableLine(cells.value(i));
        const QString padding(columns[i].width - columnsOf(cell), QLatin1Char(' '));
        text += columns[i].numeric ? padding + cell : cell + padding;
        if (i + 1 < columns.size())
            text += QStringLiteral("  ");
    }
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text + QLatin1Char('\n');
}

} // namespace

QString printableLine(const QString& text) {
    QString printable;
    printable.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph || reordersText(c))
            printable += QLatin1Char(' ');
        else
            printable += QChar::fromUcs4(c);
    }
    return printable;
}

void TextTable::addRow(const QList<QPair<QString, QString>>& cells) {
    QStringList row(columns.size());
    for (const auto& [column, text] : cells) {
        qsizetype at = columns.indexOf(column);
        if (at < 0) {
            columns.append(column);
            row.append(QString());
            at = columns.size() - 1;
        }
        row[at] = text;
    }
    rows.append(row);
}

QString TextTable::format(const QString& indent) const {
    QList<Column> layout;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        Column column{columnsOf(printableLine(columns[i])), holdsNumbers(rows, i)};
        for (const QStringList& row : rows)
            column.width = std::max(column.width, columnsOf(printableLine(row.value(i))));
        layout.append(column);
    }
    QStringList rules;
    for (const Column& column : layout)
        rules.append(QString(column.width, QLatin1Char('-')));
    QString text = line(indent, columns, layout) + line(indent, rules, layout);
    for (const QStringList& row : rows)
        text += line(indent, row, layout);
    return text;
}
