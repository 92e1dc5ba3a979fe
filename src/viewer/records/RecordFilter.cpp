// The records window's filter.
#include "viewer/records/RecordFilter.h"

#include <algorithm>
#include <cwctype>

namespace viewer {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && std::iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring EncodeNames(const NameChoice& choice) {
    std::wstring out = choice.mode == NameChoice::Mode::Only ? L"+" : L"-";
    for (size_t i = 0; i < choice.names.size(); ++i)
        out.append(i ? L"\t" : L"").append(choice.names[i]);
    return out;
}

bool DecodeNames(std::wstring_view value, NameChoice& choice) {
    if (value.empty() || (value[0] != L'+' && value[0] != L'-'))
        return false;
    choice.mode = value[0] == L'+' ? NameChoice::Mode::Only : NameChoice::Mode::Hide;
    choice.names.clear();
    value.remove_prefix(1);
    while (!value.empty()) {
        const size_t tab = value.find(L'\t');
        if (!value.substr(0, tab).empty())
            choice.names.emplace_back(value.substr(0, tab));
        value.remove_prefix(tab == std::wstring_view::npos ? value.size() : tab + 1);
    }
    return true;
}

} // namespace

uint8_t TypeBitOf(uint16_t traceClass) {
    switch (traceClass) {
    case 0:
        return kInformationBit;
    case 1:
        return kWarningBit;
    case 2:
        return kErrorBit;
    default:
        return kUnknownBit;
    }
}

bool NameChoice::Passes(std::wstring_view name) const {
    if (names.empty())
        return true;
    const bool named = std::any_of(names.begin(), names.end(), [&](const std::wstring& n) { return SameName(n, name); });
    return named == (mode == Mode::Only);
}

bool RecordFilter::ShowsAll() const {
    return *this == RecordFilter{};
}

bool operator==(const RecordFilter& a, const RecordFilter& b) {
    auto same = [](const NameChoice& x, const NameChoice& y) {
        return x.names == y.names && (x.names.empty() || x.mode == y.mode);
    };
    return a.types == b.types && same(a.computers, b.computers) && same(a.processes, b.processes) &&
           a.text == b.text && (a.text.empty() || a.textHeld == b.textHeld) && a.from == b.from && a.to == b.to;
}

std::wstring EncodeFilter(const RecordFilter& filter) {
    std::wstring out = L"types=" + std::to_wstring(filter.types) + L"\n";
    if (!filter.computers.names.empty())
        out += L"computers=" + EncodeNames(filter.computers) + L"\n";
    if (!filter.processes.names.empty())
        out += L"processes=" + EncodeNames(filter.processes) + L"\n";
    if (!filter.text.empty())
        out += std::wstring(L"text=") + (filter.textHeld ? L"+" : L"-") + filter.text + L"\n";
    if (!filter.from.empty())
        out += L"from=" + filter.from + L"\n";
    if (!filter.to.empty())
        out += L"to=" + filter.to + L"\n";
    return out;
}

std::optional<RecordFilter> DecodeFilter(std::wstring_view kept) {
    RecordFilter filter;
    bool typed = false;
    while (!kept.empty()) {
        const size_t end = kept.find(L'\n');
        const std::wstring_view line = kept.substr(0, end);
        kept.remove_prefix(end == std::wstring_view::npos ? kept.size() : end + 1);
        const size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos)
            return std::nullopt;
        const std::wstring_view key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == L"types") {
            if (value.empty() || value.size() > 2 || !std::all_of(value.begin(), value.end(), iswdigit))
                return std::nullopt;
            const unsigned types = std::stoul(std::wstring(value));
            if (types > kAllTypes)
                return std::nullopt;
            filter.types = static_cast<uint8_t>(types);
            typed = true;
        } else if (key == L"computers" || key == L"processes") {
            if (!DecodeNames(value, key == L"computers" ? filter.computers : filter.processes))
                return std::nullopt;
        } else if (key == L"text") {
            if (value.size() < 2 || (value[0] != L'+' && value[0] != L'-'))
                return std::nullopt;
            filter.textHeld = value[0] == L'+';
            filter.text = std::wstring(value.substr(1));
        } else if (key == L"from") {
            filter.from = std::wstring(value);
        } else if (key == L"to") {
            filter.to = std::wstring(value);
        }
    }
    if (!typed)
        return std::nullopt;
    return filter;
}

