// The class object of one provider class. The class table keeps one reference to it for the
// life of the module; that reference does not keep the module loaded, every further one does.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "platform/critical_section.h"
#include "host/provider_class_row.h"

namespace norv::win {

class ClassFactory final : public IClassFactory {
public:
    // A new class object holding one reference, the class table's own.
    static HRESULT Create(ProviderCreator create, ClassFactory*& out) noexcept;
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    // The count rising from 1 to 2 takes a module lock, falling from 2 to 1 gives it back.
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** out) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

private:
    explicit ClassFactory(ProviderCreator create) noexcept : create_(create) {}
    ~ClassFactory() = default;

    // The count beyond which a reference holds the module: the class table's own one.
    static constexpr LONG kTableReferences = 1;

    ProviderCreator create_;
    LONG references_ = 0;
    CriticalSection section_;
};

}  // namespace norv::win
