// Small owners for Windows resources. Closing never changes GetLastError,
// so an owner going out of scope on an error path keeps the error code.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

// One owner template; the traits name the empty value and the close call.
template <typename Traits>
class CCUnique
{
public:
    using Type = typename Traits::Type;

    CCUnique() = default;
    explicit CCUnique(Type value) : m_value(value) {}
    CCUnique(CCUnique&& other) noexcept : m_value(other.release()) {}
    CCUnique& operator=(CCUnique&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    CCUnique(const CCUnique&) = delete;
    CCUnique& operator=(const CCUnique&) = delete;
    ~CCUnique() { reset(); }

    Type get() const { return m_value; }
    explicit operator bool() const { return Traits::IsValid(m_value); }

    // Closes the current value and returns the slot for a new one.
    Type* put()
    {
        reset();
        return &m_value;
    }
    Type release() { return std::exchange(m_value, Traits::Empty()); }
    void reset(Type value = Traits::Empty())
    {
        Type old = std::exchange(m_value, value);
        if (Traits::IsValid(old))
        {
            DWORD dwError = GetLastError();
            Traits::Close(old);
            SetLastError(dwError);
        }
    }

private:
    Type m_value = Traits::Empty();
};

template <typename T, typename Closer, T EmptyValue = T()>
struct CCHandleTraits
{
    using Type = T;
    static constexpr T Empty() { return EmptyValue; }
    static bool IsValid(T value) { return value != EmptyValue; }
    static void Close(T value) { Closer()(value); }
};

struct CCCloseHandle
{
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct CCCloseKey
{
    void operator()(HKEY h) const { RegCloseKey(h); }
};
struct CCFreeLibrary
{
    void operator()(HMODULE h) const { FreeLibrary(h); }
};
struct CCLocalFree
{
    void operator()(HLOCAL h) const { LocalFree(h); }
};

struct CCFileHandleTraits : CCHandleTraits<HANDLE, CCCloseHandle>
{
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

using CCUniqueHandle = CCUnique<CCHandleTraits<HANDLE, CCCloseHandle>>;  // null when empty
using CCUniqueFile = CCUnique<CCFileHandleTraits>;                       // INVALID_HANDLE_VALUE when empty
using CCUniqueHKey = CCUnique<CCHandleTraits<HKEY, CCCloseKey>>;
using CCUniqueModule = CCUnique<CCHandleTraits<HMODULE, CCFreeLibrary>>;
using CCUniqueLocal = CCUnique<CCHandleTraits<HLOCAL, CCLocalFree>>;
// A directory search; INVALID_HANDLE_VALUE when empty.
struct CCFindHandleTraits : CCFileHandleTraits
{
    static void Close(HANDLE h) { FindClose(h); }
};
using CCUniqueFind = CCUnique<CCFindHandleTraits>;

// Reference-counted COM pointer.
template <typename T>
class CCComPtr
{
public:
    CCComPtr() = default;
    CCComPtr(CCComPtr&& other) noexcept : m_p(other.detach()) {}
    CCComPtr& operator=(CCComPtr&& other) noexcept
    {
        if (this != &other)
            attach(other.detach());
        return *this;
    }
    CCComPtr(const CCComPtr&) = delete;
    CCComPtr& operator=(const CCComPtr&) = delete;
    ~CCComPtr() { reset(); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    T** put()
    {
        reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    IUnknown** put_unknown() { return reinterpret_cast<IUnknown**>(put()); }
    void attach(T* p)
    {
        reset();
        m_p = p;
    }
    T* detach() { return std::exchange(m_p, nullptr); }
    void reset()
    {
        if (T* p = detach())
        {
            DWORD dwError = GetLastError();
            p->Release();
            SetLastError(dwError);
        }
    }

private:
    T* m_p = nullptr;
};

// Owner of a BSTR.
class CCBstr
{
public:
    CCBstr() = default;
    explicit CCBstr(BSTR value) : m_bstr(value) {}
    CCBstr(CCBstr&& other) noexcept : m_bstr(other.detach()) {}
    CCBstr& operator=(CCBstr&& other) noexcept
    {
        if (this != &other)
        {
            reset();
            m_bstr = other.detach();
        }
        return *this;
    }
    CCBstr(const CCBstr&) = delete;
    CCBstr& operator=(const CCBstr&) = delete;
    ~CCBstr() { reset(); }

    BSTR get() const { return m_bstr; }
    BSTR* put()
    {
        reset();
        return &m_bstr;
    }
    BSTR detach() { return std::exchange(m_bstr, nullptr); }
    void reset()
    {
        if (BSTR b = detach())
        {
            DWORD dwError = GetLastError();
            SysFreeString(b);
            SetLastError(dwError);
        }
    }

private:
    BSTR m_bstr = nullptr;
};

// Initialises COM for the calling thread for the owner's lifetime.
class CCComApartment
{
public:
    explicit CCComApartment(DWORD dwCoInit) : m_hr(CoInitializeEx(nullptr, dwCoInit)) {}
    CCComApartment(const CCComApartment&) = delete;
    CCComApartment& operator=(const CCComApartment&) = delete;
    ~CCComApartment()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};
