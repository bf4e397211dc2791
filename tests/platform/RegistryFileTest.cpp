#include "platform/RegistryError.h"
#include "platform/RegistryFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const AnsiCodePage& page1252() {
    static const AnsiCodePage page(1252);
    return page;
}

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

std::optional<RegValue> query(RegistryFile& registry, std::string_view key, std::string_view name) {
    RegistryKeyPtr handle = registry.openKey(key);
    if (!handle) return std::nullopt;
    return registry.queryValue(*handle, name);
}

void expectValue(RegistryFile& registry, std::string_view key, std::string_view name, RegType type,
                 const std::string& data) {
    const std::optional<RegValue> value = query(registry, key, name);
    ASSERT_TRUE(value) << key << " " << name;
    EXPECT_EQ(value->type, type) << name;
    EXPECT_EQ(value->data, data) << name;
}

const char* const kEveryType =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; written by hand\n"
    "[HKEY_CURRENT_USER\\Software\\Test]\n"
    "@=\"default\"\n"
    "\"Text\"=\"C:\\\\Mail \\\"x\\\" caf\xC3\xA9\"\n"
    "\"Expand\"=hex(2):25,00,55,00,53,00,45,00,52,00,25,00,00,00\n"
    "\"Number\"=dword:0000002a\n"
    "\"Blob\"=hex:01,02,\\\n"
    "  ff\n"
    "\"Multi\"=hex(7):61,00,00,00,00,00\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,80\n"
    "\"Nothing\"=hex(0):\n"
    "\"Empty\"=\"\"\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
    "\"Kept\"=\"yes\"\n";

void expectEveryType(RegistryFile& registry) {
    const std::string key = "Software\\Test";
    expectValue(registry, key, "", RegType::Sz, "default");
    expectValue(registry, key, "Text", RegType::Sz, "C:\\Mail \"x\" caf\xE9");
    expectValue(registry, key, "Expand", RegType::ExpandSz, "%USER%");
    expectValue(registry, key, "Number", RegType::Dword, bytes({0x2a, 0, 0, 0}));
    expectValue(registry, key, "Blob", RegType::Binary, bytes({1, 2, 0xff}));
    expectValue(registry, key, "Multi", RegType::MultiSz, bytes({0x61, 0, 0, 0, 0, 0}));
    expectValue(registry, key, "Big", RegType::Qword, bytes({1, 0, 0, 0, 0, 0, 0, 0x80}));
    expectValue(registry, key, "Nothing", RegType::None, "");
    expectValue(registry, key, "Empty", RegType::Sz, "");
}

TEST(RegistryFile, EveryTypeSurvivesSaveAndReload) {
    TempDir dir;
    const auto file = dir.path() / "user.reg";
    writeFile(file, kEveryType);
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
    {
        RegistryFile registry(file, page1252());
        expectEveryType(registry);
        RegistryKeyPtr key = registry.createKey("\\Software\\Test\\New");
        registry.setString(*key, "Every byte", everyByte);
        registry.setString(*key, "With NUL", std::string("a\0b", 3));
        registry.setString(*key, "Plain \xE9", "x");
        registry.closeKey(std::move(key));
    }
    RegistryFile reloaded(file, page1252());
    expectEveryType(reloaded);
    expectValue(reloaded, "Software\\Test\\New", "Every byte", RegType::Sz, everyByte);
    expectValue(reloaded, "Software\\Test\\New", "With NUL", RegType::Sz, std::string("a\0b", 3));
    expectValue(reloaded, "Software\\Test\\New", "Plain \xE9", RegType::Sz, "x");
    // Keys under other roots are not reachable but are written back.
    EXPECT_NE(readFile(file).find("[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"Kept\"=\"yes\""),
              std::string::npos);
    EXPECT_EQ(reloaded.openKey("Software\\Other"), nullptr);
}

