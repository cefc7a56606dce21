#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACReportIdRequest.h"

namespace RGPGetJACReportStatus_Request {

inline constexpr char commandName[] = "RGPGetJACReportStatus";
using c_VXNRequest = JACReportIdRequest::c_VXNRequest<commandName>;

} // namespace RGPGetJACReportStatus_Request
