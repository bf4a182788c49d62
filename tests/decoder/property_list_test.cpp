// Property lists: values, types, watchers and enumeration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/property_list.h"

namespace sonidrax::decoder {
namespace {

struct Notice {
    std::string watcher;
    std::string name;
    bool deleted;
    std::string value;  // the integer or the text, as seen through the value field
};

struct Watcher {
    std::string label;
    std::vector<Notice>* log;
    bool integer;
};

void Record(void* client, const char* name, const void* value) {
    auto* w = static_cast<Watcher*>(client);
    Notice n{w->label, name, value == nullptr, ""};
    if (value != nullptr) {
        n.value = w->integer ? std::to_string(*static_cast<const std::int32_t*>(value))
                             : std::string(*static_cast<const char* const*>(value));
    }
    w->log->push_back(n);
}

class PropertyListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CreatePropertyList(&list), kSuccess); }
    void TearDown() override { EXPECT_EQ(DestroyPropertyList(list), kSuccess); }

    std::string Text(const char* name) {
        char buffer[64] = "?";
        const Status s = GetStringProperty(list, name, buffer, sizeof buffer);
        return s == kSuccess ? buffer : "status " + std::to_string(s);
    }

    PropertyList* list = nullptr;
    std::vector<Notice> log;
};

TEST_F(PropertyListTest, ValuesKeepTheirTypes) {
    ASSERT_EQ(SetIntegerProperty(list, "mpeg/layer", 3), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "id3/title", "Song"), kSuccess);

    std::int32_t value = 0;
    EXPECT_EQ(GetIntegerProperty(list, "mpeg/layer", &value), kSuccess);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(Text("id3/title"), "Song");

    // Asking for the other type, or a missing name.
    char buffer[16];
    EXPECT_EQ(GetStringProperty(list, "mpeg/layer", buffer), kPropertyTypeMismatch);
    EXPECT_EQ(GetIntegerProperty(list, "id3/title", &value), kPropertyTypeMismatch);
    EXPECT_EQ(GetStringProperty(list, "id3/artist", buffer), kNoSuchProperty);
    EXPECT_EQ(GetIntegerProperty(list, "mpeg/level", &value), kNoSuchProperty);
}

TEST_F(PropertyListTest, TypeClashLeavesTheOldValue) {
    ASSERT_EQ(SetIntegerProperty(list, "x", 7), kSuccess);
    EXPECT_EQ(SetStringProperty(list, "x", "seven"), kPropertyTypeMismatch);
    std::int32_t value = 0;
    EXPECT_EQ(GetIntegerProperty(list, "x", &value), kSuccess);
    EXPECT_EQ(value, 7);

    ASSERT_EQ(SetStringProperty(list, "y", "why"), kSuccess);
    EXPECT_EQ(SetIntegerProperty(list, "y", 1), kPropertyTypeMismatch);
    EXPECT_EQ(Text("y"), "why");
}

TEST_F(PropertyListTest, SettingATextTwiceKeepsOnePropertyWithTheLastText) {
    ASSERT_EQ(SetStringProperty(list, "t", "first"), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "t", "second, longer than the first"), kSuccess);
    EXPECT_EQ(Text("t"), "second, longer than the first");
    PropertyEnumeration all{};
    ASSERT_EQ(ListProperties(list, &all), kSuccess);
    EXPECT_EQ(all.count, 1);
}

TEST_F(PropertyListTest, ListingGivesTheNewestFirst) {
    PropertyEnumeration all{};
    ASSERT_EQ(ListProperties(list, &all), kSuccess);
    EXPECT_EQ(all.count, 0);
    EXPECT_EQ(all.entries, nullptr);

    ASSERT_EQ(SetIntegerProperty(list, "a", 1), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "b", "bee"), kSuccess);
    ASSERT_EQ(SetIntegerProperty(list, "a", 2), kSuccess);  // an update does not move it
    ASSERT_EQ(ListProperties(list, &all), kSuccess);
    ASSERT_EQ(all.count, 2);
    EXPECT_STREQ(all.entries[0].name, "b");
    EXPECT_EQ(all.entries[0].type, kStringProperty);
    EXPECT_STREQ(all.entries[0].value.text, "bee");
    EXPECT_STREQ(all.entries[1].name, "a");
    EXPECT_EQ(all.entries[1].type, kIntegerProperty);
    EXPECT_EQ(all.entries[1].value.integer, 2);
}

