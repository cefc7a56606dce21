#include "VELMPluginReportGenerator/jobaccounting/messages/JACRecordData.h"

namespace JACRecordData {

namespace {

template <auto P> constexpr xmlb::field counter(std::string_view name) {
    return xmlb::elem<P>(name, 0);
}

constexpr xmlb::field basicFields[] = {
    counter<&c_BasicRecordData::PrintedBW>("PrintedBW"),
    counter<&c_BasicRecordData::PrintedColor>("PrintedColor"),
    counter<&c_BasicRecordData::CopiedBW>("CopiedBW"),
    counter<&c_BasicRecordData::CopiedColor>("CopiedColor"),
    counter<&c_BasicRecordData::FaxTx>("FaxTx"),
    counter<&c_BasicRecordData::Scan>("Scan"),
};

constexpr xmlb::field detailsFields[] = {
    counter<&c_DetailsRecordData::SimplexMono>("SimplexMono"),
    counter<&c_DetailsRecordData::SimplexColor>("SimplexColor"),
    counter<&c_DetailsRecordData::DuplexMono>("DuplexMono"),
    counter<&c_DetailsRecordData::DuplexColor>("DuplexColor"),
    counter<&c_DetailsRecordData::PaperA4>("PaperA4"),
    counter<&c_DetailsRecordData::PaperLetter>("PaperLetter"),
    counter<&c_DetailsRecordData::PaperLegal>("PaperLegal"),
    counter<&c_DetailsRecordData::PaperOthers>("PaperOthers"),
    counter<&c_DetailsRecordData::Staple>("Staple"),
};

constexpr xmlb::field faxFields[] = {
    counter<&c_FaxDetailsRecordData::MonoTx>("MonoTx"),
    counter<&c_FaxDetailsRecordData::ColorTx>("ColorTx"),
};

constexpr xmlb::field scanFields[] = {
    counter<&c_ScanDetailsRecordData::SimplexMono>("SimplexMono"),
    counter<&c_ScanDetailsRecordData::SimplexColor>("SimplexColor"),
    counter<&c_ScanDetailsRecordData::DuplexMono>("DuplexMono"),
    counter<&c_ScanDetailsRecordData::DuplexColor>("DuplexColor"),
    counter<&c_ScanDetailsRecordData::Email>("Email"),
    counter<&c_ScanDetailsRecordData::FTP>("FTP"),
    counter<&c_ScanDetailsRecordData::SMB>("SMB"),
    counter<&c_ScanDetailsRecordData::Application>("Application"),
    counter<&c_ScanDetailsRecordData::USB>("USB"),
};

} // namespace

const xmlb::type_desc c_BasicRecordData::xml_type = xmlb::make_type(basicFields);
const xmlb::type_desc c_DetailsRecordData::xml_type = xmlb::make_type(detailsFields);
const xmlb::type_desc c_FaxDetailsRecordData::xml_type = xmlb::make_type(faxFields);
const xmlb::type_desc c_ScanDetailsRecordData::xml_type = xmlb::make_type(scanFields);

} // namespace JACRecordData
