#pragma once

#include "xmlbinding/binding.h"

#include <optional>
#include <string_view>

// The counters of one record of a job accounting report: page sums of the matching jobs. Every
// counter is optional; an absent one is not written.
namespace JACRecordData {

using Counter = std::optional<qint64>;

struct c_BasicRecordData {
    static const xmlb::type_desc xml_type;

    Counter PrintedBW, PrintedColor, CopiedBW, CopiedColor, FaxTx, Scan;
};

// Print and copy details count alike.
struct c_DetailsRecordData {
    static const xmlb::type_desc xml_type;

    Counter SimplexMono, SimplexColor, DuplexMono, DuplexColor;
    Counter PaperA4, PaperLetter, PaperLegal, PaperOthers, Staple;
};

struct c_FaxDetailsRecordData {
    static const xmlb::type_desc xml_type;

    Counter MonoTx, ColorTx;
};

struct c_ScanDetailsRecordData {
    static const xmlb::type_desc xml_type;

    Counter SimplexMono, SimplexColor, DuplexMono, DuplexColor;
    Counter Email, FTP, SMB, Application, USB;
};

// A counter's element name and field, in the order the record data carries them.
template <class Data> struct CounterField {
    std::string_view name;
    Counter Data::*member;
};

template <class Data> struct Counters;

template <> struct Counters<c_BasicRecordData> {
    using D = c_BasicRecordData;
    static constexpr CounterField<D> fields[] = {
        {"PrintedBW", &D::PrintedBW}, {"PrintedColor", &D::PrintedColor},
        {"CopiedBW", &D::CopiedBW},   {"CopiedColor", &D::CopiedColor},
        {"FaxTx", &D::FaxTx},         {"Scan", &D::Scan},
    };
};

template <> struct Counters<c_DetailsRecordData> {
    using D = c_DetailsRecordData;
    static constexpr CounterField<D> fields[] = {
        {"SimplexMono", &D::SimplexMono}, {"SimplexColor", &D::SimplexColor},
        {"DuplexMono", &D::DuplexMono},   {"DuplexColor", &D::DuplexColor},
        {"PaperA4", &D::PaperA4},         {"PaperLetter", &D::PaperLetter},
        {"PaperLegal", &D::PaperLegal},   {"PaperOthers", &D::PaperOthers},
        {"Staple", &D::Staple},
    };
};

template <> struct Counters<c_FaxDetailsRecordData> {
    using D = c_FaxDetailsRecordData;
    static constexpr CounterField<D> fields[] = {{"MonoTx", &D::MonoTx}, {"ColorTx", &D::ColorTx}};
};

template <> struct Counters<c_ScanDetailsRecordData> {
    using D = c_ScanDetailsRecordData;
    static constexpr CounterField<D> fields[] = {
        {"SimplexMono", &D::SimplexMono},
        {"SimplexColor", &D::SimplexColor},
        {"DuplexMono", &D::DuplexMono},
        {"DuplexColor", &D::DuplexColor},
        {"Email", &D::Email},
        {"FTP", &D::FTP},
        {"SMB", &D::SMB},
        {"Application", &D::Application},
        {"USB", &D::USB},
    };
};

} // namespace JACRecordData
