// The one engine that writes an instance of any served class from its columns
// (instance_columns.h): each column the data has, in the table's order, with the putter of
// its CIM type. The first put that fails ends the fill with WBEM_E_FAILED; the columns after
// it are not written.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <cstddef>

#include "host/instance_columns.h"
#include "host/wbem_status.h"
#include "platform/wmi_property.h"

namespace norv::win {

// A new instance of `classObject` with `fill(entry, instance)` written onto it: WBEM_E_FAILED
// without a class (before Initialize), the spawn's failure, or the fill's answer.
template <typename Entry, typename Fill>
HRESULT MakeInstance(IWbemClassObject* classObject, const Entry& entry, Fill&& fill,
                     ComPtr<IWbemClassObject>& instance) {
    if (!classObject) return kWbemFailed;
    NORV_RETURN_IF_FAILED(classObject->SpawnInstance(0, instance.put()));
    return fill(entry, instance);
}

// Puts one column's value with the putter of its type; WBEM_E_FAILED for a value of another
// kind than the type is written from.
HRESULT PutColumnValue(const WbemObject& instance, const wchar_t* name, CimType type,
                       const ColumnValue& value);

template <typename Data, std::size_t Size>
HRESULT FillFromColumns(const std::array<Column<Data>, Size>& columns, const Data& data,
                        const WbemObject& instance) {
    for (const Column<Data>& column : columns) {
        if (!column.WrittenFor(data)) continue;
        if (FAILED(PutColumnValue(instance, column.name, column.type, column.value(data)))) {
            return kWbemFailed;
        }
    }
    return kWbemNoError;
}

}  // namespace norv::win
