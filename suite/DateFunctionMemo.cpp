#include "DateFunctionMemo.h"

#include "DateFastPath.h"
#include "Sqlite.h"

#include <QString>
#include <array>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace DateFunctionMemo {
namespace {

struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, Finalize>;

// One answer, remembered under its arguments written as bytes.
struct Answer {
    std::string key;
    bool isNull = false;
    std::string text;
};

// A few answers are enough: one row asks for the same time in two or three formats.
constexpr std::size_t rememberedAnswers = 8;

// Writes the arguments into `key`; false when the call must not be remembered (about the
// current time, or with an argument no date function reads as a time).
bool keyOf(int argc, sqlite3_value** argv, std::string& key) {
    key.clear();
    if (argc == 0)
        return false;
    for (int i = 0; i < argc; ++i) {
        const int type = sqlite3_value_type(argv[i]);
        key.push_back(char(type));
        switch (type) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 value = sqlite3_value_int64(argv[i]);
            key.append(reinterpret_cast<const char*>(&value), sizeof value);
            break;
        }
        case SQLITE_FLOAT: {
            const double value = sqlite3_value_double(argv[i]);
            key.append(reinterpret_cast<const char*>(&value), sizeof value);
            break;
        }
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[i]));
            const int length = sqlite3_value_bytes(argv[i]);
            if (!text)
                return false; // out of memory: SQLite's own function reports it
            // Most arguments are formats and modifiers: the first letter settles it for them.
            if ((text[0] == 'n' || text[0] == 'N') && sqlite3_stricmp(text, "now") == 0)
                return false;
            const auto size = std::uint32_t(length);
            key.append(reinterpret_cast<const char*>(&size), sizeof size);
            key.append(text, std::size_t(length));
            break;
        }
        case SQLITE_NULL:
            break;
        default:
            return false;
        }
    }
    return true;
}

class MemoFunction {
public:
    MemoFunction(sqlite3* helper, const char* name)
        : m_helper(helper), m_name(name), m_fast(DateFastPath::forFunction(name)),
          m_fastFirst(DateFastPath::cheaperThanRemembering(name)) {}

    void call(sqlite3_context* context, int argc, sqlite3_value** argv) {
        if (m_fastFirst && m_fast(argc, argv, m_text)) {
            answerText(context, m_text);
            return;
        }
        const bool rememberable = keyOf(argc, argv, m_key);
        if (rememberable)
            for (const Answer& answer : m_answers)
                if (answer.key == m_key) {
                    answerWith(context, answer);
                    return;
                }
        if (m_fast && !m_fastFirst && m_fast(argc, argv, m_text)) {
            if (rememberable)
                remember(false, m_text);
            answerText(context, m_text);
            return;
        }
        sqlite3_stmt* statement = statementFor(argc);
        if (!statement) {
            sqlite3_result_error(context, sqlite3_errmsg(m_helper), -1);
            return;
        }
        for (int i = 0; i < argc; ++i)
            sqlite3_bind_value(statement, i + 1, argv[i]);
        const int step = sqlite3_step(statement);
        if (step != SQLITE_ROW) {
            sqlite3_result_error(context, sqlite3_errmsg(m_helper), -1);
        } else {
            const int type = sqlite3_column_type(statement, 0);
            if (rememberable && (type == SQLITE_TEXT || type == SQLITE_NULL)) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
                answerWith(context, remember(type == SQLITE_NULL,
                                             std::string_view(
                                                 text ? text : "",
                                                 std::size_t(sqlite3_column_bytes(statement, 0)))));
            } else {
                sqlite3_result_value(context, sqlite3_column_value(statement, 0));
            }
        }
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }

private:
    // Keeps the answer to the current call's arguments in place of the oldest one.
    const Answer& remember(bool isNull, std::string_view text) {
        Answer& answer = m_answers[m_next];
        m_next = (m_next + 1) % rememberedAnswers;
        answer.key = m_key;
        answer.isNull = isNull;
        answer.text.assign(text);
        return answer;
    }

    static void answerText(sqlite3_context* context, const std::string& text) {
        sqlite3_result_text(context, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }

    static void answerWith(sqlite3_context* context, const Answer& answer) {
        if (answer.isNull)
            sqlite3_result_null(context);
        else
            answerText(context, answer.text);
    }

    // "SELECT name(?1, ..., ?argc)" on the private connection, prepared once per count.
    sqlite3_stmt* statementFor(int argc) {
        if (std::size_t(argc) >= m_statements.size())
            m_statements.resize(std::size_t(argc) + 1);
        StatementPtr& statement = m_statements[std::size_t(argc)];
        if (!statement) {
            std::string sql = "SELECT " + m_name + "(";
            for (int i = 1; i <= argc; ++i)
                sql += (i > 1 ? ",?" : "?") + std::to_string(i);
            sql += ")";
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(m_helper, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
                return nullptr;
            statement.reset(raw);
        }
        return statement.get();
    }

    sqlite3* m_helper;
    std::string m_name;
    DateFastPath::Answer m_fast;
    bool m_fastFirst; // tried before the remembered answers
    std::vector<StatementPtr> m_statements;
    std::array<Answer, rememberedAnswers> m_answers;
    std::size_t m_next = 0;
    std::string m_key;  // the arguments of the current call
    std::string m_text; // the fast path's answer to it
};

// The private connection and the functions asking it; freed with the last registration.
class Memo {
public:
    explicit Memo(sqlite3* helper) : m_helper(helper, sqlite3_close_v2) {}

    MemoFunction& add(const char* name) {
        m_functions.push_back(std::make_unique<MemoFunction>(m_helper.get(), name));
        return *m_functions.back();
    }

private:
    // Declared first so it is closed last, after every statement of the functions.
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> m_helper;
    std::vector<std::unique_ptr<MemoFunction>> m_functions;
};

struct Registration {
    std::shared_ptr<Memo> memo;
    MemoFunction* function;
};

void callRegistered(sqlite3_context* context, int argc, sqlite3_value** argv) {
    static_cast<Registration*>(sqlite3_user_data(context))->function->call(context, argc, argv);
}

void destroyRegistration(void* registration) {
    delete static_cast<Registration*>(registration);
}

constexpr const char* memoizedFunctions[] = {"datetime", "date", "strftime"};

} // namespace

void install(sqlite3* db) {
    sqlite3* helper = nullptr;
    const int rc =
        sqlite3_open_v2(":memory:", &helper, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto memo = std::make_shared<Memo>(helper);
    if (rc != SQLITE_OK)
        throw SqliteError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    for (const char* name : memoizedFunctions) {
        auto registration = std::make_unique<Registration>(Registration{memo, &memo->add(name)});
        // Flagged as SQLite flags its own date functions, so statements plan alike.
        const int created = sqlite3_create_function_v2(
            db, name, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, registration.get(),
            callRegistered, nullptr, nullptr, destroyRegistration);
        // SQLite owns the registration from here, even when the creation failed.
        registration.release();
        if (created != SQLITE_OK)
            throw SqliteError(created, QString::fromUtf8(sqlite3_errmsg(db)));
    }
}

} // namespace DateFunctionMemo
