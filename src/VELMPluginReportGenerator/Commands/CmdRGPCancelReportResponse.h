#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// Only Result and Details, and only when the cancel failed.
using CmdRGPCancelReportResponse = ResponsePacket;
