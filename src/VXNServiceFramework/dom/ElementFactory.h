#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace dom {

// Makes the elements and attributes of one document whose names repeat (the columns of a large
// table, say). The DOM checks each name the first time it is used; later elements of a name it
// accepted are made without the check, as Xerces' own parser makes them. A rejected name is put
// to the DOM again on each use and fails as appendElement fails, with BuildError.
class ElementFactory {
    struct Entry;

public:
    // A name looked up once for many elements; valid while its factory lives.
    class Name {
    public:
        Name() = default;
        bool operator==(const Name&) const = default;
        friend size_t qHash(Name name, size_t seed = 0) { return ::qHash(name.m_entry, seed); }

    private:
        friend class ElementFactory;
        explicit Name(Entry* entry) : m_entry(entry) {}
        Entry* m_entry = nullptr;
    };

    explicit ElementFactory(RawDocument* document);
    ~ElementFactory();
    ElementFactory(const ElementFactory&) = delete;
    ElementFactory& operator=(const ElementFactory&) = delete;

    Name name(const QString& name);

    // <name/> appended to `parent`.
    Element* append(Element* parent, Name name);
    // <name>text</name> appended to `parent`.
    Element* appendText(Element* parent, Name name, const QString& text);
    // Gives `element`, made by this factory and given no attribute called `name` yet, that
    // attribute.
    void addAttribute(Element* element, Name name, const QString& value);

private:
    Element* create(Entry& entry);

    RawDocument* m_document;
    QHash<QString, Entry*> m_byName;
    std::vector<std::unique_ptr<Entry>> m_entries;
};

} // namespace dom
