#include "VELMPluginReportGenerator/registry/ReportCodes.h"

#include <array>

namespace reportRegistry {
namespace {

constexpr std::array<const char*, 10> periodCodes{
    "P_LAST_WEEK",      "P_THIS_WEEK",      "P_LAST_MONTH", "P_THIS_MONTH", "P_LAST_TWO_WEEK",
    "P_LAST_TWO_MONTH", "P_LAST_SIX_MONTH", "P_LAST_YEAR",  "P_THIS_YEAR",  "P_CUSTOM"};

template <std::size_t N>
int positionOf(const std::array<const char*, N>& codes, const QString& code, int otherwise) {
    for (std::size_t i = 0; i < N; ++i) {
        if (code == QLatin1String(codes[i]))
            return static_cast<int>(i);
    }
    return otherwise;
}

} // namespace

int periodFromCode(const QString& code) {
    return positionOf(periodCodes, code, P_CUSTOM);
}

QString periodCode(int period) {
    if (period < 0 || period >= static_cast<int>(periodCodes.size()))
        return {};
    return QString::fromLatin1(periodCodes[static_cast<std::size_t>(period)]);
}

int intervalFromCode(const QString& code) {
    const qsizetype position = intervalCodes().indexOf(code);
    return position < 0 ? I_HOUR : int(position);
}

const QStringList& intervalCodes() {
    static const QStringList codes{QStringLiteral("I_HOUR"), QStringLiteral("I_DAY"),
                                   QStringLiteral("I_WEEK"), QStringLiteral("I_MONTH")};
    return codes;
}

int summaryIntervalForPeriod(int period) {
    switch (period) {
    case P_LAST_WEEK:
    case P_THIS_WEEK:
        return I_DAY;
    case P_LAST_MONTH:
    case P_THIS_MONTH:
    case P_LAST_TWO_WEEK:
        return I_WEEK;
    case P_LAST_TWO_MONTH:
    case P_LAST_SIX_MONTH:
    case P_LAST_YEAR:
    case P_THIS_YEAR:
        return I_MONTH;
    default:
        return I_HOUR;
    }
}

int reportInterval(bool isSummary, int period, const QString& intervalCode) {
    return isSummary ? summaryIntervalForPeriod(period) : intervalFromCode(intervalCode);
}

int chartTypeFromCode(const QString& code) {
    if (code == QLatin1String("CT_LINE"))
        return chartType::line;
    if (code == QLatin1String("CT_PIE"))
        return chartType::pie;
    return chartType::bar;
}

QStringList sortKeyNames() {
    return {QStringLiteral("SB_IPADDR"),     QStringLiteral("SB_DEVICE_NAME"),
            QStringLiteral("SB_MODEL_NAME"), QStringLiteral("SB_SERIAL_NUM"),
            QStringLiteral("SB_MAC_ADDR"),   QStringLiteral("SB_LOCATION"),
            QStringLiteral("SB_USER_NAME"),  QStringLiteral("SB_USER_LOGIN")};
}

} // namespace reportRegistry
