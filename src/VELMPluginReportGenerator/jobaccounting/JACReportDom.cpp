#include "VELMPluginReportGenerator/jobaccounting/JACReportDom.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomTreeBuilder.h"

#include <QHash>
#include <array>
#include <utility>

namespace {

using namespace JACReport;

// A text element's tag and text.
using Text = std::pair<std::string_view, QString>;

// The Report element built apart from the document and attached once complete: a result holds
// a million nodes and more.
class ReportBuilder {
public:
    explicit ReportBuilder(dom::RawDocument* document) : m_tree(document) {}

    dom::Element* element(std::string_view tag) const { return m_tree.element(name(tag)); }

    // An empty text is an empty element, as the answer had it.
    void text(dom::Element* parent, std::string_view tag, const QString& value) const {
        m_tree.append(parent, m_tree.textElement(name(tag), value));
    }

    // A ByUser or ByDevice list: each user or device with its texts and one Record per device
    // or user it has, the record's texts and its counters.
    template <class Entry, class EntryTexts, class RecordTexts>
    dom::Element* grouping(std::string_view tag, std::string_view entryTag,
                           std::string_view dataTag, const QList<Entry>& entries,
                           EntryTexts entryTexts, RecordTexts recordTexts) const {
        dom::Element* list = element(tag);
        for (const Entry& entry : entries) {
            dom::Element* item = element(entryTag);
            texts(item, entryTexts(entry));
            for (const auto& record : entry.Record) {
                dom::Element* row = element("Record");
                texts(row, recordTexts(record));
                m_tree.append(row, recordData(dataTag, record.RecordData));
                m_tree.append(item, row);
            }
            m_tree.append(list, item);
        }
        return list;
    }

    template <class Texts> void texts(dom::Element* parent, const Texts& values) const {
        for (const auto& [tag, value] : values)
            text(parent, tag, value);
    }

    template <class Data> dom::Element* recordData(std::string_view tag, const Data& data) const {
        dom::Element* counters = element(tag);
        for (const auto& counter : JACRecordData::Counters<Data>::fields)
            if (const auto& value = data.*(counter.member))
                m_tree.append(counters, m_tree.textElement(name(counter.name), *value));
        return counters;
    }

    template <class Kind> dom::Element* byUser(const c_ByUser<Kind>& list) const {
        return grouping(
            "ByUser", "User", Kind::dataName, list.User,
            [](const c_User<Kind>& user) {
                return std::array{Text{"Login", user.Login}, Text{"UserName", user.UserName},
                                  Text{"GroupName", user.GroupName}};
            },
            [](const c_UserRecord<Kind>& record) {
                return std::array{Text{"ModelName", record.ModelName},
                                  Text{"IPAddress", record.IPAddress},
                                  Text{"Serial", record.Serial}};
            });
    }

    template <class Kind> dom::Element* byDevice(const c_ByDevice<Kind>& list) const {
        return grouping(
            "ByDevice", "Device", Kind::dataName, list.Device,
            [](const c_Device<Kind>& device) {
                return std::array{Text{"HostName", device.HostName},
                                  Text{"IPAddress", device.IPAddress},
                                  Text{"Location", device.Location},
                                  Text{"ModelName", device.ModelName},
                                  Text{"HardwareAddress", device.HardwareAddress},
                                  Text{"Serial", device.Serial}};
            },
            [](const c_DeviceRecord<Kind>& record) {
                return std::array{Text{"Login", record.Login}, Text{"UserName", record.UserName},
                                  Text{"GroupName", record.GroupName}};
            });
    }

    template <class Kind>
    void details(dom::Element* report, std::string_view tag,
                 const std::optional<c_Details<Kind>>& kind) const {
        if (!kind)
            return;
        dom::Element* grouping = element(tag);
        if (kind->ByUser)
            m_tree.append(grouping, byUser(*kind->ByUser));
        if (kind->ByDevice)
            m_tree.append(grouping, byDevice(*kind->ByDevice));
        m_tree.append(report, grouping);
    }

private:
    // Tag names are literals, so each is converted once per report.
    const QString& name(std::string_view tag) const {
        auto known = m_names.constFind(tag.data());
        if (known == m_names.cend())
            known =
                m_names.insert(tag.data(), QString::fromLatin1(tag.data(), qsizetype(tag.size())));
        return *known;
    }

    dom::TreeBuilder m_tree;
    mutable QHash<const char*, QString> m_names;
};

} // namespace

void appendJACReport(dom::Element* parent, const c_Report& report) {
    const ReportBuilder builder(dom::ownerDocument(parent));
    dom::Element* root = builder.element("Report");
    builder.details(root, "Basic", report.Basic);
    builder.details(root, "PrintDetails", report.PrintDetails);
    builder.details(root, "CopyDetails", report.CopyDetails);
    builder.details(root, "FaxDetails", report.FaxDetails);
    builder.details(root, "ScanDetails", report.ScanDetails);
    dom::appendChild(parent, root);
}
