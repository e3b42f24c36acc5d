// The identifiers and texts the plug-in hands to the host.
#include <gtest/gtest.h>

#include <cstring>

#include "cp932_to_utf8.h"
#include "plugin/plugin_identity.h"

namespace {

TEST(PluginIdentity, InterfaceIdentifierHasTheHostsByteOrder) {
    const unsigned char host_bytes[16] = {0x69, 0x7D, 0xE4, 0x50, 0x22, 0x89, 0xD1, 0x11,
                                          0x9A, 0x00, 0x00, 0xC0, 0x4F, 0xCC, 0x9C, 0x26};
    EXPECT_EQ(std::memcmp(&plugin_interface_id, host_bytes, 16), 0);
    EXPECT_TRUE(is_plugin_interface_id(host_bytes));
    unsigned char first_changed[16];
    std::memcpy(first_changed, host_bytes, 16);
    first_changed[0] = 0x6A;
    EXPECT_FALSE(is_plugin_interface_id(first_changed));
}

TEST(PluginIdentity, DescriptionIsCodePage932) {
    const converted_text text = cp932_to_utf8(product_description);
    ASSERT_TRUE(text.ok) << "not valid CP932";
    EXPECT_EQ(text.utf8, "QTVRオブジェクトを作成するプラグイン");
    // Written as CP932 bytes, not as UTF-8: each kana is two bytes, not three.
    EXPECT_EQ(std::strlen(product_description), 4u + 2 * 16);
}

}  // namespace