std::string utf16leWithBom(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(RegistryFile, ReadsAnExportedUtf16FileAsItStandsAndKeepsItsValues) {
    TempDir dir;
    const auto file = dir.path() / "user.reg";
    const std::string exported =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Identities]\r\n"
        "\"Default User ID\"=\"{A1B2}\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Identities\\{A1B2}\\Software\\Microsoft\\Outlook Express\\5.0]\r\n"
        "\"Store Root\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,\\\r\n"
        "  4c,00,45,00,25,00,5c,00,4d,00,61,00,69,00,6c,00,00,00\r\n"
        "\"Compact\"=dword:00000001\r\n\r\n";
    writeFile(file, utf16leWithBom(exported));
    const std::string identity = "Identities\\{A1B2}\\Software\\Microsoft\\Outlook Express\\5.0";
    {
        RegistryFile registry(file, page1252());
        expectValue(registry, "Identities", "Default User ID", RegType::Sz, "{A1B2}");
        expectValue(registry, identity, "Store Root", RegType::ExpandSz, "%USERPROFILE%\\Mail");
        expectValue(registry, identity, "Compact", RegType::Dword, bytes({1, 0, 0, 0}));
        RegistryKeyPtr key = registry.createKey("Software\\Tarnwick Software\\Mailquarry");
        registry.closeKey(std::move(key));
    }
    const std::string saved = readFile(file);
    EXPECT_TRUE(saved.starts_with("Windows Registry Editor Version 5.00\r\n"));  // UTF-8 now
    RegistryFile reloaded(file, page1252());
    expectValue(reloaded, "Identities", "Default User ID", RegType::Sz, "{A1B2}");
    expectValue(reloaded, identity, "Store Root", RegType::ExpandSz, "%USERPROFILE%\\Mail");
    expectValue(reloaded, identity, "Compact", RegType::Dword, bytes({1, 0, 0, 0}));
    EXPECT_NE(reloaded.openKey("Software\\Tarnwick Software\\Mailquarry"), nullptr);
}

TEST(RegistryFile, KeyAndValueNamesIgnoreLetterCase) {
    TempDir dir;
    const auto file = dir.path() / "user.reg";
    writeFile(file,
              "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express]\n"
              "\"Store Root\"=\"C:\\\\Mail\"\n"
              "\"\xC3\x89t\xC3\xA9\"=\"summer\"\n");
    RegistryFile registry(file, page1252());
    expectValue(registry, "\\SOFTWARE\\microsoft\\OUTLOOK express", "store root", RegType::Sz,
                "C:\\Mail");
    expectValue(registry, "Software\\Microsoft\\Outlook Express", "\xC9T\xC9", RegType::Sz,
                "summer");
    // Parents without a section of their own exist, as in the registry.
    EXPECT_NE(registry.openKey("software"), nullptr);
    EXPECT_NE(registry.openKey("Software\\Microsoft\\"), nullptr);
    EXPECT_EQ(registry.openKey("Software\\Micro"), nullptr);
    EXPECT_EQ(registry.openKey("Identities\\\\Software"), nullptr);
    EXPECT_FALSE(query(registry, "Software\\Microsoft\\Outlook Express", "Store"));

    RegistryKeyPtr key = registry.createKey("software\\MICROSOFT\\outlook express");
    registry.setString(*key, "STORE ROOT", "D:\\Other");
    registry.closeKey(std::move(key));
    const std::string saved = readFile(file);
    EXPECT_EQ(saved.find("OUTLOOK"), std::string::npos);  // one key, one value, first spelling
    EXPECT_NE(saved.find("\"Store Root\"=\"D:\\\\Other\""), std::string::npos);
    RegistryFile reloaded(file, page1252());
    expectValue(reloaded, "Software\\Microsoft\\Outlook Express", "Store Root", RegType::Sz,
                "D:\\Other");
}

TEST(RegistryFile, ReadStringTakesTextsAndRefusesOtherTypes) {
    TempDir dir;
    const auto file = dir.path() / "user.reg";
    writeFile(file,
              "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n"
              "\"Sz\"=\"plain\"\n\"Ex\"=hex(2):25,00,41,00,25,00,00,00\n"
              "\"Cut\"=hex(1):61,00,00,00,62,00,00,00\n\"Dw\"=dword:00000001\n");
    RegistryFile registry(file, page1252());
    RegistryKeyPtr key = registry.openKey("K");
    ASSERT_TRUE(key);
    EXPECT_EQ(registry.readString(*key, "Sz"), "plain");
    EXPECT_EQ(registry.readString(*key, "Ex"), "%A%");
    EXPECT_EQ(registry.readString(*key, "Cut"), "a");
    EXPECT_EQ(registry.readString(*key, "Missing"), "");
    try {
        registry.readString(*key, "Dw");
        FAIL() << "a dword read as text";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'Dw'");
    }
}

