// An object as MOF text, the form IWbemClassObject::GetObjectText returns and the host
// prints:
//   instance of Sensor
//   {
//   	DeviceID = "1.0.32";
//   };
// Instances show their non-null properties; classes their qualifiers, the properties they
// declare themselves (with defaults) and their methods.
#pragma once

#include <string>

#include "repository/cim_object.h"

namespace norvwmi {

// A value as a MOF literal: "text" with \\ \" \n \r \t escapes, TRUE/FALSE, decimal
// integers, reals, {a, b} for arrays, NULL.
std::string MofLiteral(const CimValue& value);

std::string ObjectText(const CimObject& object);

}  // namespace norvwmi
