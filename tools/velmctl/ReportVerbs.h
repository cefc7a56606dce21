#pragma once

#include "VerbFamily.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <optional>

// The "report" verbs: generate, status, results, cancel, categories, counters.
namespace ReportVerbs {

VerbFamily family();

// The device order a definition from options gets when none is given: an empty one fails every
// report that lists devices. Job accounting reports sort by keys of their own (SB_USER_LOGIN ...)
// and refuse a device list column, so they get none.
QString defaultSortByFor(const QString& reportType);

// The report type `text` names, in any case, as the service spells it; nothing for no type.
std::optional<QString> reportTypeNamed(const QString& text);

// The ReportFormat a definition from options gets: --format as the service spells it, else a
// chart when --chart-type asks for one, else a table.
QString reportFormatOf(const QCommandLineParser& parser);

// The options that describe a report (--type, --period, --device ...), for every verb that
// takes a report definition.
QList<QCommandLineOption> definitionOptionList();
// Checks the values of those options that are set; prints what is wrong.
bool definitionValuesValid(const QCommandLineParser& parser);

} // namespace ReportVerbs
