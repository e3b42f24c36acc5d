// The registry is read with the least access that reads a value: a key that allows
// its readers nothing but queries still gives QuickTime's folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "platform/platform.h"

namespace {

constexpr char key_name[] = "Software\\Orbivane registry test";

class QueryOnlyKey : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "QTSysDir", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\QT"), 6),
                  ERROR_SUCCESS);
        restrict_to("D:(A;;0x0001;;;WD)");  // everyone: KEY_QUERY_VALUE and nothing else
    }
    void TearDown() override {
        restrict_to("D:(A;;GA;;;WD)");
        RegCloseKey(key);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_name);
    }
    void restrict_to(const char* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
        LocalFree(descriptor);
    }
    HKEY key = nullptr;
};

TEST_F(QueryOnlyKey, StillGivesItsValue) {
    HKEY reading = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_name, 0, KEY_READ, &reading) == ERROR_SUCCESS) {
        RegCloseKey(reading);
        GTEST_SKIP() << "this system does not hold registry keys to their access lists";
    }
    char buffer[16] = {};
    ASSERT_TRUE(platform::native_platform().read_machine_string(key_name, "QTSysDir", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "C:\\QT");
}

}  // namespace
