// The WMI object-path parser as the host serves it under the class id of Windows' parser
// (see utility_parsers.h): IWbemPath over one path, and IWbemPathKeyList, a live view of
// that path's keys (it keeps the path alive and sees every later change).
//
// Text getters follow one buffer rule: a null length, or a length but no buffer, is
// WBEM_E_INVALID_PARAMETER; a length of 0 asks for the size and succeeds; a buffer shorter
// than the text and its terminator gives WBEM_E_BUFFER_TOO_SMALL and the length needed; the
// length returned counts characters with the terminator. Other failures leave every
// out-parameter as it was.
//
// GetKey2 reports a quoted value as VT_BSTR / CIM_STRING, TRUE and FALSE as VT_BOOL /
// CIM_BOOLEAN, and an integer in the smallest of VT_I4 / CIM_SINT32, VT_UI4 / CIM_UINT32,
// VT_I8 / CIM_SINT64, VT_UI8 / CIM_UINT64 that holds it. GetKey hands out the same value in
// binary: UTF-16 text with its terminator, the integer's bytes, or a VARIANT_BOOL; its value
// length counts bytes.
//
// Scopes, which WMI never supported, and class parts answer E_NOTIMPL (GetScopeCount answers
// 0 and RemoveAllScopes succeeds, as no path has scopes); no provider calls them.
#pragma once

#include <mutex>

#include "com/host_com_object.h"
#include "com/utility_parser_ids.h"
#include "com/wbem_path_syntax.h"

namespace norvwmi {

class WbemPathKeyList;

class WbemPath final : public ComObject<WbemPath, IWbemPath> {
public:
    WbemPath() = default;

    HRESULT STDMETHODCALLTYPE SetText(ULONG mode, LPCWSTR text) override;
    HRESULT STDMETHODCALLTYPE GetText(LONG flags, ULONG* length, LPWSTR text) override;
    HRESULT STDMETHODCALLTYPE GetInfo(ULONG requested, ULONGLONG* response) override;
    HRESULT STDMETHODCALLTYPE SetServer(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetServer(ULONG* length, LPWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetNamespaceCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE SetNamespaceAt(ULONG index, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetNamespaceAt(ULONG index, ULONG* length, LPWSTR name) override;
    HRESULT STDMETHODCALLTYPE RemoveNamespaceAt(ULONG index) override;
    HRESULT STDMETHODCALLTYPE RemoveAllNamespaces() override;
    HRESULT STDMETHODCALLTYPE GetScopeCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE SetScope(ULONG index, LPWSTR className) override;
    HRESULT STDMETHODCALLTYPE SetScopeFromText(ULONG index, LPWSTR text) override;
    HRESULT STDMETHODCALLTYPE GetScope(ULONG index, ULONG* length, LPWSTR className,
                                       IWbemPathKeyList** keys) override;
    HRESULT STDMETHODCALLTYPE GetScopeAsText(ULONG index, ULONG* length, LPWSTR text) override;
    HRESULT STDMETHODCALLTYPE RemoveScope(ULONG index) override;
    HRESULT STDMETHODCALLTYPE RemoveAllScopes() override;
    HRESULT STDMETHODCALLTYPE SetClassName(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetClassName(ULONG* length, LPWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetKeyList(IWbemPathKeyList** keys) override;
    HRESULT STDMETHODCALLTYPE CreateClassPart(LONG flags, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE DeleteClassPart(LONG flags) override;
    BOOL STDMETHODCALLTYPE IsRelative(LPWSTR machine, LPWSTR nameSpace) override;
    BOOL STDMETHODCALLTYPE IsRelativeOrChild(LPWSTR machine, LPWSTR nameSpace, LONG flags) override;
    BOOL STDMETHODCALLTYPE IsLocal(LPCWSTR machine) override;
    BOOL STDMETHODCALLTYPE IsSameClassName(LPCWSTR className) override;

private:
    friend class WbemPathKeyList;

    // What SetText and the setters built, with the status bits they leave behind
    // (WBEMPATH_INFO_V1_COMPLIANT, _V2_COMPLIANT, _CIM_COMPLIANT, _PATH_HAD_SERVER); GetInfo
    // derives the other bits from the parts.
    struct State {
        std::wstring original;
        PathParts parts;
        ULONGLONG statusBits = 0;
    };

    bool ServerIsLocal(std::wstring_view machine) const;
    bool NamespaceIsWithin(std::wstring_view nameSpace, bool childrenToo) const;

    mutable std::mutex mutex_;
    State state_;
};

class WbemPathKeyList final : public ComObject<WbemPathKeyList, IWbemPathKeyList> {
public:
    explicit WbemPathKeyList(norv::win::ComPtr<WbemPath> path);

    HRESULT STDMETHODCALLTYPE GetCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE SetKey(LPCWSTR name, ULONG flags, ULONG cimType,
                                     LPVOID value) override;
    HRESULT STDMETHODCALLTYPE SetKey2(LPCWSTR name, ULONG flags, ULONG cimType,
                                      VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE GetKey(ULONG index, ULONG flags, ULONG* nameLength, LPWSTR name,
                                     ULONG* valueLength, LPVOID value, ULONG* cimType) override;
    HRESULT STDMETHODCALLTYPE GetKey2(ULONG index, ULONG flags, ULONG* nameLength, LPWSTR name,
                                      VARIANT* value, ULONG* cimType) override;
    HRESULT STDMETHODCALLTYPE RemoveKey(LPCWSTR name, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE RemoveAllKeys(ULONG flags) override;
    HRESULT STDMETHODCALLTYPE MakeSingleton(boolean set) override;
    HRESULT STDMETHODCALLTYPE GetInfo(ULONG requested, ULONGLONG* response) override;
    HRESULT STDMETHODCALLTYPE GetText(LONG flags, ULONG* length, LPWSTR text) override;

private:
    HRESULT StoreKey(LPCWSTR name, ULONG flags, PathKeyValue value);

    const norv::win::ComPtr<WbemPath> path_;
};

}  // namespace norvwmi
