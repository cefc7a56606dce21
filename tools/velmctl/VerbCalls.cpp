#include "VerbCalls.h"

namespace VerbCalls {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

bool succeeded(const Packet& answer) {
    if (answer.result() == 0)
        return true;
    err() << "velmctl: " << answer.details() << " (Result " << answer.result() << ")" << Qt::endl;
    return false;
}

} // namespace VerbCalls
