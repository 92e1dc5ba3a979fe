// Zt::ZtRegistry: the suite's wrapper around one open registry key.
#include "logging/ZtRegistry.h"

#include "logging/RegistryPath.h"

#include <cwchar>
#include <utility>
#include <vector>

namespace Zt {
namespace {

constexpr LONG kNoKey = ERROR_INVALID_FUNCTION;
constexpr LONG kMissingArgument = ERROR_INVALID_DATA;
constexpr LONG kKeyHasChildren = ERROR_KEY_HAS_CHILDREN;
constexpr LONG kNotAStringType = ERROR_DATATYPE_MISMATCH;
constexpr LONG kWrongType = ERROR_INVALID_DATATYPE;

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The name of a key's first sub-key: a deleted child moves the next one to index 0, so a
// depth-first delete always takes the first.
LONG FirstSubKey(HKEY key, wchar_t (&name)[MAX_PATH]) {
    DWORD length = MAX_PATH;
    return ::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
}

} // namespace

ZtRegistry::ZtRegistry(HKEY parent, const wchar_t* path, bool create, REGSAM access) {
    Open(parent, path, create, access);
}

ZtRegistry::~ZtRegistry() {
    if (m_key)
        Close();
}

bool ZtRegistry::BeginKeyed() {
    m_error = ERROR_SUCCESS;
    if (m_key)
        return true;
    m_error = kNoKey;
    return false;
}

bool ZtRegistry::Open(HKEY parent, const wchar_t* path, bool create, REGSAM access) {
    const bool relative = m_key && parent == m_key;
    if (m_key && !relative)
        Close();
    if (!path || !*path)
        return Fail(kMissingArgument);
    // Opening relative to our own key: it serves as the parent and goes once the call is done.
    // A key opened below a key of another computer's registry lies there too.
    HKEY previous = nullptr;
    const bool remote = relative && m_remote;
    if (relative) {
        previous = std::exchange(m_key, nullptr);
        m_hasPath = false;
        m_remote = false;
    }
    const std::wstring normal = NormaliseKeyPath(path);
    HKEY key = nullptr;
    LONG result;
    if (create) {
        DWORD disposition = 0;
        result = ::RegCreateKeyExW(parent, normal.c_str(), 0, const_cast<wchar_t*>(L""),
                                   REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    } else {
        result = ::RegOpenKeyExW(parent, normal.c_str(), 0, access, &key);
    }
    m_error = result;
    if (previous)
        ::RegCloseKey(previous);
    if (result != ERROR_SUCCESS || !key) {
        if (key)
            ::RegCloseKey(key);
        return false;
    }
    m_key = key;
    m_path = normal;
    m_hasPath = true;
    m_remote = remote;
    return true;
}

bool ZtRegistry::OpenOrCreate(HKEY parent, const wchar_t* path, REGSAM access) {
    return Open(parent, path, true, access);
}

bool ZtRegistry::OpenFrom(const ZtRegistry* other, const wchar_t* path, bool create) {
    if (m_key)
        Close();
    if (!other || !other->IsOpen())
        return false;
    if (!Open(other->GetHandle(), path, create, KEY_ALL_ACCESS))
        return false;
    m_remote = other->IsRemote();
    return true;
}

std::unique_ptr<ZtRegistry> ZtRegistry::OpenSubKey(const wchar_t* path, bool create) {
    if (!BeginKeyed())
        return nullptr;
    auto child = std::make_unique<ZtRegistry>(m_key, path, create, KEY_ALL_ACCESS);
    if (child->IsOpen()) {
        child->m_remote = m_remote;
        return child;
    }
    m_error = child->GetError() != ERROR_SUCCESS ? child->GetError() : kNoKey;
    return nullptr;
}

bool ZtRegistry::Attach(HKEY key) {
    if (m_key)
        Close();
    m_key = key;
    return true;
}

bool ZtRegistry::Connect(const wchar_t* computer, HKEY root) {
    if (m_key)
        Close();
    if (!computer)
        return false;
    const std::wstring name = RemoteComputerName(computer);
    HKEY key = nullptr;
    if (!Record(::RegConnectRegistryW(name.c_str(), root, &key)))
        return false;
    m_key = key;
    m_remote = true;
    return true;
}

bool ZtRegistry::ConnectAndOpen(const wchar_t* computer, HKEY root, const wchar_t* path, bool create,
                                REGSAM access) {
    return Connect(computer, root) && Open(m_key, path, create, access);
}

bool ZtRegistry::Close() {
    if (!BeginKeyed())
        return false;
    const LONG result = ::RegCloseKey(m_key);
    m_key = nullptr;
    m_remote = false;
    m_path.clear();
    m_hasPath = false;
    return Record(result);
}

bool ZtRegistry::QueryDWORD(const wchar_t* name, DWORD* value) {
    if (!BeginKeyed())
        return false;
    if (!value)
        return Fail(kMissingArgument);
    DWORD number = 0;
    DWORD size = sizeof(number);
    DWORD type = REG_NONE;
    m_error = ::RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
    if (type != REG_DWORD)
        m_error = kWrongType;
    if (m_error != ERROR_SUCCESS)
        return false;
    *value = number;
    return true;
}

bool ZtRegistry::QueryBool(const wchar_t* name, bool* value) {
    if (!value)
        return Fail(kMissingArgument);
    DWORD number = 0;
    if (!QueryDWORD(name, &number))
        return false;
    *value = number == 1;
    return true;
}

bool ZtRegistry::QueryString(const wchar_t* name, wchar_t* buffer, DWORD* size) {
    if (!BeginKeyed())
        return false;
    if (!buffer || !size)
        return Fail(kMissingArgument);
    DWORD type = REG_NONE;
    m_error = ::RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), size);
    if (!IsStringType(type))
        m_error = kWrongType;
    return m_error == ERROR_SUCCESS;
}

