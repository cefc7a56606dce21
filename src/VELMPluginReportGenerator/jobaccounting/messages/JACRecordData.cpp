#include "VELMPluginReportGenerator/jobaccounting/messages/JACRecordData.h"

#include <array>
#include <utility>

namespace JACRecordData {

namespace {

// The binding's fields from the counter table: every counter an optional element.
template <class Data, std::size_t... I>
constexpr std::array<xmlb::field, sizeof...(I)> bindingFields(std::index_sequence<I...>) {
    return {xmlb::elem<Counters<Data>::fields[I].member>(Counters<Data>::fields[I].name, 0)...};
}

template <class Data>
constexpr auto
    fields = bindingFields<Data>(std::make_index_sequence<std::size(Counters<Data>::fields)>{});

template <class Data> constexpr xmlb::type_desc typeOf(const char* source = __builtin_FILE()) {
    return {fields<Data>.data(), fields<Data>.size(), xmlb::compositor::sequence, source, nullptr};
}

} // namespace

const xmlb::type_desc c_BasicRecordData::xml_type = typeOf<c_BasicRecordData>();
const xmlb::type_desc c_DetailsRecordData::xml_type = typeOf<c_DetailsRecordData>();
const xmlb::type_desc c_FaxDetailsRecordData::xml_type = typeOf<c_FaxDetailsRecordData>();
const xmlb::type_desc c_ScanDetailsRecordData::xml_type = typeOf<c_ScanDetailsRecordData>();

} // namespace JACRecordData
