// Reading speed of the binding reader beside pugixml and Xerces-C DOM, on a 300-byte request and
// on a 5 MB response of 50,000 elements with attributes. Figures in MB/s.
#include "VXNServiceFramework/Commands/NSRegisterService_Request.h"
#include "VXNServiceFramework/packets/BindPacket.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <memory>
#include <string>

namespace {

// The large document's binding: a response with a list of devices.
struct c_Device {
    static const xmlb::type_desc xml_type;
    int id = 0;
    QString model;
    QString status;
    int pages = 0;
    QString name;
};

struct c_DeviceList {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;
    int Result = 0;
    QString Details;
    QList<c_Device> Device;
};

constexpr xmlb::field device_fields[] = {
    xmlb::attr<&c_Device::id>("id", true),   xmlb::attr<&c_Device::model>("model", true),
    xmlb::attr<&c_Device::status>("status"), xmlb::attr<&c_Device::pages>("pages"),
    xmlb::text<&c_Device::name>(),
};
constexpr xmlb::field list_fields[] = {
    xmlb::elem<&c_DeviceList::Result>("Result"),
    xmlb::elem<&c_DeviceList::Details>("Details"),
    xmlb::elem<&c_DeviceList::Device>("Device", 0, xmlb::unbounded),
};
const xmlb::type_desc c_Device::xml_type = xmlb::make_type(device_fields);
const xmlb::type_desc c_DeviceList::xml_type = xmlb::make_type(list_fields);

const QByteArray& smallRequest() {
    static const QByteArray body = [] {
        BindRequest<NSRegisterService_Request::c_VXNRequest> request;
        static_cast<NSRegisterService_Request::c_VXNRequest&>(request).URL =
            "http://192.168.100.17:51234/";
        for (const char* m : {"MGMTCloseApplication", "RGPGenerateReport", "RGPGetReportStatus",
                              "RGPGetReportResults", "RGPExportReport", "SchRegister"})
            request.method.append(QString::fromLatin1(m));
        QByteArray out;
        request.serialize(out);
        return out;
    }();
    return body;
}

const QByteArray& largeDocument() {
    static const QByteArray body = [] {
        BindResponse<c_DeviceList> list;
        for (int i = 0; i < 50000; ++i) {
            c_Device d;
            d.id = 100000 + i;
            d.model = QStringLiteral("LX-%1 Color").arg(i % 97);
            d.status = (i % 7) ? QStringLiteral("ok") : QStringLiteral("warning");
            d.pages = i * 37;
            d.name = QStringLiteral("Printer %1 & floor %2").arg(i).arg(i % 12);
            list.Device.append(d);
        }
        QByteArray out;
        list.serialize(out);
        return out;
    }();
    return body;
}

struct XercesRuntime {
    XercesRuntime() { xercesc::XMLPlatformUtils::Initialize(); }
    ~XercesRuntime() { xercesc::XMLPlatformUtils::Terminate(); }
};

void binding(benchmark::State& state, const QByteArray& body, auto packet) {
    for (auto _ : state) {
        packet.parse(body);
        benchmark::DoNotOptimize(packet);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * body.size());
    state.counters["bytes"] = double(body.size());
}

void pugi(benchmark::State& state, const QByteArray& body) {
    for (auto _ : state) {
        pugi::xml_document doc;
        const auto result = doc.load_buffer(body.constData(), std::size_t(body.size()));
        if (!result)
            state.SkipWithError(result.description());
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * body.size());
}

void xerces(benchmark::State& state, const QByteArray& body) {
    static XercesRuntime runtime;
    for (auto _ : state) {
        xercesc::XercesDOMParser parser;
        parser.setValidationScheme(xercesc::XercesDOMParser::Val_Never);
        parser.setLoadExternalDTD(false);
        xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(body.constData()),
                                          XMLSize_t(body.size()), "bench", false);
        parser.parse(source);
        benchmark::DoNotOptimize(parser.getDocument());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * body.size());
}

void BindingSmall(benchmark::State& s) {
    binding(s, smallRequest(), BindRequest<NSRegisterService_Request::c_VXNRequest>());
}
void PugixmlSmall(benchmark::State& s) {
    pugi(s, smallRequest());
}
void XercesDomSmall(benchmark::State& s) {
    xerces(s, smallRequest());
}
void BindingLarge(benchmark::State& s) {
    binding(s, largeDocument(), BindResponse<c_DeviceList>());
}
void PugixmlLarge(benchmark::State& s) {
    pugi(s, largeDocument());
}
void XercesDomLarge(benchmark::State& s) {
    xerces(s, largeDocument());
}

BENCHMARK(BindingSmall);
BENCHMARK(PugixmlSmall);
BENCHMARK(XercesDomSmall);
BENCHMARK(BindingLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(XercesDomLarge)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