const wchar_t* ZtRegistry::QueryStringBuffer(const wchar_t* name) {
    // A call that cannot query leaves the caller's previous value alone.
    if (!BeginKeyed())
        return nullptr;
    m_valueBuffer.reset();
    // One character and a null that stays: an empty value fits, anything longer asks for room.
    auto probe = std::make_unique<wchar_t[]>(2);
    DWORD size = sizeof(wchar_t);
    DWORD type = REG_NONE;
    m_error = ::RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(probe.get()), &size);
    if (!IsStringType(type))
        return nullptr;
    if (m_error != ERROR_MORE_DATA) {
        if (m_error != ERROR_SUCCESS)
            return nullptr;
        m_valueBuffer = std::move(probe);
        return m_valueBuffer.get();
    }
    // Room for a value stored without its null, and for one that grew meanwhile a little.
    const DWORD chars = size + 10;
    auto value = std::make_unique<wchar_t[]>(chars);
    DWORD offered = (chars - 1) * sizeof(wchar_t);
    if (!Record(
            ::RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.get()), &offered)))
        return nullptr;
    m_valueBuffer = std::move(value);
    return m_valueBuffer.get();
}

bool ZtRegistry::SetDWORD(const wchar_t* name, DWORD value) {
    if (!BeginKeyed())
        return false;
    return Record(
        ::RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

bool ZtRegistry::SetString(const wchar_t* name, const wchar_t* text) {
    return SetString(name, text, REG_SZ);
}

bool ZtRegistry::SetString(const wchar_t* name, const wchar_t* text, DWORD type) {
    if (!BeginKeyed())
        return false;
    if (!text)
        return Fail(kMissingArgument);
    if (!IsStringType(type))
        return Fail(kNotAStringType);
    const DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    return Record(::RegSetValueExW(m_key, name, 0, type, reinterpret_cast<const BYTE*>(text), bytes));
}

bool ZtRegistry::DeleteValue(const wchar_t* name) {
    if (!BeginKeyed())
        return false;
    return Record(::RegDeleteValueW(m_key, name));
}

bool ZtRegistry::DeleteSubKey(const wchar_t* name, bool onlyIfEmpty) {
    if (!BeginKeyed())
        return false;
    if (!name)
        return Fail(kMissingArgument);
    if (onlyIfEmpty) {
        HKEY subKey = nullptr;
        if (::RegOpenKeyExW(m_key, name, 0, KEY_ALL_ACCESS, &subKey) != ERROR_SUCCESS)
            return Fail(kNoKey);
        DWORD subKeys = 0;
        DWORD values = 0;
        const LONG info = ::RegQueryInfoKeyW(subKey, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                             &values, nullptr, nullptr, nullptr, nullptr);
        ::RegCloseKey(subKey);
        if (info != ERROR_SUCCESS)
            return Fail(info);
        if (subKeys != 0 || values != 0)
            return Fail(kKeyHasChildren);
    }
    return Record(::RegDeleteKeyW(m_key, name));
}

bool ZtRegistry::DeleteKey(bool onlyIfEmpty) {
    if (!DeleteSubKey(L"", onlyIfEmpty))
        return false;
    // The key is gone; dropping the handle must not overwrite the success just recorded.
    ::RegCloseKey(m_key);
    m_key = nullptr;
    m_remote = false;
    m_path.clear();
    m_hasPath = false;
    return m_error == ERROR_SUCCESS;
}

bool ZtRegistry::DeleteTree(HKEY parent, const wchar_t* name) {
    // A name of backslashes only would name the parent itself, and take all of it.
    if (!name || NormaliseKeyPath(name).empty())
        return Fail(kMissingArgument);
    ZtRegistry key;
    if (!key.Open(parent, name, false, KEY_ALL_ACCESS))
        return Fail(key.GetError());
    for (;;) {
        wchar_t child[MAX_PATH] = {};
        const LONG result = FirstSubKey(key.GetHandle(), child);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            return Fail(result);
        if (!DeleteTree(key.GetHandle(), child))
            return false;
    }
    if (!key.DeleteKey(false))
        return Fail(key.GetError());
    return Record(ERROR_SUCCESS);
}

bool ZtRegistry::DeleteTree(HKEY root, const wchar_t* path, bool onlyIfEmpty) {
    if (!path || NormaliseKeyPath(path).empty())
        return Fail(kMissingArgument);
    ZtRegistry key;
    if (!key.Open(root, path, false, KEY_ALL_ACCESS))
        return Fail(key.GetError());
    const std::wstring base = NormaliseKeyPath(path);
    for (;;) {
        wchar_t child[MAX_PATH] = {};
        const LONG result = FirstSubKey(key.GetHandle(), child);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            return Fail(result);
        if (!DeleteTree(root, (base + L'\\' + child).c_str(), onlyIfEmpty))
            return false;
    }
    key.DeleteKey(onlyIfEmpty);
    return Record(key.GetError());
}

bool ZtRegistry::EnumSubKey(DWORD index, wchar_t* name, DWORD* nameLength, wchar_t* className,
                            DWORD* classLength, FILETIME* lastWrite) {
    if (!BeginKeyed())
        return false;
    if (!name || !nameLength || (className && !classLength))
        return Fail(kMissingArgument);
    return Record(
        ::RegEnumKeyExW(m_key, index, name, nameLength, nullptr, className, classLength, lastWrite));
}

bool ZtRegistry::EnumValue(DWORD index, wchar_t* name, DWORD* nameLength, DWORD* type, BYTE* data,
                           DWORD* dataSize) {
    if (!BeginKeyed())
        return false;
    if (!name || !nameLength || (data && !dataSize))
        return Fail(kMissingArgument);
    return Record(::RegEnumValueW(m_key, index, name, nameLength, nullptr, type, data, dataSize));
}

bool ZtRegistry::ForEachSubKey(SubKeyCallback callback, void* user) {
    if (!BeginKeyed())
        return true;
    DWORD maxName = 0;
    DWORD maxClass = 0;
    if (!QueryInfo(nullptr, &maxName, nullptr, nullptr, nullptr, &maxClass)) {
        maxName = 1000;
        maxClass = 1000;
    }
    m_error = ERROR_SUCCESS;
    std::vector<wchar_t> name(maxName + 10);
    std::vector<wchar_t> className(maxClass + 10);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD classLength = static_cast<DWORD>(className.size());
        FILETIME lastWrite = {};
        name[0] = L'\0';
        className[0] = L'\0';
        const LONG result = ::RegEnumKeyExW(m_key, index, name.data(), &nameLength, nullptr, className.data(),
                                            &classLength, &lastWrite);
        if (result == ERROR_MORE_DATA)
            continue; // an entry that does not fit is skipped
        if (result != ERROR_SUCCESS) {
            EndWalk(result);
            break;
        }
        if (!callback ||
            callback(ZtRegistrySubKey{index, name.data(), className.data(), lastWrite}, user) == 0)
            break;
    }
    return true;
}

bool ZtRegistry::ForEachValue(ValueCallback callback, void* user) {
    if (!BeginKeyed())
        return true;
    DWORD maxName = 0;
    DWORD maxData = 0;
    if (!QueryInfo(nullptr, nullptr, nullptr, &maxName, &maxData, nullptr)) {
        maxName = 1000;
        maxData = 1000;
    }
    m_error = ERROR_SUCCESS;
    std::vector<wchar_t> name(maxName + 10);
    std::vector<BYTE> data(maxData + 10);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG result =
            ::RegEnumValueW(m_key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        if (result != ERROR_SUCCESS) {
            EndWalk(result);
            break;
        }
        if (!callback ||
            callback(ZtRegistryValue{index, name.data(), data.data(), dataSize, type}, user) == 0)
            break;
    }
    return true;
}

bool ZtRegistry::QueryInfo(DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values, DWORD* maxValueNameLen,
                           DWORD* maxValueLen, DWORD* maxClassLen, wchar_t* className, DWORD* classLength,
                           FILETIME* lastWrite, DWORD* securityDescriptorSize) {
    if (!BeginKeyed())
        return false;
    if (className && !classLength)
        return Fail(kMissingArgument);
    return Record(::RegQueryInfoKeyW(m_key, className, classLength, nullptr, subKeys, maxSubKeyLen,
                                     maxClassLen, values, maxValueNameLen, maxValueLen,
                                     securityDescriptorSize, lastWrite));
}

DWORD ZtRegistry::GetSubKeyCount() {
    DWORD count = 0;
    return QueryInfo(&count, nullptr, nullptr, nullptr, nullptr, nullptr) ? count : 0;
}

bool ZtRegistry::HasSubKeys() {
    return GetSubKeyCount() != 0;
}

DWORD ZtRegistry::GetValueCount() {
    DWORD count = 0;
    return QueryInfo(nullptr, nullptr, &count, nullptr, nullptr, nullptr) ? count : 0;
}

DWORD ZtRegistry::GetMaxSubKeyLen() {
    DWORD length = 0;
    return QueryInfo(nullptr, &length, nullptr, nullptr, nullptr, nullptr) ? length : 0;
}

DWORD ZtRegistry::GetMaxClassLen() {
    DWORD length = 0;
    return QueryInfo(nullptr, nullptr, nullptr, nullptr, nullptr, &length) ? length : 0;
}

DWORD ZtRegistry::GetMaxValueNameLen() {
    DWORD length = 0;
    return QueryInfo(nullptr, nullptr, nullptr, &length, nullptr, nullptr) ? length : 0;
}

DWORD ZtRegistry::GetMaxValueLen() {
    DWORD length = 0;
    return QueryInfo(nullptr, nullptr, nullptr, nullptr, &length, nullptr) ? length : 0;
}

bool ZtRegistry::NotifyChange(bool watchSubtree, DWORD filter, HANDLE event) {
    if (m_key)
        ::RegNotifyChangeKeyValue(m_key, watchSubtree, filter, event, TRUE);
    return true;
}

bool ZtRegistry::WaitForChange(bool watchSubtree, DWORD filter) {
    if (m_key)
        ::RegNotifyChangeKeyValue(m_key, watchSubtree, filter, nullptr, FALSE);
    return true;
}

bool ZtRegistry::Flush() {
    if (!BeginKeyed())
        return false;
    return Record(::RegFlushKey(m_key));
}

} // namespace Zt
