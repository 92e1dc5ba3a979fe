// One record of the diagnostic log: date, time and the name="value" attributes of a line, and
// the rows it writes into the viewer's lists.
#pragma once

#include "win/ListView.h"

#include <cstdint>
#include <map>
#include <string>

class CDiagnoseTextResolver;

// Made from any line without failing; never changed afterwards. Attribute names are
// case-sensitive; a later pair of the same name replaces an earlier one.
class CDiagnoseData {
public:
    explicit CDiagnoseData(const std::wstring& line);
    virtual ~CDiagnoseData() = default;
    CDiagnoseData(const CDiagnoseData&) = delete;
    CDiagnoseData& operator=(const CDiagnoseData&) = delete;

    // Appends one row per attribute the resolver lets through (all without one): name, value.
    virtual void FillAttributeList(win::ListView& list, const CDiagnoseTextResolver* resolver) const;
    // Appends the record's row (date and time, process) and answers its index.
    virtual int InsertRow(win::ListView& list) const;
    // Fills date, time and attributes from the line; the constructor's work.
    virtual void Parse(const std::wstring& line);

    // "Host" and "Process", or the unknown text of the current language resources.
    std::wstring GetHost() const;
    std::wstring GetProcess() const;
    // "Traceclass" cut to 16 bits; 65535 when absent.
    uint16_t GetTraceClass() const;
    // The attribute's leading decimal number (0 without digits, saturated to 32 bits), or
    // `defaultValue` when the record has no such attribute.
    int32_t GetAttributeLong(const std::wstring& name, int32_t defaultValue) const;
    const std::wstring& GetDate() const { return m_date; }
    const std::wstring& GetTime() const { return m_time; }
    const std::map<std::wstring, std::wstring>& GetAttributes() const { return m_attributes; }

private:
    std::map<std::wstring, std::wstring> m_attributes;
    std::wstring m_date;
    std::wstring m_time;
};
