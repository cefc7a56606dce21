#include "ReportGeneratorFixture.h"
#include "ReportOutline.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomRead.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

// The property report keeps its own index of the elements it made and takes shortcuts when
// rows arrive sorted. Whatever the order of the rows, the body must be the one the plain rule
// gives: a table goes below the first element of its name in document order, its rows are the
// RowIndex children with that ID, and a name the document rejects skips its row.
namespace {

using Answer = ScriptedReportPeers::DatabaseAnswer;

struct Cell {
    QString device, name, column, rowIndex, value;
};

DBSRow rowOf(const Cell& cell) {
    return {{"R_DeviceID", cell.device},
            {"PropName", cell.name},
            {"PropColumnName", cell.column},
            {"RowIndex", cell.rowIndex},
            {"Value", cell.value}};
}

// The report script's final SELECT finds the cells; every other statement finds nothing.
ScriptedReportPeers::DatabaseScript answering(const QList<Cell>& cells) {
    QList<DBSRow> rows;
    for (const Cell& cell : cells)
        rows.append(rowOf(cell));
    return [rows](const QStringList& queries) {
        Answer answer;
        for (const QString& query : queries) {
            DBSResultSet set = ScriptedReportPeers::statement();
            if (query.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)) {
                set.lastRowId = -1;
                set.rows = rows;
            }
            answer.sets.append(set);
        }
        return answer;
    };
}

// The rule written out with DOM searches for every row; counts the rejected names.
class ReferenceBody {
public:
    ReferenceBody() : m_document(dom::Document::create(QStringLiteral("Body"))) {}

    QString build(const QStringList& devices, const QList<Cell>& cells) {
        for (const QString& id : devices) {
            dom::Element* device = dom::appendElement(m_document.root(), QStringLiteral("Device"));
            dom::setAttribute(device, QStringLiteral("ID"), id);
            for (const Cell& cell : cells)
                if (cell.device == id && cell.column == QLatin1String("Value"))
                    append(device, cell.name, cell.value);
            for (const Cell& cell : cells)
                if (cell.device == id && cell.column != QLatin1String("Value"))
                    addTableCell(device, cell);
        }
        return outline(m_document.root());
    }
    int rejected() const { return m_rejected; }

private:
    void addTableCell(dom::Element* device, const Cell& cell) {
        dom::Element* property = dom::firstDescendant(device, cell.name);
        if (!property)
            property = append(device, cell.name, {});
        if (!property)
            return;
        dom::Element* index = nullptr;
        dom::forEachChild(
            property,
            [&](dom::Element* child) {
                bool hasId = false;
                if (!index &&
                    dom::attribute(child, QStringLiteral("ID"), &hasId) == cell.rowIndex && hasId)
                    index = child;
            },
            QStringLiteral("RowIndex"));
        if (!index) {
            index = dom::appendElement(property, QStringLiteral("RowIndex"));
            dom::setAttribute(index, QStringLiteral("ID"), cell.rowIndex);
        }
        append(index, cell.column, cell.value);
    }

    dom::Element* append(dom::Element* parent, const QString& name, const QString& text) {
        try {
            return text.isEmpty() ? dom::appendElement(parent, name)
                                  : dom::appendTextElement(parent, name, text);
        } catch (const dom::BuildError&) {
            ++m_rejected;
            return nullptr;
        }
    }

    dom::Document m_document;
    int m_rejected = 0;
};

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class DevicePropertyOrderTest : public ReportGeneratorTest {
protected:
    // Runs the property report on `cells` for devices 1 and 2 and compares it with the rule.
    void expectTheRule(const QList<Cell>& cells) {
        ReferenceBody reference;
        const QString expected = reference.build({"1", "2"}, cells);
        peers.onDatabase(answering(cells));
        testing::internal::CaptureStderr();
        const int id = start(reportDefinition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}},
                                              {{"1", "2"}, {}, {}, {}, {}}));
        const QString built = body(id);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(built, expected);
        EXPECT_EQ(occurrences(errors, "DOMException code is:  5\n"), reference.rejected());
    }
};

TEST_F(DevicePropertyOrderTest, ShuffledRowsGiveTheBodyOfThePlainRule) {
    // Few names, shared between properties, columns and the RowIndex element itself, so that
    // tables land below cells and deeper tables come before earlier ones in document order.
    const QStringList properties{"Alpha", "Beta", "Level", "RowIndex", "1bad"};
    const QStringList columns{"Value", "Level", "Alpha", "RowIndex", "Color", "bad name"};
    const QStringList rowIndexes{"1", "2", "3", ""};
    const QStringList values{"v", "", QString::fromUtf8("Größe"), QStringLiteral("<&>")};
    for (quint32 seed = 1; seed <= 25; ++seed) {
        QRandomGenerator random(seed);
        const auto pick = [&](const QStringList& from) {
            return from.at(random.bounded(int(from.size())));
        };
        QList<Cell> cells;
        for (int i = 0; i < 40; ++i)
            cells.append({random.bounded(2) ? "1" : "2", pick(properties), pick(columns),
                          pick(rowIndexes), pick(values)});
        SCOPED_TRACE(seed);
        expectTheRule(cells);
    }
}

TEST_F(DevicePropertyOrderTest, SortedTablesWithRepeatsAndSharedNamesFollowTheRule) {
    expectTheRule({
        {"1", "Supplies", "Level", "1", "80"},
        {"1", "Supplies", "Color", "1", ""},
        {"1", "Supplies", "Level", "2", "5"},
        // The same RowIndex again after another one: it gets no second element.
        {"1", "Supplies", "Color", "1", "black"},
        // A property called like a column made before: its table goes below that cell.
        {"1", "Level", "Unit", "1", "%"},
        {"1", "Trays", "Level", "1", "full"},
        // A rejected column name after accepted ones, then an accepted one again.
        {"1", "Trays", "bad name", "1", "x"},
        {"1", "Trays", "Size", "1", "A4"},
        {"1", "Trays", "bad name", "2", "y"},
        {"1", "HostName", "Value", "0", "p1"},
        {"2", "Supplies", "Level", "1", "<&>"},
        {"2", "Supplies", "Level", "1", "again"},
    });
}

} // namespace
