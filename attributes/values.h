// Reading a layer's attribute values as the classification and find
// commands need them: numbers out of the stored text, and the sorted
// distinct values of a field.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/layer_store.h"

namespace zemba {

// Field types whose values are whole numbers / any numbers.
bool IsIntegerFieldType(std::uint8_t dataType);
bool IsNumericFieldType(std::uint8_t dataType);

// "Integer", "Float" or "String", as the classification caption names it.
const char* FieldTypeWord(std::uint8_t dataType);

// Layer `layer` exists in the store with field `field` (shapes may still lack
// values: ValueOf gives them the empty text).
bool HasField(const LayerStore& store, int layer, int field);

// Value of field `field` of shape `shape`; a missing value is empty.
const std::string& ValueOf(const ShpLayer& layer, int shape, int field);

// The text as a number: integer fields take whole numbers only, the others
// any decimal number. Blanks around it are allowed; null markers ("x"),
// empty text and anything else give false.
bool ParseNumber(const std::string& text, bool integer, double& out);

// Distinct values of a field, in list order, with the position of each.
struct DistinctValueList {
    std::vector<std::string> Values;
    std::unordered_map<std::string, int> Position;
    bool Numeric = false;  // sorted by number
    int Skipped = 0;       // values of a numeric field that were not numbers
};

// Every shape's value of the field, sorted and each kept once. Text sorts
// without regard to case with the case-sensitive order breaking ties, so
// "abc" and "ABC" stay two entries and equal texts sit together. Numeric
// fields sort by number; their values that are not numbers (null markers,
// empty text) are left out and counted in Skipped.
DistinctValueList DistinctValues(const LayerStore& store, int layer, int field);

}  // namespace zemba
