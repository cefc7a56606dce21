#pragma once

#include <memory>

class CommandHandler;
class VELMReportGenerator;

// The handler of "RGPExportReport" for `generator` (exportReportById over the request packet).
std::shared_ptr<CommandHandler> makeExportReportHandler(VELMReportGenerator& generator);
