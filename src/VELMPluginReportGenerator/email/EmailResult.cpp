#include "VELMPluginReportGenerator/email/EmailResult.h"

#include "mail/CVELMAbstractSMTPClient.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

int EmailResult::fromSendCode(int sendCode) {
    switch (sendCode) {
    case CVELMAbstractSMTPClient::SEND_OK:
        return ResultCode::Ok;
    case CVELMAbstractSMTPClient::SEND_NO_SERVER:
        return NoServer;
    case CVELMAbstractSMTPClient::SEND_NO_CONNECTION:
        return ConnectionFailed;
    case CVELMAbstractSMTPClient::SEND_ATTACHMENT_UNREADABLE:
        return AttachmentUnreadable;
    case CVELMAbstractSMTPClient::SEND_TRANSFER_FAILED:
    case CVELMAbstractSMTPClient::SEND_NO_RECIPIENT:
    default: // a code of its own would pass for success if it fell through to 0
        return TransferFailed;
    }
}
