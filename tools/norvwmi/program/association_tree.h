// The association graph as a tree of names that fits on one screen: each controller, its
// domain, its sensors and its collection with their members counted by class, its log with
// its records, and how many records are linked to a sensor. For example
//
//   IPMI Controller 0 (ComputerSystem)
//   ├── domain: Management Access Point (MAP) Addressing Root        SystemComponent
//   ├── devices: 40 Sensor, 7 NumericSensor                          SystemDevice
//   ├── collection: Sensor Collection                                HostedCollection
//   │   └── members: 40 Sensor, 7 NumericSensor                      MemberOfCollection
//   └── log: IPMI SEL                                                UseOfLog
//       └── records: 29                                              LogManagesRecord
//           └── linked to a sensor: 25 of 29                         RecordAppliesToElement
//
// Each line names the association class that makes it. Ends are matched by their paths as
// WMI compares them; an end no served object has is shown by its path.
#pragma once

#include <span>
#include <string>

#include "repository/cim_object.h"

namespace norvwmi {

// `served`: the instances of the served classes; `links`: the instances of the association
// classes. The text ends with a newline.
std::string AssociationTree(std::span<const CimObject> served, std::span<const CimObject> links);

}  // namespace norvwmi