std::vector<std::wstring> SplitNames(std::wstring_view typed) {
    std::vector<std::wstring> names;
    while (!typed.empty()) {
        const size_t end = typed.find(L';');
        const std::wstring_view name = Trimmed(typed.substr(0, end));
        if (!name.empty() && std::none_of(names.begin(), names.end(), [&](const auto& n) { return SameName(n, name); }))
            names.emplace_back(name);
        typed.remove_prefix(end == std::wstring_view::npos ? typed.size() : end + 1);
    }
    return names;
}

std::wstring JoinNames(const std::vector<std::wstring>& names) {
    std::wstring out;
    for (size_t i = 0; i < names.size(); ++i)
        out.append(i ? L"; " : L"").append(names[i]);
    return out;
}

namespace {

// Shows `name` alone, or hides it: hiding one of those shown alone leaves the others.
void AddName(NameChoice& choice, std::wstring_view name, bool only) {
    auto named = [&](const std::wstring& n) { return SameName(n, name); };
    if (only) {
        choice = {NameChoice::Mode::Only, {std::wstring(name)}};
    } else if (choice.mode == NameChoice::Mode::Only && !choice.names.empty()) {
        choice.names.erase(std::remove_if(choice.names.begin(), choice.names.end(), named), choice.names.end());
        if (choice.names.empty())
            choice = {NameChoice::Mode::Hide, {std::wstring(name)}};
    } else {
        choice.mode = NameChoice::Mode::Hide;
        if (std::none_of(choice.names.begin(), choice.names.end(), named))
            choice.names.emplace_back(name);
    }
}

} // namespace

bool AddCondition(RecordFilter& filter, FilterAction action, const diagnose::RecordStore& store, diagnose::RecordId id) {
    if (!store.IsRecord(id))
        return false;
    switch (action) {
    case FilterAction::OnlyComputer:
    case FilterAction::HideComputer:
        AddName(filter.computers, store.GetHost(id), action == FilterAction::OnlyComputer);
        return true;
    case FilterAction::OnlyProcess:
    case FilterAction::HideProcess:
        AddName(filter.processes, store.GetProcess(id), action == FilterAction::OnlyProcess);
        return true;
    case FilterAction::OnlyType:
        filter.types = TypeBitOf(store.GetTraceClass(id));
        return true;
    case FilterAction::HideType:
        filter.types &= static_cast<uint8_t>(~TypeBitOf(store.GetTraceClass(id)));
        return true;
    case FilterAction::HideBefore:
    case FilterAction::HideAfter: {
        RecordClock clock;
        int64_t seconds = 0;
        if (!clock.SecondsOf(store, id, seconds))
            return false;
        (action == FilterAction::HideBefore ? filter.from : filter.to) = store.RowText(id, 0);
        return true;
    }
    }
    return false;
}

RecordTest::RecordTest(RecordFilter filter, std::optional<int64_t> from, std::optional<int64_t> to)
    : m_filter(std::move(filter)), m_from(from), m_to(to) {}

bool RecordTest::Passes(const diagnose::RecordStore& store, diagnose::RecordId id, RecordClock& clock,
                        std::optional<int64_t>& seconds) {
    const uint32_t list = store.ListNumber(id);
    if (list >= m_lists.size())
        m_lists.resize(list + size_t(1), kNotDecided);
    if (m_lists[list] == kNotDecided)
        m_lists[list] = (m_filter.types & TypeBitOf(store.GetTraceClass(id))) &&
                                m_filter.computers.Passes(store.GetHost(id))
                            ? kPasses
                            : kFails;
    if (m_lists[list] == kFails)
        return false;
    if (!m_filter.processes.names.empty()) {
        const uint32_t process = store.TextNumber(id, 1);
        if (process >= m_processes.size())
            m_processes.resize(process + size_t(1), kNotDecided);
        if (m_processes[process] == kNotDecided)
            m_processes[process] = m_filter.processes.Passes(store.GetProcess(id)) ? kPasses : kFails;
        if (m_processes[process] == kFails)
            return false;
    }
    int64_t at = 0;
    seconds.reset();
    if (clock.SecondsOf(store, id, at))
        seconds = at;
    if (!m_from && !m_to)
        return true;
    // A record without a time lies in no range.
    return seconds && (!m_from || *seconds >= *m_from) && (!m_to || *seconds <= *m_to);
}

void RecordTest::Forget() {
    m_lists.clear();
    m_processes.clear();
}

} // namespace viewer