TEST(RegistryFile, UnreadableFileIsReportedByEveryOperationAndNeverOverwritten) {
    const std::string broken[] = {
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"A\"=dword:xyz\n",
        "Windows Registry Editor Version 5.00\n\n\"A\"=\"value outside a key\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"A\"=\"open\n",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"A\"=\"\xE9\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"A\"=hex:01,\\\n",
    };
    const int lines[] = {3, 3, 3, 1, 3, 3};
    for (std::size_t i = 0; i < std::size(broken); ++i) {
        TempDir dir;
        const auto file = dir.path() / "user.reg";
        writeFile(file, broken[i]);
        {
            RegistryFile registry(file, page1252());
            const std::string where = file.string();
            const auto expectReported = [&](auto&& operation) {
                try {
                    operation();
                    ADD_FAILURE() << "case " << i << " not reported";
                } catch (const RegistryError& error) {
                    const std::string text = error.what();
                    EXPECT_NE(text.find(where), std::string::npos) << text;
                    EXPECT_NE(text.find("line " + std::to_string(lines[i])), std::string::npos)
                        << text;
                }
            };
            expectReported([&] { registry.openKey("K"); });
            expectReported([&] { registry.createKey("Software\\Tarnwick Software\\Mailquarry"); });
            expectReported([&] { registry.flush(); });
        }
        EXPECT_EQ(readFile(file), broken[i]) << "case " << i;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
}

TEST(RegistryFile, MissingFileIsEmptyAndSavingLeavesNoTemporaryFile) {
    TempDir dir;
    const auto file = dir.path() / "config" / "mailquarry" / "user.reg";
    {
        RegistryFile registry(file, page1252());
        EXPECT_EQ(registry.openKey("Software"), nullptr);
        EXPECT_FALSE(std::filesystem::exists(file));  // reading creates nothing
        RegistryKeyPtr key = registry.createKey("Software\\Tarnwick Software\\Mailquarry\\View");
        registry.setString(*key, "Toolbar", "0");
        registry.closeKey(std::move(key));
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"user.reg"});
    RegistryFile reloaded(file, page1252());
    expectValue(reloaded, "Software\\Tarnwick Software\\Mailquarry\\View", "Toolbar", RegType::Sz,
                "0");
}

TEST(RegistryFile, ChangesMadeByOthersMeanwhileAreSeenAndKept) {
    TempDir dir;
    const auto file = dir.path() / "user.reg";
    writeFile(file,
              "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Identities]\n"
              "\"Default User ID\"=\"{OLD}\"\n");
    RegistryFile registry(file, page1252());
    expectValue(registry, "Identities", "Default User ID", RegType::Sz, "{OLD}");
    RegistryKeyPtr key = registry.createKey("Software\\Tarnwick Software\\Mailquarry\\View");
    registry.setString(*key, "Toolbar", "0");

    // Someone else edits the file while the program runs: a new default identity, and a
    // text outside the ANSI page that the program cannot even represent.
    writeFile(file,
              "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Identities]\n"
              "\"Default User ID\"=\"{NEW-ID}\"\n\"Wide\"=\"\xE4\xB8\xAD\"\n");
    expectValue(registry, "Identities", "Default User ID", RegType::Sz, "{NEW-ID}");
    registry.closeKey(std::move(key));

    const std::string saved = readFile(file);
    EXPECT_NE(saved.find("\"Wide\"=\"\xE4\xB8\xAD\""), std::string::npos) << saved;
    RegistryFile reloaded(file, page1252());
    expectValue(reloaded, "Identities", "Default User ID", RegType::Sz, "{NEW-ID}");
    expectValue(reloaded, "Software\\Tarnwick Software\\Mailquarry\\View", "Toolbar", RegType::Sz,
                "0");
}

TEST(RegistryFile, SavingThroughALinkKeepsTheLink) {
#ifdef _WIN32
    GTEST_SKIP() << "a registry file linked from elsewhere is a habit of POSIX home folders; "
                    "Windows has the real registry";
#endif
    TempDir dir;
    const auto target = dir.path() / "dotfiles.reg";
    const auto link = dir.path() / "user.reg";
    writeFile(target, "Windows Registry Editor Version 5.00\n");
    std::filesystem::create_symlink(target, link);
    {
        RegistryFile registry(link, page1252());
        registry.closeKey(registry.createKey("K"));
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(readFile(target).find("[HKEY_CURRENT_USER\\K]"), std::string::npos);

    // A link to a file yet to be made, in a folder yet to be made: the file is made there.
    const auto dangling = dir.path() / "new.reg";
    std::filesystem::create_symlink(std::filesystem::path("dotfiles") / "user.reg", dangling);
    {
        RegistryFile registry(dangling, page1252());
        registry.closeKey(registry.createKey("K"));
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_NE(readFile(dir.path() / "dotfiles" / "user.reg").find("[HKEY_CURRENT_USER\\K]"),
              std::string::npos);
}

TEST(RegistryFile, AReadOnlyFileIsNotReplaced) {
    TempDir dir;
    const auto file = dir.path() / "user.reg";
    const std::string content = "Windows Registry Editor Version 5.00\n";
    writeFile(file, content);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    {
        RegistryFile registry(file, page1252());
        try {
            registry.closeKey(registry.createKey("K"));
            ADD_FAILURE() << "saved into a read-only file";
        } catch (const RegistryError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot write the registry file " + file.string() +
                                                     ": the file is read-only");
        }
    }
    EXPECT_EQ(readFile(file), content);
}

}  // namespace
}  // namespace mq
