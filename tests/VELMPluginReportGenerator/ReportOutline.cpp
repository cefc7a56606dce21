#include "ReportOutline.h"

#include "VXNServiceFramework/dom/DomRead.h"

#include <QStringList>

QString outline(const dom::Element* element) {
    if (!element)
        return QStringLiteral("<none>");
    QString text = dom::name(element);
    QStringList attributes;
    dom::forEachAttribute(element, [&](const QString& name, const QString& value) {
        attributes.append(name + QLatin1Char('=') + value);
    });
    if (!attributes.isEmpty())
        text += QLatin1Char('[') + attributes.join(QLatin1Char(',')) + QLatin1Char(']');
    QStringList children;
    dom::forEachChild(element, [&](dom::Element* child) { children.append(outline(child)); });
    if (children.isEmpty()) {
        const QString content = dom::textContent(element);
        return content.isEmpty() ? text : text + QLatin1Char('=') + content;
    }
    return text + QLatin1Char('(') + children.join(QLatin1Char(',')) + QLatin1Char(')');
}
