#include "VELMPluginReportGenerator/jobaccounting/messages/JACReport.h"

namespace JACReport {

namespace {

// Texts may be missing in what a plug-in sends; they are always written.
template <auto P> constexpr xmlb::field text(std::string_view name) {
    return xmlb::elem<P>(name, 0);
}
template <auto P> constexpr xmlb::field list(std::string_view name) {
    return xmlb::elem<P>(name, 0, xmlb::unbounded);
}
template <auto P> constexpr xmlb::field option(std::string_view name) {
    return xmlb::elem<P>(name, 0);
}

template <class Kind>
constexpr xmlb::field userRecordFields[] = {
    text<&c_UserRecord<Kind>::ModelName>("ModelName"),
    text<&c_UserRecord<Kind>::IPAddress>("IPAddress"),
    text<&c_UserRecord<Kind>::Serial>("Serial"),
    text<&c_UserRecord<Kind>::RecordData>(Kind::dataName),
};

template <class Kind>
constexpr xmlb::field userFields[] = {
    text<&c_User<Kind>::Login>("Login"),
    text<&c_User<Kind>::UserName>("UserName"),
    text<&c_User<Kind>::GroupName>("GroupName"),
    list<&c_User<Kind>::Record>("Record"),
};

template <class Kind> constexpr xmlb::field byUserFields[] = {list<&c_ByUser<Kind>::User>("User")};

template <class Kind>
constexpr xmlb::field deviceRecordFields[] = {
    text<&c_DeviceRecord<Kind>::Login>("Login"),
    text<&c_DeviceRecord<Kind>::UserName>("UserName"),
    text<&c_DeviceRecord<Kind>::GroupName>("GroupName"),
    text<&c_DeviceRecord<Kind>::RecordData>(Kind::dataName),
};

template <class Kind>
constexpr xmlb::field deviceFields[] = {
    text<&c_Device<Kind>::HostName>("HostName"),
    text<&c_Device<Kind>::IPAddress>("IPAddress"),
    text<&c_Device<Kind>::Location>("Location"),
    text<&c_Device<Kind>::ModelName>("ModelName"),
    text<&c_Device<Kind>::HardwareAddress>("HardwareAddress"),
    text<&c_Device<Kind>::Serial>("Serial"),
    list<&c_Device<Kind>::Record>("Record"),
};

template <class Kind>
constexpr xmlb::field byDeviceFields[] = {list<&c_ByDevice<Kind>::Device>("Device")};

template <class Kind>
constexpr xmlb::field detailsFields[] = {
    option<&c_Details<Kind>::ByUser>("ByUser"),
    option<&c_Details<Kind>::ByDevice>("ByDevice"),
};

constexpr xmlb::field reportFields[] = {
    option<&c_Report::Basic>("Basic"),
    option<&c_Report::PrintDetails>("PrintDetails"),
    option<&c_Report::CopyDetails>("CopyDetails"),
    option<&c_Report::FaxDetails>("FaxDetails"),
    option<&c_Report::ScanDetails>("ScanDetails"),
};

} // namespace

template <class Kind>
const xmlb::type_desc c_UserRecord<Kind>::xml_type = xmlb::make_type(userRecordFields<Kind>);
template <class Kind>
const xmlb::type_desc c_User<Kind>::xml_type = xmlb::make_type(userFields<Kind>);
template <class Kind>
const xmlb::type_desc c_ByUser<Kind>::xml_type = xmlb::make_type(byUserFields<Kind>);
template <class Kind>
const xmlb::type_desc c_DeviceRecord<Kind>::xml_type = xmlb::make_type(deviceRecordFields<Kind>);
template <class Kind>
const xmlb::type_desc c_Device<Kind>::xml_type = xmlb::make_type(deviceFields<Kind>);
template <class Kind>
const xmlb::type_desc c_ByDevice<Kind>::xml_type = xmlb::make_type(byDeviceFields<Kind>);
template <class Kind>
const xmlb::type_desc c_Details<Kind>::xml_type = xmlb::make_type(detailsFields<Kind>,
                                                                  xmlb::compositor::choice);
const xmlb::type_desc c_Report::xml_type = xmlb::make_type(reportFields, xmlb::compositor::choice);

#define JAC_REPORT_KIND(Kind)                                                                      \
    template struct c_UserRecord<Kind>;                                                            \
    template struct c_User<Kind>;                                                                  \
    template struct c_ByUser<Kind>;                                                                \
    template struct c_DeviceRecord<Kind>;                                                          \
    template struct c_Device<Kind>;                                                                \
    template struct c_ByDevice<Kind>;                                                              \
    template struct c_Details<Kind>;
JAC_REPORT_KIND(BasicKind)
JAC_REPORT_KIND(PrintKind)
JAC_REPORT_KIND(CopyKind)
JAC_REPORT_KIND(FaxKind)
JAC_REPORT_KIND(ScanKind)
#undef JAC_REPORT_KIND

} // namespace JACReport
