// IWbemClassObject: a class or instance of the host (repository/cim_object.h) as WMI
// hands it to a provider or a client.
//
// A class made by SpawnDerivedClass is being defined, as a class provider defines the
// classes it supplies: Put gives it its name (__CLASS) and new properties (with their CIM
// type), and its qualifier sets and its properties' take Put. Every other class keeps its
// definition: the host changes none of the repository's.
#pragma once

#include <wbemcli.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "com/host_com_object.h"
#include "repository/cim_object.h"

namespace norvwmi {

class ClassObject final : public ComObject<ClassObject, IWbemClassObject> {
public:
    explicit ClassObject(CimObject object);

    // The host's own object behind an interface pointer; nullptr for an object of
    // another implementation. No reference is added.
    static ClassObject* Implementation(IWbemClassObject* object);
    // A copy of the object as it is now.
    CimObject Snapshot() const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;

    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet** qualifiers) override;
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                  LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override;
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue,
                                       SAFEARRAY** names) override;
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG flags) override;
    HRESULT STDMETHODCALLTYPE Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type,
                                   LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE EndEnumeration() override;
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR property,
                                                      IWbemQualifierSet** qualifiers) override;
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject** copy) override;
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG flags, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) override;
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG flags, IWbemClassObject** instance) override;
    HRESULT STDMETHODCALLTYPE CompareTo(LONG flags, IWbemClassObject* other) override;
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR name, BSTR* className) override;
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR ancestor) override;
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** inSignature,
                                        IWbemClassObject** outSignature) override;
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR name, LONG flags, IWbemClassObject* inSignature,
                                        IWbemClassObject* outSignature) override;
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG flags) override;
    HRESULT STDMETHODCALLTYPE NextMethod(LONG flags, BSTR* name, IWbemClassObject** inSignature,
                                         IWbemClassObject** outSignature) override;
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override;
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR method,
                                                    IWbemQualifierSet** qualifiers) override;
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR method, BSTR* className) override;

private:
    // Value, CIM type and flavor of a property or system property, as Get reports them.
    HRESULT Read(const std::string& name, VARIANT* value, CIMTYPE* type, LONG* flavor) const;
    // A class being defined: __CLASS, or a property it does not have yet.
    HRESULT Define(const std::string& name, VARIANT* value, CIMTYPE type);
    // A class being defined: the qualifier put on the class, or on `property` when given.
    HRESULT PutQualifier(const std::string* property, const Qualifier& qualifier);

    mutable std::mutex mutex_;
    CimObject object_;
    bool defining_ = false;  // made by SpawnDerivedClass
    std::optional<std::vector<std::string>> enumerated_;  // names of BeginEnumeration
    std::size_t enumerationPosition_ = 0;
};

}  // namespace norvwmi