TEST_F(PropertyListTest, WatchersOfTheNameAreToldNewestFirst) {
    Watcher older{"older", &log, true}, newer{"newer", &log, true}, other{"other", &log, true};
    PropertyWatcher *h1 = nullptr, *h2 = nullptr, *h3 = nullptr;
    ASSERT_EQ(AddPropertyWatcher(list, "n", &older, Record, &h1), kSuccess);
    ASSERT_EQ(AddPropertyWatcher(list, "n", &newer, Record, &h2), kSuccess);
    ASSERT_EQ(AddPropertyWatcher(list, "m", &other, Record, &h3), kSuccess);

    ASSERT_EQ(SetIntegerProperty(list, "n", 42), kSuccess);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].watcher, "newer");
    EXPECT_EQ(log[1].watcher, "older");
    EXPECT_EQ(log[0].value, "42");
    EXPECT_FALSE(log[0].deleted);
}

TEST_F(PropertyListTest, WatchersSeeTheTextThroughTheValueField) {
    Watcher w{"w", &log, false};
    PropertyWatcher* h = nullptr;
    ASSERT_EQ(AddPropertyWatcher(list, "s", &w, Record, &h), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "s", "one"), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "s", "two"), kSuccess);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].value, "one");
    EXPECT_EQ(log[1].value, "two");
}

TEST_F(PropertyListTest, DeletionTellsWatchersAndClearingTellsNobody) {
    Watcher w{"w", &log, true};
    PropertyWatcher* h = nullptr;
    ASSERT_EQ(AddPropertyWatcher(list, "d", &w, Record, &h), kSuccess);
    ASSERT_EQ(SetIntegerProperty(list, "d", 1), kSuccess);
    ASSERT_EQ(DeleteProperty(list, "d"), kSuccess);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[1].deleted);
    std::int32_t value = 0;
    EXPECT_EQ(GetIntegerProperty(list, "d", &value), kNoSuchProperty);
    EXPECT_EQ(DeleteProperty(list, "d"), kNoSuchProperty);

    ASSERT_EQ(SetIntegerProperty(list, "d", 2), kSuccess);
    log.clear();
    ClearProperties(list);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(GetIntegerProperty(list, "d", &value), kNoSuchProperty);
    // The watcher outlives the clear.
    ASSERT_EQ(SetIntegerProperty(list, "d", 3), kSuccess);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(PropertyListTest, RemovedWatchersAreNotToldAgain) {
    Watcher w{"w", &log, true};
    PropertyWatcher* h = nullptr;
    EXPECT_EQ(RemovePropertyWatcher(list, reinterpret_cast<PropertyWatcher*>(&w)), kNotAvailable);  // no watchers
    ASSERT_EQ(AddPropertyWatcher(list, "r", &w, Record, &h), kSuccess);
    EXPECT_EQ(RemovePropertyWatcher(list, reinterpret_cast<PropertyWatcher*>(&log)), kNotAvailable);
    EXPECT_EQ(RemovePropertyWatcher(list, h), kSuccess);
    ASSERT_EQ(SetIntegerProperty(list, "r", 1), kSuccess);
    EXPECT_TRUE(log.empty());
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

TEST_F(PropertyListTest, TheBoundedGetterRefusesASmallBuffer) {
    ASSERT_EQ(SetStringProperty(list, "long", "0123456789"), kSuccess);
    char small[10] = "untouched";
    EXPECT_EQ(GetStringProperty(list, "long", small, sizeof small), kInvalidParameters);
    EXPECT_STREQ(small, "untouched");
    char fits[11];
    EXPECT_EQ(GetStringProperty(list, "long", fits, sizeof fits), kSuccess);
    EXPECT_STREQ(fits, "0123456789");
}

}  // namespace
}  // namespace sonidrax::decoder
