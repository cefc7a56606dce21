#include "mail/CVELMSMTPConnection.h"
