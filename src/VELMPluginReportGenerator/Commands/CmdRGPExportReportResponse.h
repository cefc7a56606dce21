#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The answer to "RGPExportReport": FilePath, the web service's path of the uploaded file
// (below its html directory); empty when the upload failed.
class CmdRGPExportReportResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString filePath;
};
