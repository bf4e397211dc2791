#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mq {

// The program's preferences, kept under HKEY_CURRENT_USER\<Inipath> in the subkeys
// "Settings" and "View", every value a REG_SZ text.
class TPref {
public:
    std::int32_t Column0 = 0;
    std::int32_t Column1 = 0;
    std::int32_t Column2 = 0;
    std::int32_t Column3 = 0;
    std::int32_t Column4 = 0;
    std::string ColumnPositions;  // stored as "ColumnPosition"
    std::string Default_Extension;
    std::string Default_Filename;
    std::string Directory;  // UTF-8, as the file system names it
    std::int32_t FolderWidth = 0;
    const std::string Inipath = "Software\\Tarnwick Software\\Mailquarry";
    bool Remove_Re = false;
    bool Statusbar = true;
    bool Toolbar = true;
    bool CreationDate = false;
    std::string FileNameDateFormat;
    std::string FileNameFormat;
    bool EncloseItems = false;
    // Where File > Export All Folders... last wrote, and in which form ("mbox" or "eml").
    std::string ExportDirectory;
    std::string ExportFormat;
    // The main window's place and size as the user left it (its normal size when it was
    // maximized); a width or height of 0 means none was stored.
    std::int32_t WindowLeft = 0;
    std::int32_t WindowTop = 0;
    std::int32_t WindowWidth = 0;
    std::int32_t WindowHeight = 0;
    bool WindowMaximized = false;
    // The preview pane under the message list: shown or not, and its height when the window
    // was last closed with it shown (0: never).
    bool PreviewPane = false;
    std::int32_t PreviewHeight = 0;
    // The stores last opened by path, most recent first, at most MaxRecentStores (UTF-8),
    // kept as "RecentStore1", "RecentStore2", ... under "Settings".
    std::vector<std::string> RecentStores;
    static constexpr std::size_t MaxRecentStores = 8;
    // The folders that Save to a Single File and the address list's Save last wrote to
    // (UTF-8); empty: none yet.
    std::string SingleFileDirectory;
    std::string AddressFileDirectory;
    // Edit > Find Messages...: the words (UTF-8), the fields ("subject,people,text,
    // attachments"), all folders or the chosen one, and the received-date range (YYYY-MM-DD).
    std::string FindWords;
    std::string FindFields;
    bool FindAllFolders = true;
    bool FindDateRange = false;
    std::string FindFrom;
    std::string FindTo;

    // Throws RegistryError; the properties not read by then hold their defaults.
    void LoadFromRegistry(Registry& registry);
    // Throws RegistryError; values written before the failure stay written.
    void SaveToRegistry(Registry& registry) const;
    // The recent stores alone, written as soon as a store opens, so that they are kept
    // however the program ends. Throws RegistryError.
    void SaveRecentStores(Registry& registry) const;
};

}  // namespace mq
