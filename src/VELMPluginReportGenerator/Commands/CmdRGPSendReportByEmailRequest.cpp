#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailRequest.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

namespace {

const QString kRecipients = QStringLiteral("Recipients");
const QString kRecipient = QStringLiteral("Recipient");
const QString kFileFormats = QStringLiteral("FileFormats");
const QString kFileFormat = QStringLiteral("FileFormat");

QStringList childTexts(dom::NodeRef scope, const QString& listName) {
    QStringList texts;
    dom::forEachChild(dom::onlyDescendant(scope, listName),
                      [&](const dom::Element* child) { texts.append(dom::textContent(child)); });
    return texts;
}

void appendList(dom::Element* root, const QString& listName, const QString& itemName,
                const QStringList& texts) {
    dom::Element* list = dom::appendElement(root, listName);
    for (const QString& text : texts)
        dom::appendTextElement(list, itemName, text);
}

} // namespace

void CmdRGPSendReportByEmailRequest::parse(const QByteArray& body) {
    ReportRequestPacket::parse(body);
    reportId = elementId(QStringLiteral("Report"));
    recipients = childTexts(document(), kRecipients);
    subject = elementText(QStringLiteral("Subject"));
    content = elementText(QStringLiteral("Content"));
    locale = elementText(QStringLiteral("Locale"));
    fileFormats = childTexts(document(), kFileFormats);
}

void CmdRGPSendReportByEmailRequest::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("Report"), {}, reportId);
    appendList(rootElement(), kRecipients, kRecipient, recipients);
    addElement(QStringLiteral("Subject"), subject);
    addElement(QStringLiteral("Content"), content);
    addElement(QStringLiteral("Locale"), locale);
    appendList(rootElement(), kFileFormats, kFileFormat, fileFormats);
    RequestPacket::serialize(body);
}
