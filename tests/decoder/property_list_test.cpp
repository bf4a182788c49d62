// Property lists: values, types, watchers and enumeration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/property_list.h"

namespace sonidrax::decoder {
namespace {

// What a watcher was told, as "label name value" or "label name deleted".
struct Watcher {
    std::string label;
    std::vector<std::string>* log;
    bool integer;
};

void Record(void* client, const char* name, const void* value) {
    auto* w = static_cast<Watcher*>(client);
    std::string seen = "deleted";
    if (value != nullptr) {
        seen = w->integer ? std::to_string(*static_cast<const std::int32_t*>(value))
                          : std::string(*static_cast<const char* const*>(value));
    }
    w->log->push_back(w->label + " " + name + " " + seen);
}

class PropertyListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CreatePropertyList(&list), kSuccess); }
    void TearDown() override { EXPECT_EQ(DestroyPropertyList(list), kSuccess); }

    std::string Value(const char* name) {
        char buffer[64] = "?";
        if (GetStringProperty(list, name, buffer, sizeof buffer) == kSuccess) return buffer;
        std::int32_t value = 0;
        const Status s = GetIntegerProperty(list, name, &value);
        return s == kSuccess ? std::to_string(value) : "status " + std::to_string(s);
    }

    PropertyList* list = nullptr;
    std::vector<std::string> log;
};

TEST_F(PropertyListTest, ValuesKeepTheirTypeAndATypeClashKeepsTheOldValue) {
    ASSERT_EQ(SetIntegerProperty(list, "n", 3), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "t", "first"), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "t", "second, longer than the first"), kSuccess);
    EXPECT_EQ(SetStringProperty(list, "n", "seven"), kPropertyTypeMismatch);
    EXPECT_EQ(SetIntegerProperty(list, "t", 1), kPropertyTypeMismatch);
    EXPECT_EQ(Value("n"), "3");
    EXPECT_EQ(Value("t"), "second, longer than the first");
    EXPECT_EQ(Value("missing"), "status -900");
    char buffer[16];
    std::int32_t value = 0;
    EXPECT_EQ(GetStringProperty(list, "n", buffer), kPropertyTypeMismatch);
    EXPECT_EQ(GetIntegerProperty(list, "t", &value), kPropertyTypeMismatch);
    // The bounded getter refuses a buffer without room for the NUL and leaves it alone.
    ASSERT_EQ(SetStringProperty(list, "ten", "0123456789"), kSuccess);
    char small[10] = "untouched";
    EXPECT_EQ(GetStringProperty(list, "ten", small, sizeof small), kInvalidParameters);
    EXPECT_STREQ(small, "untouched");
}

TEST_F(PropertyListTest, ListingGivesTheNewestFirstAndUpdatesDoNotMove) {
    PropertyEnumeration all{};
    ASSERT_EQ(ListProperties(list, &all), kSuccess);
    EXPECT_EQ(all.count, 0);
    ASSERT_EQ(SetIntegerProperty(list, "a", 1), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "b", "bee"), kSuccess);
    ASSERT_EQ(SetIntegerProperty(list, "a", 2), kSuccess);
    ASSERT_EQ(ListProperties(list, &all), kSuccess);
    ASSERT_EQ(all.count, 2);
    EXPECT_STREQ(all.entries[0].name, "b");
    EXPECT_EQ(all.entries[0].type, kStringProperty);
    EXPECT_STREQ(all.entries[0].value.text, "bee");
    EXPECT_STREQ(all.entries[1].name, "a");
    EXPECT_EQ(all.entries[1].value.integer, 2);
}

TEST_F(PropertyListTest, WatchersOfTheNameAreToldNewestFirstUntilRemoved) {
    Watcher older{"older", &log, true}, newer{"newer", &log, true}, other{"other", &log, true};
    Watcher text{"text", &log, false};
    PropertyWatcher *h1 = nullptr, *h2 = nullptr, *h3 = nullptr, *h4 = nullptr;
    EXPECT_EQ(RemovePropertyWatcher(list, reinterpret_cast<PropertyWatcher*>(&log)), kNotAvailable);  // none yet
    ASSERT_EQ(AddPropertyWatcher(list, "n", &older, Record, &h1), kSuccess);
    ASSERT_EQ(AddPropertyWatcher(list, "n", &newer, Record, &h2), kSuccess);
    ASSERT_EQ(AddPropertyWatcher(list, "m", &other, Record, &h3), kSuccess);
    ASSERT_EQ(AddPropertyWatcher(list, "s", &text, Record, &h4), kSuccess);
    ASSERT_EQ(SetIntegerProperty(list, "n", 42), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "s", "one"), kSuccess);
    ASSERT_EQ(DeleteProperty(list, "n"), kSuccess);
    EXPECT_EQ(DeleteProperty(list, "n"), kNoSuchProperty);
    EXPECT_EQ(RemovePropertyWatcher(list, reinterpret_cast<PropertyWatcher*>(&log)), kNotAvailable);
    EXPECT_EQ(RemovePropertyWatcher(list, h2), kSuccess);
    ASSERT_EQ(SetIntegerProperty(list, "n", 7), kSuccess);
    // Clearing tells nobody, and the watchers outlive it.
    ClearProperties(list);
    EXPECT_EQ(Value("s"), "status -900");
    ASSERT_EQ(SetStringProperty(list, "s", "two"), kSuccess);
    EXPECT_EQ(log, (std::vector<std::string>{"newer n 42", "older n 42", "text s one", "newer n deleted",
                                             "older n deleted", "older n 7", "text s two"}));
}

TEST_F(PropertyListTest, InvalidArgumentsAreRefused) {
    std::int32_t value = 0;
    char text[8];
    PropertyWatcher* h = nullptr;
    EXPECT_EQ(SetIntegerProperty(nullptr, "a", 1), kInvalidParameters);
    EXPECT_EQ(SetIntegerProperty(list, nullptr, 1), kInvalidParameters);
    EXPECT_EQ(SetStringProperty(list, "a", nullptr), kInvalidParameters);
    EXPECT_EQ(GetIntegerProperty(list, "a", nullptr), kInvalidParameters);
    EXPECT_EQ(GetStringProperty(list, nullptr, text), kInvalidParameters);
    EXPECT_EQ(DeleteProperty(nullptr, "a"), kInvalidParameters);
    EXPECT_EQ(AddPropertyWatcher(list, "a", nullptr, nullptr, &h), kInvalidParameters);
    EXPECT_EQ(AddPropertyWatcher(list, "a", nullptr, Record, nullptr), kInvalidParameters);
    EXPECT_EQ(RemovePropertyWatcher(list, nullptr), kInvalidParameters);
    EXPECT_EQ(ListProperties(list, nullptr), kInvalidParameters);
    EXPECT_EQ(CreatePropertyList(nullptr), kInvalidParameters);
    EXPECT_EQ(value, 0);
    ClearProperties(nullptr);
}

}  // namespace
}  // namespace sonidrax::decoder
