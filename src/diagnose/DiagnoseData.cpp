// The diagnose record: parsed by the line scanner, shown through the list wrappers.
#include "diagnose/DiagnoseData.h"

#include "diagnose/DiagnoseTextResolver.h"
#include "diagnose/LineScanner.h"
#include "diagnose/LineFields.h"
#include "resource.h"
#include "win/ResourceModule.h"

CDiagnoseData::CDiagnoseData(const std::wstring& line) {
    CDiagnoseData::Parse(line);
}

void CDiagnoseData::Parse(const std::wstring& line) {
    diagnose::LineFields fields = diagnose::ParseLine(line);
    m_date = std::move(fields.date);
    m_time = std::move(fields.time);
    m_attributes = std::move(fields.attributes);
}

std::wstring CDiagnoseData::GetHost() const {
    auto found = m_attributes.find(L"Host");
    return found != m_attributes.end() ? found->second : win::LoadResString(IDS_UNKNOWN);
}

std::wstring CDiagnoseData::GetProcess() const {
    auto found = m_attributes.find(L"Process");
    return found != m_attributes.end() ? found->second : win::LoadResString(IDS_UNKNOWN);
}

uint16_t CDiagnoseData::GetTraceClass() const {
    return static_cast<uint16_t>(GetAttributeLong(L"Traceclass", -1));
}

int32_t CDiagnoseData::GetAttributeLong(const std::wstring& name, int32_t defaultValue) const {
    auto found = m_attributes.find(name);
    if (found == m_attributes.end())
        return defaultValue;
    return diagnose::ReadDecimal(found->second.data(), found->second.size());
}

int CDiagnoseData::InsertRow(win::ListView& list) const {
    const int row = list.InsertItem(list.GetItemCount(), m_date + L" " + m_time);
    if (row >= 0)
        list.SetItemText(row, 1, GetProcess());
    return row;
}

void CDiagnoseData::FillAttributeList(win::ListView& list, const CDiagnoseTextResolver* resolver) const {
    for (const auto& [name, stored] : m_attributes) {
        std::wstring value = stored;
        if (resolver && !resolver->TranslateAttribute(name, value, *this))
            continue;
        const int row = list.InsertItem(list.GetItemCount(), name);
        if (row >= 0)
            list.SetItemText(row, 1, value);
    }
}
