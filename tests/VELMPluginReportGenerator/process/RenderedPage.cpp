#include "RenderedPage.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace {

constexpr int browserMsecs = 90000;

// Runs headless Chromium with a profile of its own (so that runs never share one) on `file`.
QByteArray runBrowser(const QStringList& arguments, const QString& file) {
    QTemporaryDir profile;
    QProcess browser;
    browser.setProcessChannelMode(QProcess::SeparateChannels);
    browser.start(QStringLiteral("chromium"),
                  QStringList{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                              QStringLiteral("--disable-gpu"), QStringLiteral("--hide-scrollbars"),
                              QStringLiteral("--user-data-dir=") + profile.path()} +
                      arguments + QStringList{QUrl::fromLocalFile(file).toString()});
    if (!browser.waitForFinished(browserMsecs)) {
        browser.kill();
        browser.waitForFinished();
        return {};
    }
    return browser.readAllStandardOutput();
}

QString plainText(QString html) {
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    html.remove(tags);
    html.replace(QStringLiteral("&nbsp;"), QStringLiteral("\u00a0"));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html;
}

QStringList classesOf(const QString& openingTag) {
    static const QRegularExpression classAttribute(QStringLiteral("class=\"([^\"]*)\""));
    return classAttribute.match(openingTag).captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Matches of <tag ...>content</tag> in `html`: captured(1) the attributes, captured(2) the content.
QList<QRegularExpressionMatch> elements(const QString& html, const QString& tag) {
    const QRegularExpression pattern(QStringLiteral("<(?:%1)(\\s[^>]*)?>(.*?)</(?:%1)>").arg(tag),
                                     QRegularExpression::DotMatchesEverythingOption);
    QList<QRegularExpressionMatch> found;
    for (auto it = pattern.globalMatch(html); it.hasNext();)
        found.append(it.next());
    return found;
}

QList<RenderedPage::Row> rowsOf(const QString& html) {
    QList<RenderedPage::Row> rows;
    for (const auto& row : elements(html, QStringLiteral("tr"))) {
        RenderedPage::Row cells;
        for (const auto& cell : elements(row.captured(2), QStringLiteral("td|th")))
            cells.append({plainText(cell.captured(2)), classesOf(cell.captured(1))});
        rows.append(cells);
    }
    return rows;
}

QString sectionOf(const QString& table, const QString& tag) {
    const auto found = elements(table, tag);
    return found.isEmpty() ? QString() : found.first().captured(2);
}

} // namespace

RenderedPage RenderedPage::open(const QString& file) {
    RenderedPage page;
    page.m_dom = QString::fromUtf8(runBrowser({QStringLiteral("--dump-dom")}, file));
    return page;
}

bool RenderedPage::screenshot(const QString& file, const QString& png) {
    QFile::remove(png);
    runBrowser({QStringLiteral("--screenshot=") + png, QStringLiteral("--window-size=1200,1600")},
               file);
    return QFileInfo(png).size() > 0;
}

QStringList RenderedPage::texts(const QString& tag) const {
    QStringList found;
    for (const auto& element : elements(m_dom, tag))
        found.append(plainText(element.captured(2)).trimmed());
    return found;
}

QStringList RenderedPage::attributes(const QString& tag, const QString& attribute) const {
    const QRegularExpression opening(QStringLiteral("<%1\\s[^>]*>").arg(tag));
    const QRegularExpression value(QStringLiteral("\\s%1=\"([^\"]*)\"").arg(attribute));
    QStringList found;
    for (auto it = opening.globalMatch(m_dom); it.hasNext();)
        found.append(plainText(value.match(it.next().captured(0)).captured(1)));
    return found;
}

QList<RenderedPage::Table> RenderedPage::tables() const {
    QList<Table> found;
    for (const auto& table : elements(m_dom, QStringLiteral("table"))) {
        const QString html = table.captured(2);
        found.append({classesOf(table.captured(1)),
                      rowsOf(sectionOf(html, QStringLiteral("thead"))),
                      rowsOf(sectionOf(html, QStringLiteral("tbody"))),
                      rowsOf(sectionOf(html, QStringLiteral("tfoot")))});
    }
    return found;
}

QStringList cellTexts(const RenderedPage::Row& row) {
    QStringList texts;
    for (const RenderedPage::Cell& cell : row)
        texts.append(cell.text);
    return texts;
}
