#pragma once

// What setting a value by its name did; the command line words it.
namespace valdor::config {

enum class SetOutcome {
  Done,
  UnknownName,   // no setting goes by the name
  InvalidValue,  // the value is not one the setting takes
  NotListed,     // a display mode the system does not list
};

}  // namespace valdor::config
