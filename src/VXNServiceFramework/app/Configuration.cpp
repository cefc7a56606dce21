#include "VXNServiceFramework/app/Configuration.h"

#include <QFile>
#include <QXmlStreamReader>

#include <array>
#include <vector>

namespace {

struct Setting {
    QLatin1StringView tag;
    QString Configuration::*field;
    int count = 0;
    QString text;
};

} // namespace

Configuration Configuration::load(const QString& fileName) {
    QFile file(fileName);
    if (!file.exists()) {
        Configuration missing;
        missing.error = QStringLiteral("Configuration file %1 not found").arg(fileName);
        return missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        Configuration unreadable;
        unreadable.error = QStringLiteral("Configuration file %1 unreadable: %2")
                               .arg(fileName, file.errorString());
        return unreadable;
    }
    Configuration config = parse(file.readAll());
    if (!config.error.isEmpty()) {
        config.error = QStringLiteral("Configuration file %1 %2").arg(fileName, config.error);
    }
    return config;
}

Configuration Configuration::parse(const QByteArray& document) {
    std::array<Setting, 4> settings{{
        {QLatin1StringView("DispatcherURL"), &Configuration::dispatcherUrl, 0, {}},
        {QLatin1StringView("ServiceURL"), &Configuration::serviceUrl, 0, {}},
        {QLatin1StringView("Name"), &Configuration::name, 0, {}},
        {QLatin1StringView("ListenAddress"), &Configuration::listenAddress, 0, {}},
    }};

    // The text of an element is all text below it, so an element nested in a tracked one of
    // the same name is both counted and part of the outer text.
    std::vector<Setting*> open;
    std::vector<bool> tracked;
    QXmlStreamReader reader(document);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            Setting* hit = nullptr;
            for (Setting& s : settings) {
                if (reader.name() == s.tag) {
                    hit = &s;
                }
            }
            tracked.push_back(hit != nullptr);
            if (hit) {
                if (++hit->count == 1) {
                    open.push_back(hit);
                } else {
                    open.push_back(nullptr); // a second one only counts
                }
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (!tracked.empty()) {
                if (tracked.back()) {
                    open.pop_back();
                }
                tracked.pop_back();
            }
            break;
        case QXmlStreamReader::Characters:
            for (Setting* s : open) {
                if (s) {
                    s->text += reader.text();
                }
            }
            break;
        default:
            break;
        }
    }

    Configuration config;
    if (reader.hasError()) {
        config.error = QStringLiteral("is not well-formed XML: %1 (line %2, column %3)")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber());
        return config;
    }
    for (const Setting& s : settings) {
        if (s.count == 1) {
            config.*(s.field) = s.text.trimmed();
        }
    }
    return config;
}
