// The WMI utility interfaces (the object-path parser and the query parser) and the class ids
// they are created under. mingw's <wmiutils.h> declares the interfaces but gives neither their
// ids to __uuidof nor a library that defines them, so they are spelled out here, once for the
// provider and the norvwmi host.
#pragma once

#include <windows.h>

#include <wbemcli.h>
#include <wmiutils.h>

__CRT_UUID_DECL(IWbemPath, 0x3bc15af2, 0x736c, 0x477e, 0x9e, 0x51, 0x23, 0x8a, 0xf8, 0x66, 0x7d,
                0xcc)
__CRT_UUID_DECL(IWbemPathKeyList, 0x9ae62877, 0x7544, 0x4bb0, 0xaa, 0x26, 0xa1, 0x38, 0x24, 0x65,
                0x9e, 0xd6)
__CRT_UUID_DECL(IWbemQuery, 0x81166f58, 0xdd98, 0x11d3, 0xa1, 0x20, 0x00, 0x10, 0x5a, 0x1f, 0x51,
                0x5a)

namespace norv {

// WbemDefPath: the object-path parser.
inline constexpr CLSID kPathParserClsid = {
    0xcf4cc405, 0xe2c5, 0x4ddd, {0xb3, 0xce, 0x5e, 0x75, 0x82, 0xd8, 0xc9, 0xfa}};

// WbemQuery: the query parser.
inline constexpr CLSID kQueryParserClsid = {
    0xeac8a024, 0x21e2, 0x4523, {0xad, 0x73, 0xa7, 0x1a, 0x0a, 0xa2, 0xf5, 0x6a}};

}  // namespace norv
