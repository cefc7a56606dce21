#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACRecordData.h"

#include <QList>
#include <QString>
#include <optional>

// The Report element of a job accounting result: one kind (Basic, PrintDetails, ...), grouped
// by user or by device, each user or device with one Record per device or user and the
// record's counters.
namespace JACReport {

// A report kind: the record data it counts and the element that carries them.
struct BasicKind {
    using Data = JACRecordData::c_BasicRecordData;
    static constexpr char dataName[] = "BasicRecordData";
};
struct PrintKind {
    using Data = JACRecordData::c_DetailsRecordData;
    static constexpr char dataName[] = "PrintDetailsRecordData";
};
struct CopyKind {
    using Data = JACRecordData::c_DetailsRecordData;
    static constexpr char dataName[] = "CopyDetailsRecordData";
};
struct FaxKind {
    using Data = JACRecordData::c_FaxDetailsRecordData;
    static constexpr char dataName[] = "FaxDetailsRecordData";
};
struct ScanKind {
    using Data = JACRecordData::c_ScanDetailsRecordData;
    static constexpr char dataName[] = "ScanDetailsRecordData";
};

// One device a user used.
template <class Kind> struct c_UserRecord {
    static const xmlb::type_desc xml_type;

    QString ModelName, IPAddress, Serial;
    typename Kind::Data RecordData;
};

template <class Kind> struct c_User {
    static const xmlb::type_desc xml_type;

    QString Login, UserName, GroupName;
    QList<c_UserRecord<Kind>> Record;
};

template <class Kind> struct c_ByUser {
    static const xmlb::type_desc xml_type;

    QList<c_User<Kind>> User;
};

// One user of a device.
template <class Kind> struct c_DeviceRecord {
    static const xmlb::type_desc xml_type;

    QString Login, UserName, GroupName;
    typename Kind::Data RecordData;
};

template <class Kind> struct c_Device {
    static const xmlb::type_desc xml_type;

    QString HostName, IPAddress, Location, ModelName, HardwareAddress, Serial;
    QList<c_DeviceRecord<Kind>> Record;
};

template <class Kind> struct c_ByDevice {
    static const xmlb::type_desc xml_type;

    QList<c_Device<Kind>> Device;
};

// Exactly one grouping.
template <class Kind> struct c_Details {
    static const xmlb::type_desc xml_type;

    std::optional<c_ByUser<Kind>> ByUser;
    std::optional<c_ByDevice<Kind>> ByDevice;
};

// Exactly one kind.
struct c_Report {
    static const xmlb::type_desc xml_type;

    std::optional<c_Details<BasicKind>> Basic;
    std::optional<c_Details<PrintKind>> PrintDetails;
    std::optional<c_Details<CopyKind>> CopyDetails;
    std::optional<c_Details<FaxKind>> FaxDetails;
    std::optional<c_Details<ScanKind>> ScanDetails;
};

} // namespace JACReport
