// Named integer or text values with watchers.
//
// A PropertyList keeps its properties newest first and its watchers newest first.
// A watcher is called whenever a property of its name is set (also when the set is
// refused for a type clash) or deleted; clearing the list tells nobody.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoder/status.h"

namespace sonidrax::decoder {

struct PropertyList;
struct PropertyWatcher;  // the handle AddPropertyWatcher gives out

inline constexpr std::int32_t kStringProperty = 0;
inline constexpr std::int32_t kIntegerProperty = 1;

// Called with the watcher's client value, the property's name and a pointer to the
// property's value field: an std::int32_t for an integer property, a `const char*`
// (the pointer to its text) for a string property, or null when the property is
// being deleted.
using PropertyWatchCallback = void (*)(void* client, const char* name, const void* value);

// One entry of ListProperties: the name and text pointers belong to the list.
struct PropertyEntry {
    const char* name;
    std::int32_t type;  // kIntegerProperty or kStringProperty
    union {
        std::int32_t integer;
        const char* text;
    } value;
};

struct PropertyEnumeration {
    std::int32_t count;
    const PropertyEntry* entries;  // null when count is 0
};

Status CreatePropertyList(PropertyList** listOut);
// Removes every property without telling the watchers; null is ignored.
Status DestroyPropertyList(PropertyList* list);

Status SetIntegerProperty(PropertyList* list, const char* name, std::int32_t value);
Status GetIntegerProperty(const PropertyList* list, const char* name, std::int32_t* valueOut);
Status SetStringProperty(PropertyList* list, const char* name, const char* text);
// Copies the text with its terminator; textOut must be large enough.
Status GetStringProperty(const PropertyList* list, const char* name, char* textOut);
// The same into a buffer of capacity bytes: kInvalidParameters when it is too small.
Status GetStringProperty(const PropertyList* list, const char* name, char* textOut, std::size_t capacity);
Status DeleteProperty(PropertyList* list, const char* name);

Status AddPropertyWatcher(PropertyList* list, const char* name, void* client, PropertyWatchCallback callback,
                          PropertyWatcher** handleOut);
Status RemovePropertyWatcher(PropertyList* list, PropertyWatcher* handle);

// The array stays valid until the next enumeration or the list's destruction.
Status ListProperties(PropertyList* list, PropertyEnumeration* result);
void ClearProperties(PropertyList* list);

}  // namespace sonidrax::decoder
