// The class object of one provider class. The class table keeps one reference to it for the
// life of the module; that reference does not keep the module loaded, every further one does.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "host/com_object.h"
#include "host/provider_class_row.h"
#include "platform/critical_section.h"

namespace norv::win {

// The count of a class object: rising from one reference (the class table's) to two takes a
// module lock, falling from two to one gives it back. Count and lock change together under a
// section, so that a racing AddRef and Release cannot leave the module lock behind the count.
class ModuleLockBeyondTableReference {
public:
    ULONG Add() noexcept;
    ULONG Remove() noexcept;
    bool Initialized() const noexcept { return section_.Initialized(); }

private:
    // The count beyond which a reference holds the module: the class table's own one.
    static constexpr LONG kTableReferences = 1;

    LONG count_ = 0;
    CriticalSection section_;
};

class ClassFactory final
    : public ComObject<ClassFactory, ModuleLockBeyondTableReference, IClassFactory> {
public:
    // A new class object holding one reference, the class table's own.
    static HRESULT Create(ProviderCreator create, ClassFactory*& out) noexcept;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** out) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

private:
    explicit ClassFactory(ProviderCreator create) noexcept : create_(create) {}
    ~ClassFactory() override = default;

    ProviderCreator create_;
};

}  // namespace norv::win
