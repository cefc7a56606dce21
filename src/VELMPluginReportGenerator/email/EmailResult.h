#pragma once

// Result codes of the report e-mail commands. The Details that go with them are the mail
// layer's own error texts (or empty), so there are no texts of our own here.
namespace EmailResult {
inline constexpr int AttachmentUnreadable = 100;
inline constexpr int ConnectionFailed = 101;
inline constexpr int NoServer = 103;
inline constexpr int TransferFailed = 104;

// The Result a sending answers for a client's Send() code.
int fromSendCode(int sendCode);
} // namespace EmailResult
