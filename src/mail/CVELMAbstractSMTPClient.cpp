#include "mail/CVELMAbstractSMTPClient.h"
