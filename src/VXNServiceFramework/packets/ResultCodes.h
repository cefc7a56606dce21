#pragma once

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
