// The host compares and orders names as the module does (platform/name_case.h).
#pragma once

#include "platform/name_case.h"

namespace norvwmi {

using norv::FoldAsciiCase;
using norv::NameLess;
using norv::SameName;

}  // namespace norvwmi
