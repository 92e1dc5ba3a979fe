// Zt::ZtRegistry: the suite's wrapper around one open registry key.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace Zt {

// One sub-key as ForEachSubKey hands it to its callback.
struct ZtRegistrySubKey {
    DWORD index;
    const wchar_t* name;
    const wchar_t* className;
    FILETIME lastWrite;
};

// One value as ForEachValue hands it to its callback.
struct ZtRegistryValue {
    DWORD index;
    const wchar_t* name;
    const BYTE* data;
    DWORD dataSize;
    DWORD type;
};

// Owns at most one key and closes it when destroyed or reused. Every operation answers true or
// false and keeps the Win32 code of what happened (GetError): the registry call's own code, or
// 1 (no key open), 13 (a required argument missing), 1020 (only-if-empty deletion of a key with
// contents), 1629 (string write of a non-string type), 1804 (typed query of another type).
// Key paths lose their leading backslashes and one trailing backslash before they are used.
class ZtRegistry {
public:
    ZtRegistry() = default;
    // Opens as Open does; IsOpen tells whether that worked.
    ZtRegistry(HKEY parent, const wchar_t* path, bool create = false, REGSAM access = KEY_ALL_ACCESS);
    virtual ~ZtRegistry();
    ZtRegistry(const ZtRegistry&) = delete;
    ZtRegistry& operator=(const ZtRegistry&) = delete;

    // Opening. A parent that is this object's own key serves as the parent and is closed after.
    bool Open(HKEY parent, const wchar_t* path, bool create = false, REGSAM access = KEY_ALL_ACCESS);
    bool OpenOrCreate(HKEY parent, const wchar_t* path, REGSAM access = KEY_ALL_ACCESS);
    bool OpenFrom(const ZtRegistry* other, const wchar_t* path, bool create = false);
    // A new object for a sub-key of this one, or null (with this object's error set).
    std::unique_ptr<ZtRegistry> OpenSubKey(const wchar_t* path, bool create = false);
    bool Attach(HKEY key);
    // The name gets exactly two leading backslashes at least before it is used.
    bool Connect(const wchar_t* computer, HKEY root);
    bool ConnectAndOpen(const wchar_t* computer, HKEY root, const wchar_t* path, bool create = false,
                        REGSAM access = KEY_ALL_ACCESS);
    bool Close();

    bool IsOpen() const { return m_key != nullptr; }
    // The key lies in another computer's registry: obtained by Connect, or opened below such a key.
    bool IsRemote() const { return m_remote; }
    LONG GetError() const { return m_error; }
    HKEY GetHandle() const { return m_key; }
    // The normalised path the key was opened with; null when closed or attached.
    const wchar_t* GetPath() const { return m_hasPath ? m_path.c_str() : nullptr; }

    // Typed queries; a value of another type (a missing one included) fails with 1804.
    bool QueryDWORD(const wchar_t* name, DWORD* value);
    // True only for the number 1; the output is left alone when the query fails.
    bool QueryBool(const wchar_t* name, bool* value);
    // `size` in bytes; the caller clears the buffer, nothing adds a terminating null.
    bool QueryString(const wchar_t* name, wchar_t* buffer, DWORD* size);
    // The whole string value, held until the next call on an open key or destruction; null for
    // other types.
    const wchar_t* QueryStringBuffer(const wchar_t* name);

    bool SetDWORD(const wchar_t* name, DWORD value);
    bool SetString(const wchar_t* name, const wchar_t* text);
    bool SetString(const wchar_t* name, const wchar_t* text, DWORD type);

    bool DeleteValue(const wchar_t* name);
    bool DeleteSubKey(const wchar_t* name, bool onlyIfEmpty);
    bool DeleteKey(bool onlyIfEmpty);
    // The named key under `parent` with everything below it. A name or path that normalises to
    // nothing (null, empty, backslashes only) is refused with 13: it would name the parent itself.
    bool DeleteTree(HKEY parent, const wchar_t* name);
    // The key at `path` under `root` with everything below it.
    bool DeleteTree(HKEY root, const wchar_t* path, bool onlyIfEmpty);

    bool EnumSubKey(DWORD index, wchar_t* name, DWORD* nameLength, wchar_t* className = nullptr,
                    DWORD* classLength = nullptr, FILETIME* lastWrite = nullptr);
    bool EnumValue(DWORD index, wchar_t* name, DWORD* nameLength, DWORD* type = nullptr, BYTE* data = nullptr,
                   DWORD* dataSize = nullptr);
    // Callbacks answer 0 to stop the walk. Always true; the last error is 0 after a walk that
    // ran out of entries or was stopped, else the enumeration failure that ended it.
    using SubKeyCallback = int (*)(const ZtRegistrySubKey& subKey, void* user);
    using ValueCallback = int (*)(const ZtRegistryValue& value, void* user);
    bool ForEachSubKey(SubKeyCallback callback, void* user);
    bool ForEachValue(ValueCallback callback, void* user);

    bool QueryInfo(DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values, DWORD* maxValueNameLen,
                   DWORD* maxValueLen, DWORD* maxClassLen, wchar_t* className = nullptr,
                   DWORD* classLength = nullptr, FILETIME* lastWrite = nullptr,
                   DWORD* securityDescriptorSize = nullptr);
    DWORD GetSubKeyCount();
    bool HasSubKeys();
    DWORD GetValueCount();
    DWORD GetMaxSubKeyLen();
    DWORD GetMaxClassLen();
    DWORD GetMaxValueNameLen();
    DWORD GetMaxValueLen();

    // Change notification; the result of the registry call is not kept.
    bool NotifyChange(bool watchSubtree, DWORD filter, HANDLE event);
    bool WaitForChange(bool watchSubtree, DWORD filter);
    bool Flush();

private:
    // The common start of every operation that needs a key: error 0, or 1 without a key.
    bool BeginKeyed();
    bool Record(LONG result) {
        m_error = result;
        return result == ERROR_SUCCESS;
    }
    bool Fail(LONG code) {
        m_error = code;
        return false;
    }
    // A walk that ran out of entries succeeded; one stopped by another failure keeps its code.
    void EndWalk(LONG result) { m_error = result == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : result; }

    HKEY m_key = nullptr;
    std::wstring m_path;
    bool m_hasPath = false;
    LONG m_error = ERROR_SUCCESS;
    bool m_remote = false;
    std::unique_ptr<wchar_t[]> m_valueBuffer;
};

} // namespace Zt
