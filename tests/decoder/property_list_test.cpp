// Property lists: watchers and bad arguments (values, types and listing are seen
// through the decoder's services and the file input's tags).
#include <gtest/gtest.h>

#include <string>

#include "decoder/property_list.h"

namespace sonidrax::decoder {
namespace {

std::string told;

// The client is the watcher's label; integer values only, "-" for a deletion.
void Record(void* label, const char* name, const void* value) {
    told += std::string(static_cast<const char*>(label)) + " " + name + " " +
            (value == nullptr ? "-" : std::to_string(*static_cast<const std::int32_t*>(value))) + ", ";
}

TEST(PropertyList, WatchersOfTheNameAreToldNewestFirstUntilRemovedAndNotOfClearing) {
    PropertyList* list = nullptr;
    ASSERT_EQ(CreatePropertyList(&list), kSuccess);
    char older[] = "older", newer[] = "newer", other[] = "other";
    PropertyWatcher *h1 = nullptr, *h2 = nullptr, *h3 = nullptr, *none = reinterpret_cast<PropertyWatcher*>(&told);
    told.clear();
    EXPECT_EQ(
        (std::vector<Status>{RemovePropertyWatcher(list, none), AddPropertyWatcher(list, "n", older, Record, &h1),
                             AddPropertyWatcher(list, "n", newer, Record, &h2),
                             AddPropertyWatcher(list, "m", other, Record, &h3), SetIntegerProperty(list, "n", 42),
                             DeleteProperty(list, "n"), DeleteProperty(list, "n"), RemovePropertyWatcher(list, none),
                             RemovePropertyWatcher(list, h2), SetIntegerProperty(list, "n", 7)}),
        (std::vector<Status>{kNotAvailable, kSuccess, kSuccess, kSuccess, kSuccess, kSuccess, kNoSuchProperty,
                             kNotAvailable, kSuccess, kSuccess}));
    ClearProperties(list);  // tells nobody, and the watchers outlive it
    std::int32_t value = 0;
    EXPECT_EQ(GetIntegerProperty(list, "n", &value), kNoSuchProperty);
    ASSERT_EQ(SetIntegerProperty(list, "n", 8), kSuccess);
    EXPECT_EQ(told, "newer n 42, older n 42, newer n -, older n -, older n 7, older n 8, ");
    EXPECT_EQ(DestroyPropertyList(list), kSuccess);
}

TEST(PropertyList, InvalidArgumentsAndTooSmallBuffersAreRefused) {
    PropertyList* list = nullptr;
    ASSERT_EQ(CreatePropertyList(&list), kSuccess);
    char text[10] = "untouched";
    PropertyWatcher* h = nullptr;
    ASSERT_EQ(SetStringProperty(list, "ten", "0123456789"), kSuccess);
    EXPECT_EQ((std::vector<Status>{SetIntegerProperty(nullptr, "a", 1), SetIntegerProperty(list, nullptr, 1),
                                   SetStringProperty(list, "a", nullptr), GetIntegerProperty(list, "a", nullptr),
                                   GetStringProperty(list, nullptr, text), DeleteProperty(nullptr, "a"),
                                   AddPropertyWatcher(list, "a", nullptr, nullptr, &h),
                                   AddPropertyWatcher(list, "a", nullptr, Record, nullptr),
                                   RemovePropertyWatcher(list, nullptr), ListProperties(list, nullptr),
                                   CreatePropertyList(nullptr), GetStringProperty(list, "ten", text, sizeof text)}),
              std::vector<Status>(12, kInvalidParameters));
    EXPECT_STREQ(text, "untouched");  // no room for the text and its NUL
    ClearProperties(nullptr);
    EXPECT_EQ(DestroyPropertyList(list), kSuccess);
}

}  // namespace
}  // namespace sonidrax::decoder
