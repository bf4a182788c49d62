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

    PropertyList* list = nullptr;
    std::vector<std::string> log;
};

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
    char value[8];
    EXPECT_EQ(GetStringProperty(list, "s", value), kNoSuchProperty);
    ASSERT_EQ(SetStringProperty(list, "s", "two"), kSuccess);
    EXPECT_EQ(log, (std::vector<std::string>{"newer n 42", "older n 42", "text s one", "newer n deleted",
                                             "older n deleted", "older n 7", "text s two"}));
}

// Types, listing and the other operations are seen through the decoder's services.
TEST_F(PropertyListTest, InvalidArgumentsAndTooSmallBuffersAreRefused) {
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
}

}  // namespace
}  // namespace sonidrax::decoder
