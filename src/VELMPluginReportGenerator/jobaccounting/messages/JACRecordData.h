#pragma once

#include "xmlbinding/binding.h"

#include <optional>

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

} // namespace JACRecordData
