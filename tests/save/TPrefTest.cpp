#include "save/TPref.h"

#include "platform/RegistryError.h"
#include "platform/RegistryFile.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace mq {
namespace {

using test::TempDir;
using test::writeFile;

const std::string Key = "Software\\Tarnwick Software\\Mailquarry";

std::string regFile(const std::string& settings, const std::string& view) {
    return "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\" +
           Key + "\\Settings]\r\n" + settings +
           "\r\n"
           "[HKEY_CURRENT_USER\\" +
           Key + "\\View]\r\n" + view;
}

void expectDefaults(const TPref& p) {
    EXPECT_EQ(p.Directory, "");
    EXPECT_EQ(p.Default_Extension, ".eml");
    EXPECT_EQ(p.Default_Filename, "No Subject");
    EXPECT_FALSE(p.Remove_Re);
    EXPECT_FALSE(p.CreationDate);
    EXPECT_EQ(p.FileNameDateFormat, "yyyymmdd");
    EXPECT_EQ(p.FileNameFormat, "From0,To0,Subject1,Date0,Reply_To_Address0");
    EXPECT_TRUE(p.EncloseItems);
    EXPECT_EQ(p.Column0, 150);
    EXPECT_EQ(p.Column1, 150);
    EXPECT_EQ(p.Column2, 300);
    EXPECT_EQ(p.Column3, 100);
    EXPECT_EQ(p.Column4, 140);
    EXPECT_TRUE(p.Toolbar);
    EXPECT_TRUE(p.Statusbar);
    EXPECT_EQ(p.FolderWidth, 170);
    EXPECT_EQ(p.ColumnPositions, "01234");
    EXPECT_EQ(p.ExportDirectory, "");
    EXPECT_EQ(p.ExportFormat, "mbox");
}

TEST(TPref, FirstStartGivesDefaultsAndCreatesTheEmptyKey) {
    TempDir dir;
    RegistryFile registry(dir.path() / "user.reg");
    TPref pref;
    pref.LoadFromRegistry(registry);
    expectDefaults(pref);

    RegistryFile reread(dir.path() / "user.reg");
    RegistryKeyPtr key = reread.openKey(Key);
    ASSERT_TRUE(key);
    EXPECT_FALSE(reread.openKey(Key + "\\Settings"));
}

TEST(TPref, RoundTripStoresEveryValueAsAText) {
    TempDir dir;
    TPref pref;
    {
        RegistryFile registry(dir.path() / "user.reg");
        pref.LoadFromRegistry(registry);
        pref.Directory = "/home/anne/mail";
        pref.Toolbar = false;
        pref.Column4 = -7;
        pref.ColumnPositions = "12340";
        pref.Remove_Re = true;
        pref.SaveToRegistry(registry);
    }
    RegistryFile registry(dir.path() / "user.reg");
    const std::set<std::string> settings{
        "Directory",         "Default_Extension",  "Default_Filename",    "Remove_Re",
        "CreationDate",      "FileNameDateFormat", "FileNameFormat",      "EncloseItems",
        "ExportDirectory",   "ExportFormat",       "SingleFileDirectory", "AddressFileDirectory",
        "FindWords",         "FindFields",         "FindAllFolders",      "FindDateRange",
        "FindFrom",          "FindTo"};
    // The designed nine, then the window's place and size, then the preview pane.
    const std::set<std::string> view{
        "Column0",        "Column1",         "Column2",     "Column3",
        "Column4",        "Toolbar",         "Statusbar",   "FolderWidth",
        "ColumnPosition", "WindowLeft",      "WindowTop",   "WindowWidth",
        "WindowHeight",   "WindowMaximized", "PreviewPane", "PreviewHeight"};
    int count = 0;
    for (const auto& [subkey, names] : {std::pair{"Settings", settings}, std::pair{"View", view}}) {
        RegistryKeyPtr key = registry.openKey(Key + "\\" + subkey);
        ASSERT_TRUE(key) << subkey;
        for (const std::string& name : names) {
            const std::optional<RegValue> value = registry.queryValue(*key, name);
            ASSERT_TRUE(value) << name;
            EXPECT_EQ(value->type, RegType::Sz) << name;
            ++count;
        }
    }
    EXPECT_EQ(count, 34);
    // Nothing else is written: exactly these value lines, all plain texts.
    std::istringstream file(test::readFile(dir.path() / "user.reg"));
    int valueLines = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line.front() != '"') continue;
        ++valueLines;
        EXPECT_NE(line.find("\"=\""), std::string::npos) << line;
    }
    EXPECT_EQ(valueLines, 34);
    RegistryKeyPtr viewKey = registry.openKey(Key + "\\View");
    EXPECT_EQ(registry.queryValue(*viewKey, "Toolbar")->data, "0");
    EXPECT_EQ(registry.queryValue(*viewKey, "Column4")->data, "-7");
    EXPECT_FALSE(registry.queryValue(*viewKey, "ColumnPositions"));

    TPref loaded;
    loaded.LoadFromRegistry(registry);
    EXPECT_EQ(loaded.Directory, "/home/anne/mail");
    EXPECT_FALSE(loaded.Toolbar);
    EXPECT_EQ(loaded.Column4, -7);
    EXPECT_EQ(loaded.ColumnPositions, "12340");
    EXPECT_TRUE(loaded.Remove_Re);
    EXPECT_EQ(loaded.FileNameFormat, pref.FileNameFormat);
}

