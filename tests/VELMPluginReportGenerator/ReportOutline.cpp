#include "ReportOutline.h"

#include "VXNServiceFramework/packets/XercesString.h"

#include <QStringList>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

QString outline(const DOMElement* element) {
    if (!element)
        return QStringLiteral("<none>");
    QString text = fromXml(element->getTagName());
    const DOMNamedNodeMap* attributes = element->getAttributes();
    if (attributes && attributes->getLength() > 0) {
        QStringList pairs;
        for (XMLSize_t i = 0; i < attributes->getLength(); ++i)
            pairs.append(fromXml(attributes->item(i)->getNodeName()) + QLatin1Char('=') +
                         fromXml(attributes->item(i)->getNodeValue()));
        text += QLatin1Char('[') + pairs.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    if (!element->getFirstElementChild()) {
        const QString content = fromXml(element->getTextContent());
        return content.isEmpty() ? text : text + QLatin1Char('=') + content;
    }
    QStringList children;
    for (const DOMElement* child = element->getFirstElementChild(); child;
         child = child->getNextElementSibling())
        children.append(outline(child));
    return text + QLatin1Char('(') + children.join(QLatin1Char(',')) + QLatin1Char(')');
}
