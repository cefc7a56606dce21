#include "VXNServiceFramework/app/Log.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

Q_LOGGING_CATEGORY(velmErrLog, "err")
Q_LOGGING_CATEGORY(velmInfoLog, "info")
Q_LOGGING_CATEGORY(velmWarningLog, "warning")

namespace {

std::atomic<QtMessageHandler> previousHandler{nullptr};
std::once_flag installOnce;
std::mutex outputMutex;

bool isOwnLog(const char* category) {
    return category != nullptr &&
           (std::strcmp(category, "err") == 0 || std::strcmp(category, "info") == 0 ||
            std::strcmp(category, "warning") == 0);
}

void writeLine(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!isOwnLog(context.category)) {
        if (const QtMessageHandler previous = previousHandler.load()) {
            previous(type, context, text);
        }
        return;
    }
    const QByteArray line = Log::formatLine(QTime::currentTime(), context.category, text);
    // One write and flush per message under a lock: a line is never split, and the output
    // reaches a pipe at once even when stdout is not a terminal.
    std::lock_guard<std::mutex> lock(outputMutex);
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
}

} // namespace

namespace Log {

void install() {
    std::call_once(installOnce, [] { previousHandler = qInstallMessageHandler(writeLine); });
}

QByteArray formatLine(const QTime& time, const char* category, const QString& text) {
    QByteArray line = time.toString(QStringLiteral("hh:mm:ss ")).toLatin1();
    line += '[';
    line += category;
    line += "] ";
    // Texts from requests reach the log: a line break or control character in one is written
    // as an escape, so a message stays one line and no peer can forge lines of its own.
    const QByteArray utf8 = text.toUtf8();
    line.reserve(line.size() + utf8.size() + 1);
    for (const char byte : utf8) {
        const auto code = static_cast<unsigned char>(byte);
        if (code == '\n') {
            line += "\\n";
        } else if (code == '\r') {
            line += "\\r";
        } else if ((code < 0x20 && code != '\t') || code == 0x7F) {
            line += "\\x";
            line += QByteArray::number(code, 16).rightJustified(2, '0');
        } else {
            line += byte;
        }
    }
    line += '\n';
    return line;
}

} // namespace Log
