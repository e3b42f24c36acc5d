// The ten exports of the built module, loaded as the host loads it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "cp932_to_utf8.h"
#include "plugin_exports.h"
#include "plugin_module.h"

namespace {

constexpr std::int32_t expected_component_id = 1084227888;  // 0x40A00130

class PluginExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin().loaded()) << "cannot load the plug-in from '" << plugin().path() << "'";
        for (const export_entry& e : plugin_exports)
            ASSERT_NE(plugin().entry(native_name(e)), nullptr) << native_name(e) << " is not exported";
    }

    static const plugin_module& plugin() { return loaded_plugin(); }

    template <typename Function>
    static Function find(unsigned ordinal) {
        for (const export_entry& e : plugin_exports)
            if (e.ordinal == ordinal) return plugin().function<Function>(native_name(e));
        return nullptr;
    }

    // Every identifier that differs from the plug-in interface's in exactly one byte.
    static std::vector<std::array<unsigned char, 16>> one_byte_off_ids() {
        std::vector<std::array<unsigned char, 16>> ids;
        for (int i = 0; i < 16; ++i) {
            std::array<unsigned char, 16> id;
            std::memcpy(id.data(), plugin_iid_bytes, 16);
            id[i] ^= 0x01;
            ids.push_back(id);
        }
        return ids;
    }
};

TEST_F(PluginExports, HasInterfaceCountsOneComponentForTheExactIdentifierOnly) {
    auto has_interface = find<has_interface_fn>(2);
    EXPECT_EQ(has_interface(plugin_iid_bytes, 0), 1);
    for (const auto& id : one_byte_off_ids()) EXPECT_EQ(has_interface(id.data(), 0), 0);
    unsigned char last_changed[16];
    std::memcpy(last_changed, plugin_iid_bytes, 16);
    last_changed[15] = 0x27;
    EXPECT_EQ(has_interface(last_changed, 0), 0);
}

TEST_F(PluginExports, GetNameNamesComponentZeroOnly) {
    auto get_name = find<get_name_fn>(3);
    // The host application interface is never touched, so any pointer will do.
    for (host_app* app : {static_cast<host_app*>(nullptr), reinterpret_cast<host_app*>(0x10)}) {
        const char* name = get_name(plugin_iid_bytes, 0, app, 0);
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, "Orbivane");
    }
    EXPECT_EQ(get_name(plugin_iid_bytes, 1, nullptr, 0), nullptr);
    EXPECT_EQ(get_name(plugin_iid_bytes, -1, nullptr, 0), nullptr);
    for (const auto& id : one_byte_off_ids()) EXPECT_EQ(get_name(id.data(), 0, nullptr, 0), nullptr);
}

TEST_F(PluginExports, GetIdIdentifiesComponentZeroOnly) {
    auto get_id = find<get_id_fn>(6);
    EXPECT_EQ(get_id(plugin_iid_bytes, 0, 0), expected_component_id);
    EXPECT_EQ(get_id(plugin_iid_bytes, 1, 0), 0);
    for (const auto& id : one_byte_off_ids()) EXPECT_EQ(get_id(id.data(), 0, 0), 0);
}

TEST_F(PluginExports, ConstantAnswers) {
    EXPECT_EQ(find<get_interface_version_fn>(4)(0x5A5A), 25);
    EXPECT_EQ(find<get_exception_fn>(7)(1, 2), 2);
    EXPECT_EQ(find<get_text_encoding_fn>(9)(1, 2), 932);
    EXPECT_FALSE(find<has_separate_interfaces_fn>(10)(1));
    EXPECT_FALSE(find<is_resident_fn>(11)(1, 2, 3));
}

TEST_F(PluginExports, CreateInterfaceHandsOverOneCountedReference) {
    auto create_interface = find<create_interface_fn>(5);
    void* object = nullptr;
    create_interface(plugin_iid_bytes, 0, &object, 0, 0);
    ASSERT_NE(object, nullptr);
    const component_view component(object);
    EXPECT_EQ(component.add_ref(), 2u);
    EXPECT_EQ(component.component_id(), expected_component_id);
    EXPECT_EQ(component.release(), 1u);
    EXPECT_EQ(component.release(), 0u);
}

TEST_F(PluginExports, CreateInterfaceLeavesTheOutPointerAloneOtherwise) {
    auto create_interface = find<create_interface_fn>(5);
    void* const untouched = reinterpret_cast<void*>(0x0BADF00C);
    for (std::int32_t index : {1, 2, -1}) {
        void* out = untouched;
        create_interface(plugin_iid_bytes, index, &out, 0, 0);
        EXPECT_EQ(out, untouched) << "index " << index;
    }
    for (const auto& id : one_byte_off_ids()) {
        void* out = untouched;
        create_interface(id.data(), 0, &out, 0, 0);
        EXPECT_EQ(out, untouched);
    }
}

TEST_F(PluginExports, NullIdentifierOrResultPointerIsRefused) {
    EXPECT_EQ(find<has_interface_fn>(2)(nullptr, 0), 0);
    EXPECT_EQ(find<get_name_fn>(3)(nullptr, 0, nullptr, 0), nullptr);
    EXPECT_EQ(find<get_id_fn>(6)(nullptr, 0, 0), 0);
    auto create_interface = find<create_interface_fn>(5);
    void* out = nullptr;
    create_interface(nullptr, 0, &out, 0, 0);
    EXPECT_EQ(out, nullptr);
    create_interface(plugin_iid_bytes, 0, nullptr, 0, 0);  // nothing to write through: no crash
}

TEST_F(PluginExports, GetInfoFillsEveryFieldOverGarbage) {
    auto get_info = find<get_info_fn>(8);
    alignas(plugin_info) unsigned char storage[sizeof(plugin_info)];
    std::memset(storage, 0xCD, sizeof storage);
    // Constructed in place, so the record is written straight into the garbage.
    const plugin_info& info = *new (storage) plugin_info(get_info(0x1111, 0x2222));
    EXPECT_EQ(info.revision, 36088);
    EXPECT_EQ(info.second_revision, 36090);
    EXPECT_EQ(info.third_number, 1);
    EXPECT_EQ(info.zero1, 0);
    EXPECT_EQ(info.zero2, 0);
    EXPECT_EQ(info.zero3, 0);
    EXPECT_STREQ(info.name, "Orbivane");
    EXPECT_STREQ(info.author, "QUARLEX");
    EXPECT_STREQ(info.company, "QUARLEX");
    const converted_text description = cp932_to_utf8(info.description);
    ASSERT_TRUE(description.ok);
    EXPECT_EQ(description.utf8, "QTVRオブジェクトを作成するプラグイン");
    // Static texts: a second call hands out the very same storage.
    EXPECT_EQ(get_info(0, 0).description, info.description);
}

#if !defined(_WIN32)
TEST_F(PluginExports, ElfExportsCarryNoDecorationAndNothingElse) {
    for (const char* hidden : {"_get_info@12", "get_info@8", "describe_plugin", "_Z15describe_pluginv",
                               "module_instance", "handle_library_notification", "_ZTV14main_component"})
        EXPECT_EQ(plugin().entry(hidden), nullptr) << hidden;
}
#endif

}  // namespace
