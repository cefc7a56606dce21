#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACPackets.h"

#include <QList>
#include <QString>
#include <variant>

// A checked job accounting request: every value that reaches SQL is a number, and the sort
// key is one of the known ones.
struct JobAccountingQuery {
    enum class Kind { Basic, Print, Copy, Fax, Scan };
    enum class SortKey {
        None,
        IpAddress,
        DeviceName,
        ModelName,
        Serial,
        MacAddress,
        Location,
        UserName,
        UserLogin
    };

    Kind kind = Kind::Basic;
    bool byUser = true;
    qint64 start = 0;
    qint64 end = 0;
    QList<quint64> users, devices, userGroups; // empty: no filter
    SortKey sort = SortKey::None;

    static bool isUserKey(SortKey key) {
        return key == SortKey::UserName || key == SortKey::UserLogin;
    }

    // The query, or the reason the request is refused.
    static std::variant<JobAccountingQuery, QString>
    check(const RGPCreateJACReportRequest& request);
};
