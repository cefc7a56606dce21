#pragma once

#include <QString>

// Result codes of the report commands and the texts that go with them. Clients compare the
// texts as they are, so they stay exactly as written here (the spelling included).
namespace ReportResult {

inline constexpr int InvalidReportId = 107;
inline constexpr int InProgress = 108;
inline constexpr int GenerationFailed = 109;
inline constexpr int NoData = 110;
inline constexpr int ChartFailed = 111;
inline constexpr int NoDeviceInGroup = 112;
inline constexpr int InvalidTemplateId = 121;

inline const QString okText = QStringLiteral("OK");
inline const QString invalidReportIdText = QStringLiteral("Requesting Invalid Report ID");
inline const QString inProgressText = QStringLiteral("Report is still in progress.");
inline const QString generationFailedText = QStringLiteral("Report generation failed.");
inline const QString noDataText = QStringLiteral("No available data for report generation.");
inline const QString chartFailedText = QStringLiteral("Error occurs during Chart Generation.");
inline const QString noDeviceInGroupText =
    QStringLiteral("There is no device in the selected Group.");
inline const QString invalidTemplateIdText = QStringLiteral("Invalid Template ID.");

} // namespace ReportResult
