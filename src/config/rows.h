#pragma once

#include <algorithm>
#include <span>
#include <variant>

// Looking up the tables whose rows bind settings to keys and controls.
namespace valdor::config {

// The first row whose field equals value; nullptr when there is none.
template <typename Row, typename Field, typename Value>
const Row* findRow(std::span<const Row> rows, Field Row::*field, const Value& value) {
  auto found = std::find_if(rows.begin(), rows.end(), [&](const Row& row) { return row.*field == value; });
  return found == rows.end() ? nullptr : &*found;
}

// The member of record that a row's variant of member pointers names, as T.
template <typename T, typename Record, typename Members>
T& memberOf(Record& record, const Members& member) {
  return record.*std::get<T Record::*>(member);
}
template <typename T, typename Record, typename Members>
const T& memberOf(const Record& record, const Members& member) {
  return record.*std::get<T Record::*>(member);
}

}  // namespace valdor::config
