// Property values across IWbemClassObject::Get and Put, by WMI's rules.
//
// Get hands out a value in its CIM type's own VARIANT type: uint8 VT_UI1; sint8, sint16
// and char16 VT_I2; uint16, sint32 and uint32 VT_I4 (uint32 as its 32 bits); sint64 and
// uint64 VT_BSTR in decimal; real32 VT_R4; real64 VT_R8; boolean VT_BOOL; string,
// datetime and reference VT_BSTR; arrays as one-dimensional SAFEARRAYs with lower bound 0;
// null as VT_NULL.
//
// Put accepts the VARIANT types of the acceptance table (variant_conversion.cpp) and then
// checks the value's range: a value the property cannot hold is WBEM_E_TYPE_MISMATCH.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "repository/cim_type.h"
#include "repository/cim_value.h"

namespace norvwmi {

// The VARIANT type Get hands out for a property (with VT_ARRAY for arrays).
VARTYPE VariantTypeOf(CimType type, bool isArray);

// `out` receives the value as the property's own VARIANT type; on failure (out of
// memory) it is left alone.
HRESULT ToVariant(const CimValue& value, CimType type, bool isArray, VARIANT& out);

// The value a VARIANT gives a property of that type: VT_NULL and VT_EMPTY give null;
// a VARIANT type the table does not accept, or a value out of the property's range,
// gives WBEM_E_TYPE_MISMATCH. The result is in the repository's normal form.
HRESULT FromVariant(const VARIANT& in, CimType type, bool isArray, CimValue& out);

// A qualifier value: booleans as VT_BOOL, integers as VT_I4, reals as VT_R8, text as
// VT_BSTR, arrays of those.
HRESULT QualifierToVariant(const CimValue& value, VARIANT& out);
HRESULT QualifierFromVariant(const VARIANT& in, CimValue& out);

}  // namespace norvwmi
