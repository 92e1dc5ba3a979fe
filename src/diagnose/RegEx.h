// A small wrapper over the platform's regular-expression engine (VBScript.RegExp through COM):
// create it, set its flags, run a pattern and collect every match with its groups.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

struct IRegExp2;

// One match: its text, where it starts and how long it is (UTF-16 code units), and one text
// per capturing group (empty for a group that took no part).
struct CRegExMatch {
    std::wstring Value;
    LONG FirstIndex = -1;
    LONG Length = 0;
    std::vector<std::wstring> SubMatches;
};

// Raised when an engine call reports failure; carries its status and the interface called.
class CRegExException : public std::runtime_error {
public:
    CRegExException(HRESULT status, const IID& iid);
    HRESULT Status() const { return m_status; }
    const IID& Interface() const { return m_iid; }

private:
    HRESULT m_status;
    IID m_iid;
};

// Without an engine (Create failed or not called) every operation finds nothing and answers
// false or empty. The thread must have COM initialised.
class CRegEx {
public:
    CRegEx() = default;
    virtual ~CRegEx();
    CRegEx(const CRegEx&) = delete;
    CRegEx& operator=(const CRegEx&) = delete;

    bool Create();

    void SetIgnoreCase(bool value);
    void SetGlobal(bool value);
    void SetMultiline(bool value);
    bool GetIgnoreCase() const;
    bool GetGlobal() const;
    bool GetMultiline() const;
    std::wstring GetPattern() const;

    // Empty `matches` first; answer how many entries it holds afterwards.
    LONG Execute(std::vector<CRegExMatch>& matches, const std::wstring& pattern, const std::wstring& text);
    LONG ExecuteStrings(std::vector<std::wstring>& matches, const std::wstring& pattern,
                        const std::wstring& text);
    bool Test(const std::wstring& pattern, const std::wstring& text);
    std::wstring Replace(const std::wstring& pattern, const std::wstring& text,
                         const std::wstring& replacement);

    // The text with \ ^ $ * + ? . ( ) | { } escaped by a backslash; [ and ] stay as they are.
    static std::wstring Escape(const std::wstring& text);

private:
    void SetPattern(const std::wstring& pattern);

    IRegExp2* m_engine = nullptr;
};
