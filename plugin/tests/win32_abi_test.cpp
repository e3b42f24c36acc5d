// The real Orbivane.dll at the machine level: export ordinals, stack clean-up
// of every export, the hidden result pointer of _get_info@12, and the
// component's table called as the host calls it (COM stdcall for IUnknown,
// thiscall with the object in ecx for everything else).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "plugin_exports.h"
#include "plugin_module.h"
#include "win32_call_probe.h"

namespace {

std::uint32_t word_of(const void* pointer) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer)); }

const void* entry_named(const char* name) { return loaded_plugin().entry(name); }

class Win32Abi : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loaded_plugin().loaded()) << "cannot load '" << loaded_plugin().path() << "'";
    }
};

TEST_F(Win32Abi, EveryExportResolvesByOrdinalToTheSameEntryAsByName) {
    for (const export_entry& e : plugin_exports) {
        void* by_name = loaded_plugin().entry(e.windows_name);
        ASSERT_NE(by_name, nullptr) << e.windows_name;
        EXPECT_EQ(loaded_plugin().entry(e.ordinal), by_name) << e.windows_name << " @" << e.ordinal;
    }
    EXPECT_EQ(loaded_plugin().entry(1u), nullptr) << "ordinal 1 stays unused";
    EXPECT_EQ(loaded_plugin().entry(12u), nullptr);
    // The undecorated stdcall names are not what the host asks for.
    for (const char* name : {"get_info", "get_info@8", "get_exception", "is_resident", "DllMain"})
        EXPECT_EQ(loaded_plugin().entry(name), nullptr) << name;
}

TEST_F(Win32Abi, ExportsCleanUpTheStackAsTheirConventionSays) {
    const std::uint32_t iid = word_of(plugin_iid_bytes);
    struct Case {
        const char* name;
        std::initializer_list<std::uint32_t> words;
        std::uint32_t popped;  // cdecl leaves its arguments; stdcall takes @N bytes
        std::uint32_t eax;
        bool boolean;  // comes back in al; the host reads only that byte
    };
    const Case cases[] = {
        {"has_interface", {iid, 0}, 0, 1, false},
        {"get_interface_version", {0}, 0, 25, false},
        {"get_id", {iid, 0, 0}, 0, 0x40A00130, false},
        {"_get_exception@8", {7, 7}, 8, 2, false},
        {"_get_text_encoding@8", {7, 7}, 8, 932, false},
        {"_has_separate_interfaces@4", {7}, 4, 0, true},
        {"_is_resident@12", {7, 7, 7}, 12, 0, true},
    };
    for (const Case& c : cases) {
        const probed_call call = probe_call(entry_named(c.name), nullptr, c.words);
        EXPECT_EQ(call.popped_bytes, c.popped) << c.name;
        EXPECT_EQ(c.boolean ? call.eax & 0xFF : call.eax, c.eax) << c.name;
    }
    const probed_call name = probe_call(entry_named("get_name"), nullptr, {iid, 0, 0, 0});
    EXPECT_EQ(name.popped_bytes, 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(name.eax), "Orbivane");
}

TEST_F(Win32Abi, GetInfoWritesThroughTheHiddenPointerAndPopsTwelveBytes) {
    std::uint32_t record[10];
    std::memset(record, 0xCD, sizeof record);
    const probed_call call = probe_call(entry_named("_get_info@12"), nullptr, {word_of(record), 0x11, 0x22});
    EXPECT_EQ(call.popped_bytes, 12u);
    EXPECT_EQ(call.eax, word_of(record)) << "the result pointer comes back in eax";
    const std::uint32_t numbers[6] = {36088, 36090, 1, 0, 0, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(record[i], numbers[i]) << "field at offset " << 4 * i;
    EXPECT_STREQ(reinterpret_cast<const char*>(record[6]), "Orbivane");
    EXPECT_STREQ(reinterpret_cast<const char*>(record[7]), "QUARLEX");
    EXPECT_STREQ(reinterpret_cast<const char*>(record[8]), "QUARLEX");
    EXPECT_EQ(std::strncmp(reinterpret_cast<const char*>(record[9]), "QTVR\x83\x49", 6), 0);
}

TEST_F(Win32Abi, ComponentTableAnswersTheHostsCallingConventions) {
    void* component = nullptr;
    const probed_call created =
        probe_call(entry_named("create_interface"), nullptr, {word_of(plugin_iid_bytes), 0, word_of(&component), 0, 0});
    EXPECT_EQ(created.popped_bytes, 0u);
    ASSERT_NE(component, nullptr);
    void* const* table = *static_cast<void* const* const*>(component);
    const std::uint32_t self = word_of(component);

    // IUnknown: stdcall, the object is the first stacked word.
    void* out = reinterpret_cast<void*>(0x0BADF00C);
    const probed_call query = probe_call(table[0], nullptr, {self, word_of(plugin_iid_bytes), word_of(&out)});
    EXPECT_EQ(query.popped_bytes, 12u);
    EXPECT_EQ(query.eax, 0x80004002u);
    EXPECT_EQ(out, reinterpret_cast<void*>(0x0BADF00C));
    const probed_call add_ref = probe_call(table[1], nullptr, {self});
    EXPECT_EQ(add_ref.popped_bytes, 4u);
    EXPECT_EQ(add_ref.eax, 2u);

    // Everything else: thiscall, the object in ecx, the callee pops its words.
    const probed_call probe = probe_call(table[4], component, {});
    EXPECT_EQ(probe.popped_bytes, 0u);
    EXPECT_EQ(probe.eax & 0xFF, 1u);
    const probed_call id = probe_call(table[5], component, {0});
    EXPECT_EQ(id.popped_bytes, 4u);
    EXPECT_EQ(id.eax, 0x40A00130u);
    const probed_call revision = probe_call(table[4 + 32], component, {});
    EXPECT_EQ(revision.popped_bytes, 0u);
    EXPECT_EQ(revision.eax, 36088u);
    char text[] = "host text";
    const probed_call emptied = probe_call(table[4 + 24], component, {word_of(text), 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(emptied.popped_bytes, 28u);
    EXPECT_EQ(emptied.eax, word_of(text));
    EXPECT_EQ(text[0], '\0');
    const probed_call nothing = probe_call(table[4 + 74], component, {1, 2, 3, 4, 5});
    EXPECT_EQ(nothing.popped_bytes, 20u);

    const probed_call release = probe_call(table[2], nullptr, {self});
    EXPECT_EQ(release.popped_bytes, 4u);
    EXPECT_EQ(release.eax, 1u);
    // The deleting destructor's slot, as the host's own Release would call it.
    const probed_call destroyed = probe_call(table[3], component, {1});
    EXPECT_EQ(destroyed.popped_bytes, 4u);
    EXPECT_EQ(destroyed.eax, self);
}

}  // namespace
