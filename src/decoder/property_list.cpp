#include "decoder/property_list.h"

#include <cstring>
#include <new>

#include "decoder/text.h"

namespace sonidrax::decoder {

struct Property {
    char* name;
    std::int32_t type;
    union {
        std::int32_t integer;
        char* text;
    } value;
    Property* next;
};

struct PropertyWatcher {
    char* name;
    void* client;
    PropertyWatchCallback callback;
    PropertyWatcher* next;
};

struct PropertyList {
    Property* properties = nullptr;       // newest first
    PropertyWatcher* watchers = nullptr;  // newest first
    PropertyEntry* lastEnumeration = nullptr;
};

namespace {

Property* Find(const PropertyList* list, const char* name) {
    for (Property* p = list->properties; p != nullptr; p = p->next) {
        if (std::strcmp(p->name, name) == 0) return p;
    }
    return nullptr;
}

void FreeProperty(Property* p) {
    if (p->type == kStringProperty) FreeText(p->value.text);
    FreeText(p->name);
    delete p;
}

// The watchers see the value field itself: the integer, or the pointer to the text.
void TellWatchers(const PropertyList* list, const Property* p, bool deleted) {
    const void* value = nullptr;
    if (!deleted)
        value = (p->type == kIntegerProperty) ? static_cast<const void*>(&p->value.integer)
                                              : static_cast<const void*>(&p->value.text);
    for (const PropertyWatcher* w = list->watchers; w != nullptr; w = w->next) {
        if (std::strcmp(w->name, p->name) == 0) w->callback(w->client, p->name, value);
    }
}

Property* AddFirst(PropertyList* list, const char* name, std::int32_t type) {
    auto* p = new (std::nothrow) Property{};
    if (p == nullptr) return nullptr;
    p->name = CopyText(name);
    if (p->name == nullptr) {
        delete p;
        return nullptr;
    }
    p->type = type;
    p->next = list->properties;
    list->properties = p;
    return p;
}

}  // namespace

Status CreatePropertyList(PropertyList** listOut) {
    if (listOut == nullptr) return kInvalidParameters;
    *listOut = new (std::nothrow) PropertyList{};
    return *listOut == nullptr ? kOutOfMemory : kSuccess;
}

Status DestroyPropertyList(PropertyList* list) {
    if (list == nullptr) return kSuccess;
    ClearProperties(list);
    while (list->watchers != nullptr) {
        PropertyWatcher* w = list->watchers;
        list->watchers = w->next;
        FreeText(w->name);
        delete w;
    }
    delete[] list->lastEnumeration;
    delete list;
    return kSuccess;
}

Status SetIntegerProperty(PropertyList* list, const char* name, std::int32_t value) {
    if (list == nullptr || name == nullptr) return kInvalidParameters;
    Property* p = Find(list, name);
    Status result = kSuccess;
    if (p == nullptr) {
        p = AddFirst(list, name, kIntegerProperty);
        if (p == nullptr) return kOutOfMemory;
        p->value.integer = value;
    } else if (p->type == kIntegerProperty) {
        p->value.integer = value;
    } else {
        result = kPropertyTypeMismatch;
    }
    TellWatchers(list, p, false);
    return result;
}

Status SetStringProperty(PropertyList* list, const char* name, const char* text) {
    if (list == nullptr || name == nullptr || text == nullptr) return kInvalidParameters;
    Property* p = Find(list, name);
    if (p != nullptr && p->type != kStringProperty) {
        TellWatchers(list, p, false);
        return kPropertyTypeMismatch;
    }
    char* copy = CopyText(text);
    if (copy == nullptr) return kOutOfMemory;
    if (p == nullptr) {
        p = AddFirst(list, name, kStringProperty);
        if (p == nullptr) {
            FreeText(copy);
            return kOutOfMemory;
        }
    } else {
        FreeText(p->value.text);
    }
    p->value.text = copy;
    TellWatchers(list, p, false);
    return kSuccess;
}

Status GetIntegerProperty(const PropertyList* list, const char* name, std::int32_t* valueOut) {
    if (list == nullptr || name == nullptr || valueOut == nullptr) return kInvalidParameters;
    const Property* p = Find(list, name);
    if (p == nullptr) return kNoSuchProperty;
    if (p->type != kIntegerProperty) return kPropertyTypeMismatch;
    *valueOut = p->value.integer;
    return kSuccess;
}

Status GetStringProperty(const PropertyList* list, const char* name, char* textOut) {
    if (list == nullptr || name == nullptr || textOut == nullptr) return kInvalidParameters;
    const Property* p = Find(list, name);
    if (p == nullptr) return kNoSuchProperty;
    if (p->type != kStringProperty) return kPropertyTypeMismatch;
    std::strcpy(textOut, p->value.text);
    return kSuccess;
}

Status GetStringProperty(const PropertyList* list, const char* name, char* textOut, std::size_t capacity) {
    if (list == nullptr || name == nullptr || textOut == nullptr || capacity == 0) return kInvalidParameters;
    const Property* p = Find(list, name);
    if (p == nullptr) return kNoSuchProperty;
    if (p->type != kStringProperty) return kPropertyTypeMismatch;
    const std::size_t length = std::strlen(p->value.text);
    if (length >= capacity) return kInvalidParameters;
    std::memcpy(textOut, p->value.text, length + 1);
    return kSuccess;
}

Status DeleteProperty(PropertyList* list, const char* name) {
    if (list == nullptr || name == nullptr) return kInvalidParameters;
    Property** link = &list->properties;
    while (*link != nullptr && std::strcmp((*link)->name, name) != 0) link = &(*link)->next;
    Property* p = *link;
    if (p == nullptr) return kNoSuchProperty;
    TellWatchers(list, p, true);
    // A watcher may have changed the list while it was told, so unlink afresh.
    for (link = &list->properties; *link != nullptr; link = &(*link)->next) {
        if (*link == p) {
            *link = p->next;
            FreeProperty(p);
            break;
        }
    }
    return kSuccess;
}

Status AddPropertyWatcher(PropertyList* list, const char* name, void* client, PropertyWatchCallback callback,
                          PropertyWatcher** handleOut) {
    if (list == nullptr || name == nullptr || callback == nullptr || handleOut == nullptr) {
        return kInvalidParameters;
    }
    auto* w = new (std::nothrow) PropertyWatcher{};
    if (w == nullptr) return kOutOfMemory;
    w->name = CopyText(name);
    if (w->name == nullptr) {
        delete w;
        return kOutOfMemory;
    }
    w->client = client;
    w->callback = callback;
    w->next = list->watchers;
    list->watchers = w;
    *handleOut = w;
    return kSuccess;
}

Status RemovePropertyWatcher(PropertyList* list, PropertyWatcher* handle) {
    if (list == nullptr || handle == nullptr) return kInvalidParameters;
    if (list->watchers == nullptr) return kNotAvailable;
    for (PropertyWatcher** link = &list->watchers; *link != nullptr; link = &(*link)->next) {
        if (*link == handle) {
            *link = handle->next;
            FreeText(handle->name);
            delete handle;
            return kSuccess;
        }
    }
    return kNotAvailable;
}

Status ListProperties(PropertyList* list, PropertyEnumeration* result) {
    if (list == nullptr || result == nullptr) return kInvalidParameters;
    delete[] list->lastEnumeration;
    list->lastEnumeration = nullptr;
    *result = PropertyEnumeration{0, nullptr};
    std::int32_t count = 0;
    for (const Property* p = list->properties; p != nullptr; p = p->next) ++count;
    if (count == 0) return kSuccess;
    auto* entries = new (std::nothrow) PropertyEntry[static_cast<std::size_t>(count)];
    if (entries == nullptr) return kOutOfMemory;
    std::int32_t i = 0;
    for (const Property* p = list->properties; p != nullptr; p = p->next, ++i) {
        entries[i].name = p->name;
        entries[i].type = p->type;
        if (p->type == kIntegerProperty) {
            entries[i].value.integer = p->value.integer;
        } else {
            entries[i].value.text = p->value.text;
        }
    }
    list->lastEnumeration = entries;
    *result = PropertyEnumeration{count, entries};
    return kSuccess;
}

void ClearProperties(PropertyList* list) {
    if (list == nullptr) return;
    while (list->properties != nullptr) {
        Property* p = list->properties;
        list->properties = p->next;
        FreeProperty(p);
    }
}

}  // namespace sonidrax::decoder
