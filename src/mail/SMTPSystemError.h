#pragma once

// The calling thread's last system error code of the SMTP client: the errno-style code of a
// failed socket call, or one of the codes the client sets itself (see CTRVSMTPConnection).
int SMTPLastSystemError();
void SetSMTPLastSystemError(int code);