TEST(TPref, ConvertsIntegerAndBooleanTexts) {
    TempDir dir;
    writeFile(
        dir.path() / "user.reg",
        regFile("\"Remove_Re\"=\"2\"\r\n\"CreationDate\"=\"-1\"\r\n\"Default_Filename\"=\"\"\r\n"
                "\"FileNameDateFormat\"=hex(2):64,00,00\r\n",
                "\"Column0\"=\"abc\"\r\n\"Column1\"=\"\"\r\n\"Column2\"=\"2147483648\"\r\n"
                "\"Column3\"=\" 42\"\r\n\"Column4\"=\"12x\"\r\n\"Toolbar\"=\"0\"\r\n"
                "\"Statusbar\"=\"yes\"\r\n\"FolderWidth\"=\"-250\"\r\n"));
    RegistryFile registry(dir.path() / "user.reg");
    TPref pref;
    pref.LoadFromRegistry(registry);
    EXPECT_TRUE(pref.Remove_Re);
    EXPECT_TRUE(pref.CreationDate);
    EXPECT_EQ(pref.Default_Filename, "") << "an empty text is a value, not a missing one";
    EXPECT_EQ(pref.FileNameDateFormat, "d") << "an expandable text is taken literally, to its NUL";
    EXPECT_TRUE(pref.EncloseItems);
    EXPECT_EQ(pref.Column0, 150);
    EXPECT_EQ(pref.Column1, 150);
    EXPECT_EQ(pref.Column2, 300) << "out of the 32-bit range";
    EXPECT_EQ(pref.Column3, 42);
    EXPECT_EQ(pref.Column4, 140);
    EXPECT_FALSE(pref.Toolbar);
    EXPECT_TRUE(pref.Statusbar);
    EXPECT_EQ(pref.FolderWidth, -250);
}

TEST(TPref, ANumberValueStopsTheLoadAndLeavesTheRestAtDefaults) {
    TempDir dir;
    writeFile(
        dir.path() / "user.reg",
        regFile("\"Directory\"=\"/srv/mail\"\r\n\"Remove_Re\"=\"1\"\r\n",
                "\"Column0\"=\"90\"\r\n\"Column1\"=dword:00000050\r\n\"Column2\"=\"10\"\r\n"));
    RegistryFile registry(dir.path() / "user.reg");
    TPref pref;
    try {
        pref.LoadFromRegistry(registry);
        FAIL() << "expected an error";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'Column1'");
    }
    EXPECT_EQ(pref.Directory, "/srv/mail");
    EXPECT_TRUE(pref.Remove_Re);
    EXPECT_EQ(pref.Column0, 90);
    // Not read: their defaults, never zero (zero widths would hide every column).
    EXPECT_EQ(pref.Column1, 150);
    EXPECT_EQ(pref.Column2, 300);
    EXPECT_EQ(pref.Column4, 140);
    EXPECT_EQ(pref.FolderWidth, 170);
    EXPECT_EQ(pref.ColumnPositions, "01234");
}

TEST(TPref, AnUnreadableRegistryFileStillLeavesDefaults) {
    TempDir dir;
    writeFile(dir.path() / "user.reg", "this is not a registry file\r\n");
    RegistryFile registry(dir.path() / "user.reg");
    TPref pref;
    EXPECT_THROW(pref.LoadFromRegistry(registry), RegistryError);
    expectDefaults(pref);
}

