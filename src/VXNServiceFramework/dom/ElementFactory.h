#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QHash>
#include <QString>
#include <vector>

namespace dom {

// Makes the elements and attributes of one document whose names repeat (the columns of a large
// table, say). The DOM checks each name the first time it is used; later elements of a name it
// accepted are made without the check, as Xerces' own parser makes them. A rejected name is put
// to the DOM again on each use and fails as appendElement fails, with BuildError.
class ElementFactory {
    struct Entry;

public:
    // A name looked up once for many elements; valid with its factory. Names are numbered
    // from 0 in the order the factory first saw them, so callers can keep what they know about
    // each in a list.
    class Name {
    public:
        Name() = default;
        qsizetype id() const { return m_id; }
        bool operator==(const Name&) const = default;

    private:
        friend class ElementFactory;
        explicit Name(qsizetype id) : m_id(id) {}
        qsizetype m_id = -1;
    };

    explicit ElementFactory(RawDocument* document);
    ~ElementFactory();
    ElementFactory(const ElementFactory&) = delete;
    ElementFactory& operator=(const ElementFactory&) = delete;

    Name name(const QString& name);
    // How many names the factory has numbered.
    qsizetype nameCount() const;

    // <name/> appended to `parent`.
    Element* append(Element* parent, Name name);
    // <name>text</name> appended to `parent`.
    Element* appendText(Element* parent, Name name, const QString& text);
    // Gives `element`, made by this factory and given no attribute called `name` yet, that
    // attribute.
    void addAttribute(Element* element, Name name, const QString& value);

private:
    Element* checkedElement(Entry& entry);

    RawDocument* m_document;
    QHash<QString, qsizetype> m_byName;
    std::vector<Entry> m_entries;
};

} // namespace dom
