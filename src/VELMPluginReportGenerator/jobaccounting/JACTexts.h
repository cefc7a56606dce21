#pragma once

#include <QString>

// Texts of the job accounting step. Operators and clients look for them as they are, so they
// are kept exactly as written here.
namespace JACTexts {

inline const QString creatingReport = QStringLiteral("Creating JAC report. ReportID ");
inline const QString createFailed = QStringLiteral("JAC plugin CreateReport call fail! ");
inline const QString statusFailed = QStringLiteral("JAC plugin GetReportStatus call fail! ");
inline const QString resultFailed = QStringLiteral("JAC plugin GetReportResult call fail! ");
inline const QString deleteFailed = QStringLiteral("JAC plugin DeleteReportResult call fail! ");
// The status text of a job accounting report that was cancelled while it ran.
inline const QString generatorStopped = QStringLiteral("Report generator stopped");

} // namespace JACTexts