// Fails creating one subkey or writing one value, and records what was written.
class FailingRegistry : public RegistryFile {
public:
    using RegistryFile::RegistryFile;
    std::string failKey;
    std::string failValue;
    std::vector<std::string> written;

    RegistryKeyPtr createKey(std::string_view path) override {
        if (!failKey.empty() && path.ends_with(failKey)) {
            throw RegistryError::createKeyFailed(std::string(path));
        }
        return RegistryFile::createKey(path);
    }
    void setString(RegistryKey& key, std::string_view name, std::string_view text) override {
        if (name == failValue) throw RegistryError::setDataFailed(std::string(name));
        written.emplace_back(name);
        RegistryFile::setString(key, name, text);
    }
    void setUtf8String(RegistryKey& key, std::string_view name, std::string_view utf8) override {
        if (name == failValue) throw RegistryError::setDataFailed(std::string(name));
        written.emplace_back(name);
        RegistryFile::setUtf8String(key, name, utf8);
    }
};

TEST(TPref, SaveFailuresNameTheSubkeyOrValueAndStopThere) {
    TempDir dir;
    TPref pref;
    {
        FailingRegistry registry(dir.path() / "user.reg");
        pref.LoadFromRegistry(registry);
        registry.failKey = "\\View";
        try {
            pref.SaveToRegistry(registry);
            FAIL() << "expected an error";
        } catch (const RegistryError& error) {
            EXPECT_STREQ(error.what(), "Failed to create key View");
        }
        EXPECT_EQ(registry.written.size(), 8u) << "the Settings values were written";
    }
    FailingRegistry registry(dir.path() / "user.reg");
    registry.failValue = "Column2";
    try {
        pref.SaveToRegistry(registry);
        FAIL() << "expected an error";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Column2'");
    }
    EXPECT_EQ(registry.written.back(), "Column1");
    RegistryKeyPtr view = registry.openKey(Key + "\\View");
    ASSERT_TRUE(view);
    EXPECT_TRUE(registry.queryValue(*view, "Column1"));
    EXPECT_FALSE(registry.queryValue(*view, "Column3"));
}

#ifndef _WIN32
// Every one of the seventeen values differs between the two.
TPref numbered(int n) {
    TPref p;
    const std::string t = std::to_string(n);
    p.Directory = "dir" + t, p.Default_Extension = ".e" + t, p.Default_Filename = "name" + t;
    p.Remove_Re = p.CreationDate = p.EncloseItems = p.Toolbar = p.Statusbar = n % 2 == 1;
    p.FileNameDateFormat = "yyyy" + t, p.FileNameFormat = "Subject" + t;
    p.Column0 = n, p.Column1 = n + 1, p.Column2 = n + 2, p.Column3 = n + 3, p.Column4 = n + 4;
    p.FolderWidth = n + 5, p.ColumnPositions = "0123" + t;
    return p;
}

std::string describe(const TPref& p) {
    std::ostringstream out;
    out << p.Directory << '|' << p.Default_Extension << '|' << p.Default_Filename << '|'
        << p.Remove_Re << p.CreationDate << p.EncloseItems << p.Toolbar << p.Statusbar << '|'
        << p.FileNameDateFormat << '|' << p.FileNameFormat << '|' << p.Column0 << ',' << p.Column1
        << ',' << p.Column2 << ',' << p.Column3 << ',' << p.Column4 << ',' << p.FolderWidth << '|'
        << p.ColumnPositions;
    return out.str();
}

TEST(TPref, ASaveKilledAtAnyMomentLeavesOneWholeSave) {
    TempDir dir;
    const auto file = dir.path() / "user.reg";
    const TPref saves[] = {numbered(1), numbered(2)};
    {
        RegistryFile registry(file);
        saves[0].SaveToRegistry(registry);
    }
    std::mt19937 random(20);
    for (int kill = 0; kill < 60; ++kill) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                RegistryFile registry(file);
                for (int n = 1;; ++n) saves[n % 2].SaveToRegistry(registry);
            } catch (...) {
                ::_exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process failed";

        RegistryFile registry(file);  // would throw on every use if it did not parse
        TPref loaded;
        loaded.LoadFromRegistry(registry);
        EXPECT_THAT(describe(loaded), testing::AnyOf(describe(saves[0]), describe(saves[1])))
            << "after kill " << kill;
    }

    // The temporary files of the killed saves go with the next save.
    {
        RegistryFile registry(file);
        saves[0].SaveToRegistry(registry);
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"user.reg"});
}
#endif

}  // namespace
}  // namespace mq
