#include "SchedulerTestSupport.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QThread>
#include <cstring>
#include <sqlite3.h>

void SqliteScheduleDatabase::Closer::operator()(sqlite3* db) const {
    sqlite3_close(db);
}

SqliteScheduleDatabase::SqliteScheduleDatabase() {
    sqlite3* raw = nullptr;
    sqlite3_open(":memory:", &raw);
    m_db.reset(raw);
    exec(QStringLiteral(
        "CREATE TABLE Scheduler (GlobalID INTEGER PRIMARY KEY AUTOINCREMENT, ServiceName TEXT NOT "
        "NULL, ScheduleID INTEGER NOT NULL, StartTime INTEGER NOT NULL, IntervalType INTEGER NOT "
        "NULL, IntervalValue INTEGER NOT NULL, StopTime INTEGER NOT NULL DEFAULT 0, "
        "CommandToSend TEXT, Tag TEXT);"));
}

SqliteScheduleDatabase::~SqliteScheduleDatabase() = default;

namespace {
int collectRow(void* out, int n, char** values, char** names) {
    SqlRow row;
    for (int i = 0; i < n; ++i)
        row.insert(QString::fromUtf8(names[i]), QString::fromUtf8(values[i] ? values[i] : ""));
    static_cast<QVector<SqlRow>*>(out)->append(row);
    return 0;
}
} // namespace

ScheduleQueryAnswer SqliteScheduleDatabase::run(const QString& statement) {
    std::lock_guard lock(m_mutex);
    ScheduleQueryAnswer answer;
    char* error = nullptr;
    if (sqlite3_exec(m_db.get(), statement.toUtf8().constData(), collectRow, &answer.rows,
                     &error) != SQLITE_OK) {
        answer.result = 1;
        answer.details = QString::fromUtf8(error);
    }
    sqlite3_free(error);
    return answer;
}

std::unique_ptr<CmdDBSProcessQueryResponse>
SqliteScheduleDatabase::answer(const QStringList& queries) {
    auto response = std::make_unique<CmdDBSProcessQueryResponse>();
    for (const QString& sql : queries) {
        const ScheduleQueryAnswer answer = run(sql);
        if (!answer.ok()) {
            response->setResult(answer.result, answer.details);
            break;
        }
        if (holdsRefusedValue(answer.rows)) {
            response->setResult(kRefusedValue,
                                QStringLiteral("the value holds a character XML cannot carry"));
            break;
        }
        DBSResultSet set;
        set.rows = answer.rows;
        response->addResultSet(set);
    }
    return response;
}

void SqliteScheduleDatabase::refuseValuesHolding(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_refused = text;
}

bool SqliteScheduleDatabase::holdsRefusedValue(const QVector<SqlRow>& rows) {
    std::lock_guard lock(m_mutex);
    if (m_refused.isEmpty())
        return false;
    for (const SqlRow& row : rows) {
        for (const QString& value : row.values())
            if (value.contains(m_refused))
                return true;
    }
    return false;
}

bool SqliteScheduleDatabase::exec(const QString& sql) {
    std::lock_guard lock(m_mutex);
    return sqlite3_exec(m_db.get(), sql.toUtf8().constData(), nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

QStringList SqliteScheduleDatabase::rows() {
    std::lock_guard lock(m_mutex);
    QVector<SqlRow> rows;
    sqlite3_exec(m_db.get(),
                 "SELECT ServiceName, ScheduleID, CommandToSend, Tag FROM Scheduler ORDER BY "
                 "GlobalID;",
                 collectRow, &rows, nullptr);
    QStringList out;
    for (const SqlRow& row : rows) {
        out.append(QStringList{
            row.value(QStringLiteral("ServiceName")), row.value(QStringLiteral("ScheduleID")),
            row.value(QStringLiteral("CommandToSend")), row.value(QStringLiteral("Tag"))}
                       .join(QLatin1Char('|')));
    }
    return out;
}

void RecordingSender::record(const CSendCommand& command) {
    std::lock_guard lock(m_mutex);
    m_sent.append({command.command(), command.text(), QDateTime::currentDateTime()});
    m_changed.notify_all();
}

QVector<RecordingSender::Sent> RecordingSender::sent() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

bool RecordingSender::waitForCount(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_sent.size() >= count; });
}

ScriptedSchedulerPeers::ScriptedSchedulerPeers(SqliteScheduleDatabase& table,
                                               RecordingSender& sender)
    : m_sender(sender) {
    m_database.setResponder([&table](const QStringList& queries) { return table.answer(queries); });
}

void ScriptedSchedulerPeers::callAsync(std::unique_ptr<Packet> request) {
    if (const auto* command = dynamic_cast<const CSendCommand*>(request.get()))
        m_sender.record(*command);
    ScriptedPeers::callAsync(std::move(request));
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout.count());
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

namespace {
std::mutex captureMutex;
QStringList captured;
int captures = 0;
std::function<void(const QString&)> lineHook;
QtMessageHandler previousHandler = nullptr;

// The scheduler's logs are kept while a capture lives and dropped otherwise, so the test
// output stays readable.
void captureLine(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (context.category && (std::strcmp(context.category, "info") == 0 ||
                             std::strcmp(context.category, "warning") == 0)) {
        std::function<void(const QString&)> hook;
        {
            std::lock_guard lock(captureMutex);
            if (captures > 0)
                captured.append(text);
            hook = lineHook;
        }
        if (hook)
            hook(text);
        return;
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

const bool installed = [] {
    previousHandler = qInstallMessageHandler(captureLine);
    return true;
}();
} // namespace

LogCapture::LogCapture(std::function<void(const QString&)> onLine) {
    std::lock_guard lock(captureMutex);
    captured.clear();
    ++captures;
    lineHook = std::move(onLine);
}

LogCapture::~LogCapture() {
    std::lock_guard lock(captureMutex);
    --captures;
    lineHook = nullptr;
}

QStringList LogCapture::lines() const {
    // A list of its own, not a shared copy: the logging threads keep appending to `captured`,
    // and a shared buffer would be read here while an append moves it.
    std::lock_guard lock(captureMutex);
    QStringList copy;
    copy.reserve(captured.size());
    for (const QString& line : captured)
        copy.append(line);
    return copy;
}
