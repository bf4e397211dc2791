#pragma once

#include "ScriptedDialogs.h"

#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/RegistryFile.h"
#include "support/StoreBuilder.h"
#include "ui/TForm1.h"

#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class QTableView;

namespace mq {

// A main window on a store in a temporary folder, with a registry file of its own, fixed
// date and number settings, code page 1252 and recorded dialogs. Each start() is a new run
// of the program: the registry file is read afresh.
class WindowFixture {
public:
    WindowFixture();
    ~WindowFixture();

    std::filesystem::path root() const;
    std::filesystem::path storeDir() const;
    std::filesystem::path registryPath() const;

    // Inbox.dbx: Bob (2004-01-02 10:20:30), alice (2003-05-06 00:00:00, no To, no Reply-To),
    // _x (2005-12-31 23:59:59), in that load order; Empty.dbx without messages; a folder
    // without a file; and the store's registry entries.
    void writeStandardStore();
    void writeStore(const StoreBuilder& store);
    // Appends a section of raw registry-file lines for the preferences' "View" subkey.
    void addViewValues(const std::string& lines);

    // `storePath`: the PATH of the command line.
    TForm1& start(const QString& storePath = QString());
    // Closes the window through its close box and ends the run.
    void closeWindow();
    // After Exit or a fatal store error: runs the event loop as the program does until the
    // posted end stops it, then tears the window down. False when the loop did not stop.
    bool runToEnd();
    // Tears the window down without ending the run through the event loop.
    void destroyWindow();

    // A preference value as stored in the registry file; empty when absent.
    std::optional<std::string> storedPref(const std::string& subkey, const std::string& name);

    TForm1& form() { return *form_; }
    QTableView* list();
    void clickFolder(const QString& name);
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void clickHeader(int column);
    QString statusCounts();
    QString cell(int row, int column);

    ScriptedDialogs dialogs;
    LocaleSettings locale;
    AnsiCodePage codePage{1252};
    int quitRequests = 0;  // ends posted, each through the program's own end

private:
    int endsRun_ = 0;
    QTemporaryDir dir_;
    std::unique_ptr<RegistryFile> registry_;
    std::unique_ptr<TForm1> form_;
};

}  // namespace mq
