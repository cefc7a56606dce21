#pragma once

#include <QString>
#include <QStringList>

class PeerCaller;
class VELMReportGenerator;

// What to mail about which report.
struct ReportEmailRequest {
    QString reportId; // decimal; empty names no report (107, nothing is sent)
    QStringList recipients;
    QString subject; // empty: "Quillex Report"
    QString content; // empty: "Quillex report"
    QString locale;  // of the exported files
    QStringList fileFormats;
};

// Result 0, or one of the report codes (107, 108) or e-mail codes (EmailResult) with Details.
struct ReportEmailOutcome {
    int result = 0;
    QString details;
};

// Mails a finished report: the chart image of a chart report, otherwise the report exported in
// each requested format (a format whose export fails is left out). The SMTP settings are read
// from device management for this sending. Blocks for the whole SMTP dialogue.
ReportEmailOutcome sendReportByEmail(VELMReportGenerator& generator,
                                     const ReportEmailRequest& request);

// Mails `text` (why a generation failed) without attachments, with the SMTP settings from
// device management; nobody waits for it, so a notice that is not sent is only logged.
void sendFailureNotice(PeerCaller& caller, const QString& subject, const QStringList& recipients,
                       const QString& text);
