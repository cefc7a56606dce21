#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACReportIdRequest.h"

namespace RGPGetJACReportResult_Request {

inline constexpr char commandName[] = "RGPGetJACReportResult";
using c_VXNRequest = JACReportIdRequest::c_VXNRequest<commandName>;

} // namespace RGPGetJACReportResult_Request
