#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACReportIdRequest.h"

namespace RGPDeleteJACReportResult_Request {

inline constexpr char commandName[] = "RGPDeleteJACReportResult";
using c_VXNRequest = JACReportIdRequest::c_VXNRequest<commandName>;

} // namespace RGPDeleteJACReportResult_Request
