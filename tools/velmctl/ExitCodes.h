#pragma once

// What velmctl's exit status tells a script. Listed in `velmctl --help`.
namespace ExitCode {
inline constexpr int Ok = 0;
// No connection: refused, no answer in time, or the host name was not found.
inline constexpr int ConnectionFailed = 1;
// Connected, but the answer did not arrive or could not be read.
inline constexpr int CommunicationFailed = 2;
// The service answered with a non-zero Result, or a report it ran failed.
inline constexpr int ServiceRefused = 3;
// The command line is wrong; nothing was sent.
inline constexpr int UsageError = 64;
// Ctrl-C: what the shell reports for SIGINT (128 + 2).
inline constexpr int Interrupted = 130;
} // namespace ExitCode
