#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACAddAccessRights_Request.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/JACAddAccessRights_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPCreateJACReport_Request.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPCreateJACReport_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPDeleteJACReportResult_Request.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPDeleteJACReportResult_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportResult_Request.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportResult_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportStatus_Request.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportStatus_Response.h"

#include "VXNServiceFramework/packets/BindPacket.h"

// The packets of the job accounting plug-in's commands, as both sides use them.
using JACAddAccessRightsRequest = BindRequest<JACAddAccessRights_Request::c_VXNRequest>;
using JACAddAccessRightsResponse = BindResponse<JACAddAccessRights_Response::c_VXNResponse>;
using RGPCreateJACReportRequest = BindRequest<RGPCreateJACReport_Request::c_VXNRequest>;
using RGPCreateJACReportResponse = BindResponse<RGPCreateJACReport_Response::c_VXNResponse>;
using RGPGetJACReportStatusRequest = BindRequest<RGPGetJACReportStatus_Request::c_VXNRequest>;
using RGPGetJACReportStatusResponse = BindResponse<RGPGetJACReportStatus_Response::c_VXNResponse>;
using RGPGetJACReportResultRequest = BindRequest<RGPGetJACReportResult_Request::c_VXNRequest>;
using RGPGetJACReportResultResponse = BindResponse<RGPGetJACReportResult_Response::c_VXNResponse>;
using RGPDeleteJACReportResultRequest = BindRequest<RGPDeleteJACReportResult_Request::c_VXNRequest>;
using RGPDeleteJACReportResultResponse =
    BindResponse<RGPDeleteJACReportResult_Response::c_VXNResponse>;
