#pragma once

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

#include <QStringList>

// "RGPSendReportByEmail": mails a finished report, exported in the listed formats, to the
// listed recipients.
class CmdRGPSendReportByEmailRequest : public ReportRequestPacket {
public:
    static inline const QString commandName = QStringLiteral("RGPSendReportByEmail");

    CmdRGPSendReportByEmailRequest() : ReportRequestPacket(commandName) {}

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString reportId;       // <Report ID="..."/>
    QStringList recipients; // the texts of every child of <Recipients>, whatever its name
    QString subject;
    QString content;
    QString locale;
    QStringList fileFormats; // the texts of every child of <FileFormats>, whatever its name
};
