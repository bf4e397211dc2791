#include "platform/RegistryError.h"
#include "platform/RegistryFile.h"
#include "platform/TempDir.h"
#include "store/StoreLocation.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace mq {
namespace {

// Get_OE_Directory over a registry file holding `sections` (after the editor's header).
std::string storeFolderFrom(const std::string& sections) {
    test::TempDir dir;
    test::writeFile(dir.path() / "user.reg",
                    "Windows Registry Editor Version 5.00\r\n\r\n" + sections);
    const AnsiCodePage westernPage(1252);  // the registry keeps a reference
    RegistryFile registry(dir.path() / "user.reg", westernPage);
    return Get_OE_Directory(registry);
}

const std::string identity =
    "[HKEY_CURRENT_USER\\Identities]\r\n"
    "\"Default User ID\"=\"{A1B2}\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\{A1B2}\\Software\\Microsoft\\Outlook Express\\5.0]\r\n"
    "\"Store Root\"=\"C:\\\\Identity\\\\Store\"\r\n\r\n";

TEST(StoreLocation, GlobalRootFirstThenTheDefaultIdentity) {
    EXPECT_EQ(storeFolderFrom(identity), "C:\\Identity\\Store");
    EXPECT_EQ(
        storeFolderFrom(identity + "[HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express]\r\n"
                                   "\"Store Root\"=\"D:\\\\Global\"\r\n"),
        "D:\\Global");
    // An empty global value falls through to the identity.
    EXPECT_EQ(
        storeFolderFrom(identity + "[HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express]\r\n"
                                   "\"Store Root\"=\"\"\r\n"),
        "C:\\Identity\\Store");
}

TEST(StoreLocation, MissingKeysGiveAnEmptyFolder) {
    EXPECT_EQ(storeFolderFrom(""), "");
    // Without a default identity the path has an empty id: "\Identities\\Software...".
    EXPECT_EQ(storeFolderFrom("[HKEY_CURRENT_USER\\Identities\\{A1B2}\\Software\\Microsoft\\"
                              "Outlook Express\\5.0]\r\n\"Store Root\"=\"C:\\\\x\"\r\n"),
              "");
}

TEST(StoreLocation, RootIsExpandedAndNonTextRaises) {
    ::setenv("MQ_STORE_TEST_PROFILE", "/home/ann", 1);
    ::unsetenv("MQ_STORE_TEST_UNDEFINED");
    EXPECT_EQ(storeFolderFrom("[HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express]\r\n"
                              "\"Store Root\"=\"%MQ_STORE_TEST_PROFILE%\\\\Mail "
                              "%MQ_STORE_TEST_UNDEFINED%\"\r\n"),
              "/home/ann\\Mail %MQ_STORE_TEST_UNDEFINED%");
    try {
        storeFolderFrom(
            "[HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express]\r\n"
            "\"Store Root\"=dword:00000001\r\n");
        ADD_FAILURE() << "no error for a number";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Store Root'");
    }
}

}  // namespace
}  // namespace mq
