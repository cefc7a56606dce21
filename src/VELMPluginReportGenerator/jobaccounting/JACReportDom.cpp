#include "VELMPluginReportGenerator/jobaccounting/JACReportDom.h"

#include "VXNServiceFramework/dom/DomBuild.h"

namespace {

using namespace JACReport;

dom::Element* element(dom::Element* parent, const char* name) {
    return dom::appendElement(parent, QString::fromLatin1(name));
}

void text(dom::Element* parent, const char* name, const QString& value) {
    if (value.isEmpty())
        element(parent, name);
    else
        dom::appendTextElement(parent, QString::fromLatin1(name), value);
}

template <class Data> void recordData(dom::Element* parent, const char* name, const Data& data) {
    dom::Element* counters = element(parent, name);
    for (const auto& counter : JACRecordData::Counters<Data>::fields)
        if (const auto& value = data.*(counter.member))
            dom::appendTextElement(
                counters, QString::fromLatin1(counter.name.data(), qsizetype(counter.name.size())),
                QString::number(*value));
}

template <class Kind> void byUser(dom::Element* parent, const c_ByUser<Kind>& list) {
    dom::Element* users = element(parent, "ByUser");
    for (const c_User<Kind>& user : list.User) {
        dom::Element* entry = element(users, "User");
        text(entry, "Login", user.Login);
        text(entry, "UserName", user.UserName);
        text(entry, "GroupName", user.GroupName);
        for (const c_UserRecord<Kind>& record : user.Record) {
            dom::Element* row = element(entry, "Record");
            text(row, "ModelName", record.ModelName);
            text(row, "IPAddress", record.IPAddress);
            text(row, "Serial", record.Serial);
            recordData(row, Kind::dataName, record.RecordData);
        }
    }
}

template <class Kind> void byDevice(dom::Element* parent, const c_ByDevice<Kind>& list) {
    dom::Element* devices = element(parent, "ByDevice");
    for (const c_Device<Kind>& device : list.Device) {
        dom::Element* entry = element(devices, "Device");
        text(entry, "HostName", device.HostName);
        text(entry, "IPAddress", device.IPAddress);
        text(entry, "Location", device.Location);
        text(entry, "ModelName", device.ModelName);
        text(entry, "HardwareAddress", device.HardwareAddress);
        text(entry, "Serial", device.Serial);
        for (const c_DeviceRecord<Kind>& record : device.Record) {
            dom::Element* row = element(entry, "Record");
            text(row, "Login", record.Login);
            text(row, "UserName", record.UserName);
            text(row, "GroupName", record.GroupName);
            recordData(row, Kind::dataName, record.RecordData);
        }
    }
}

template <class Kind>
void details(dom::Element* parent, const char* name, const std::optional<c_Details<Kind>>& kind) {
    if (!kind)
        return;
    dom::Element* grouping = element(parent, name);
    if (kind->ByUser)
        byUser(grouping, *kind->ByUser);
    if (kind->ByDevice)
        byDevice(grouping, *kind->ByDevice);
}

} // namespace

void appendJACReport(dom::Element* parent, const c_Report& report) {
    dom::Element* root = element(parent, "Report");
    details(root, "Basic", report.Basic);
    details(root, "PrintDetails", report.PrintDetails);
    details(root, "CopyDetails", report.CopyDetails);
    details(root, "FaxDetails", report.FaxDetails);
    details(root, "ScanDetails", report.ScanDetails);
}
