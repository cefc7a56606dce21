#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A page opened in headless Chromium: the DOM as the browser built it, read back into the
// parts the tests compare (headings, tables, images), and a screenshot on request.
class RenderedPage {
public:
    struct Cell {
        QString text;
        QStringList classes;
    };
    using Row = QList<Cell>;
    struct Table {
        QStringList classes;
        QList<Row> head;
        QList<Row> body;
        QList<Row> foot;
    };

    // Opens `file` (file://) and reads its rendered DOM; empty when the browser failed.
    static RenderedPage open(const QString& file);
    // Renders `file` 1200 pixels wide into `png`; false when the browser wrote nothing.
    static bool screenshot(const QString& file, const QString& png);

    bool isEmpty() const { return m_dom.isEmpty(); }
    const QString& dom() const { return m_dom; }
    // Text of every element of this tag, in page order.
    QStringList texts(const QString& tag) const;
    // Value of this attribute on every element of this tag, in page order.
    QStringList attributes(const QString& tag, const QString& attribute) const;
    QList<Table> tables() const;

private:
    QString m_dom;
};

// The texts of a row's cells.
QStringList cellTexts(const RenderedPage::Row& row);
