#pragma once

#include <QString>

// The Result codes of the framework and of the service client, as every peer reads them in
// <VXNResponse><Result>. Services add their own ranges (reports, templates, e-mail, scheduler)
// in headers of their own.
namespace ResultCode {
inline constexpr int Ok = 0;
// A handler threw, or answered something that is not a response.
inline constexpr int HandlerException = -1;
inline constexpr int ConnectionFailed = 1;
inline constexpr int UnknownCommand = 2;
inline constexpr int WrongRequestFormat = 3;
inline constexpr int WrongResponseFormat = 4;
inline constexpr int ServicePaused = 5;
inline constexpr int CommunicationFailed = 6;
} // namespace ResultCode

// The Details of the framework's and the service client's own failures, kept exactly as callers
// see them; a command name or a parser message follows a prefix directly.
namespace ResultText {
inline const QString servicePaused = QStringLiteral("Service paused");
inline const QString cantHandlePrefix = QStringLiteral("Can't handle command: ");
inline const QString cantFindPrefix = QStringLiteral("Can't find service for command: ");
inline const QString wrongRequestPrefix = QStringLiteral("Wrong request format: ");
inline const QString wrongResponsePrefix = QStringLiteral("Wrong response format: ");
inline const QString handlerException = QStringLiteral("Command handler raised an exception");
inline const QString connectionFailed = QStringLiteral("Connection to service failed");
inline const QString communicationFailed = QStringLiteral("Communication with service failed");
} // namespace ResultText
