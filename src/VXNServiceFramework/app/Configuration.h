#pragma once

#include <QString>

// The settings of the XML configuration file. Each element is searched for in the whole document
// by tag name and taken only when exactly one element of that name exists; the root element's
// name is not examined.
struct Configuration {
    QString dispatcherUrl; // naming service; empty: no registration
    QString serviceUrl;    // own URL, its port is the listening port; empty: automatic port
    QString name;          // read and not used further
    QString listenAddress; // the local address to listen on; empty: every IPv4 address

    // Empty when the file was read; otherwise why it could not be (missing, unreadable or not
    // well-formed), and the values are those of an absent file.
    QString error;

    static Configuration load(const QString& fileName);
    static Configuration parse(const QByteArray& document);
};
