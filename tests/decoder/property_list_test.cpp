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

TEST_F(PropertyListTest, ValuesKeepTheirTypeAndAreListedNewestFirst) {
    ASSERT_EQ(SetIntegerProperty(list, "n", 3), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "t", "first"), kSuccess);
    ASSERT_EQ(SetStringProperty(list, "t", "second, longer than the first"), kSuccess);
    ASSERT_EQ(SetIntegerProperty(list, "n", 4), kSuccess);  // an update keeps its place
    char small[10] = "untouched";
    std::int32_t value = 0;
    EXPECT_EQ((std::vector<Status>{SetStringProperty(list, "n", "seven"), SetIntegerProperty(list, "t", 1),
                                   GetStringProperty(list, "n", small), GetIntegerProperty(list, "t", &value),
                                   GetStringProperty(list, "t", small, sizeof small)}),
              (std::vector<Status>{kPropertyTypeMismatch, kPropertyTypeMismatch, kPropertyTypeMismatch,
                                   kPropertyTypeMismatch, kInvalidParameters}));
    EXPECT_STREQ(small, "untouched");  // no room for the text and its NUL
    EXPECT_EQ((std::vector<std::string>{Value("n"), Value("t"), Value("missing")}),
              (std::vector<std::string>{"4", "second, longer than the first", "status -900"}));
    PropertyEnumeration all{};
    ASSERT_EQ(ListProperties(list, &all), kSuccess);
    ASSERT_EQ(all.count, 2);
    EXPECT_EQ((std::vector<std::string>{all.entries[0].name, all.entries[0].value.text, all.entries[1].name}),
              (std::vector<std::string>{"t", "second, longer than the first", "n"}));
    EXPECT_EQ(all.entries[0].type, kStringProperty);
    EXPECT_EQ(all.entries[1].value.integer, 4);
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
    EXPECT_EQ((std::vector<Status>{SetIntegerProperty(nullptr, "a", 1), SetIntegerProperty(list, nullptr, 1),
                                   SetStringProperty(list, "a", nullptr), GetIntegerProperty(list, "a", nullptr),
                                   GetStringProperty(list, nullptr, text), DeleteProperty(nullptr, "a"),
                                   AddPropertyWatcher(list, "a", nullptr, nullptr, &h),
                                   AddPropertyWatcher(list, "a", nullptr, Record, nullptr),
                                   RemovePropertyWatcher(list, nullptr), ListProperties(list, nullptr),
                                   CreatePropertyList(nullptr)}),
              std::vector<Status>(11, kInvalidParameters));
    EXPECT_EQ(value, 0);
    ClearProperties(nullptr);
}

}  // namespace
}  // namespace sonidrax::decoder
