#pragma once

#include "VXNServiceFramework/packets/Packet.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"
#include "xmlbinding/binding.h"

#include <string>

// A packet of the binding family: the packet is the generated binding object T, so handlers
// read and write T's fields directly. Bodies are UTF-8, one element per line, tab-indented.
template <class T> class BindPacket : public Packet, public T {
public:
    void parse(const QByteArray& body) override {
        T& binding = *this;
        binding = T();
        xmlb::c_read_memory source(body.constData(), body.constData() + body.size());
        xmlb::c_xml_reader reader(source);
        if (xmlb::read_document(reader, binding) != xmlb::err_none)
            throw WrongPacketFormat(QString::fromStdString(reader.error_text()));
    }

    void serialize(QByteArray& body) override {
        static constexpr char declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        std::string text;
        xmlb::c_xml_writer writer(text, "\t", "\n");
        if (xmlb::write_document(writer, static_cast<const T&>(*this)) != xmlb::err_none)
            throw WrongPacketFormat(QString::fromStdString(writer.error_text()));
        body.clear();
        body.reserve(qsizetype(sizeof declaration - 1 + text.size()));
        body.append(declaration, qsizetype(sizeof declaration - 1));
        body.append(text.data(), qsizetype(text.size()));
    }
};

// T is a c_VXNRequest; its constructor presets the command attribute.
template <class T> class BindRequest : public BindPacket<T> {
public:
    QString command() const override { return T::command; }
};

// T is a c_VXNResponse; a new response holds Result 0 and Details "OK".
template <class T> class BindResponse : public BindPacket<T> {
public:
    BindResponse() { T::Details = QStringLiteral("OK"); }

    void setResult(int code, const QString& details) override {
        T::Result = code;
        T::Details = details;
    }
    int result() const override { return T::Result; }
    QString details() const override { return T::Details; }
};
