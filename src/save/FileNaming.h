#pragma once

#include "platform/LocaleSettings.h"
#include "save/FileList.h"
#include "save/FileNameItems.h"
#include "save/TPref.h"
#include "store/TMessHead.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace mq {

// Every "RE:" removed in any letter case, in one left-to-right pass.
std::string RemoveReText(std::string_view text);
// The nine characters that file names cannot hold and the control characters (codes 1 to
// 31) become blanks, then blanks are trimmed from both ends and dots from the start.
void CleanFileName(std::string& text);
// A name from outside the program (a store folder's, an attachment's) as the name of one file:
// cleaned as above, without dots or blanks at its end, which Windows drops, and with "_" after
// a name that Windows keeps for a device ("con.txt" becomes "con_.txt"). Empty when nothing is
// left.
std::string safeFileName(std::string name);
// The name an attachment is offered to be saved under: its name (UTF-8, as the sender wrote
// it) without characters that change the direction of text, made safe, cut to the bytes a file name may have, its extension kept; "Attachment"
// when nothing is left.
std::string attachmentFileName(std::string_view name);
// `name` (UTF-8, as attachmentFileName gives it), or its numbered variant "name(2).ext",
// "name(3).ext", ..., that no entry of `folder` (UTF-8) has yet: saving several files
// into one folder never replaces a file there.
std::string freeFileName(const std::string& folder, const std::string& name);
// The path without one final separator, unless it is that separator alone.
std::string StripTrailingBackslash(const std::string& path);
// Clears the list and fills it with the names of the folder's files (the folder in UTF-8).
void AddFiles(const std::string& folder, FileList& list);

// The file name (UTF-8) for a message before it is made unique: the ticked components in slot
// order (the message's fields converted from the store's page, the date and the settings from
// the system's), "RE:" removed if asked, cleaned, `Default_Filename` when nothing is left, then the
// extension.
std::string composeFileNameBase(const TMessHead& m, const FileNameItems& items, const TPref& pref,
                                const LocaleSettings& locale);

// `n` (UTF-8), or its numbered variant "(2)", "(3)", ..., that is not taken in `directory`
// (UTF-8): the folder is listed into `fileList` first when it exists. The result is also a name
// every file system accepts as it is: at most 255 characters and 255 units where the file system
// counts them (UTF-16 units on Windows, UTF-8 bytes elsewhere; never cutting a character),
// never a path, never a
// Windows device name (those get a '_' after the device name: "con_.eml"), never ending in
// a dot or a blank. A name that has to be cut is checked in its cut form, and numbered
// variants shorten the name before the number, so the cut never recreates a taken name.
std::string MakeUniqueFileName(const std::string& n, const std::string& directory,
                               FileList& fileList);

// composeFileNameBase, then MakeUniqueFileName in pref.Directory.
std::string ComposeFileName(const TMessHead& m, const FileNameItems& items, const TPref& pref,
                            FileList& fileList,
                            const LocaleSettings& locale = LocaleSettings::user());

// The file-system path (UTF-8) of the file `name` (UTF-8) in `directory` (UTF-8):
// joined with the platform's separator, never doubled.
std::string fileSystemPath(const std::string& directory, const std::string& name);

}  // namespace mq
