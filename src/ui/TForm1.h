#pragma once

#include "export/StoreExport.h"
#include "extract/FoundAddresses.h"
#include "extract/TEmailChk.h"
#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/Registry.h"
#include "recover/RecoveredFolder.h"
#include "save/FileList.h"
#include "save/FileNameItems.h"
#include "save/SelectedMessages.h"
#include "save/TPref.h"
#include "search/SearchCache.h"
#include "search/StoreSearch.h"
#include "store/StoreReader.h"
#include "store/TMessHead.h"
#include "ui/ProgressSubject.h"
#include "ui/TReaderWindow.h"
#include "ui/UserDialogs.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;

namespace Ui {
class TForm1;
}

namespace mq {

class MessageView;
class VST1Model;

// The main window: the folder list, the message list of the chosen folder, the speed bar,
// the status bar and the menus.
class TForm1 : public QMainWindow, public ProgressSubject {
    Q_OBJECT

public:
    // `postQuit` ends the application the way Exit does: it must only post the request, so
    // the handler that calls it runs to its end first. `storePath`, when given, is the store
    // to open in place of the one the registry names.
    TForm1(Registry& registry, UserDialogs& dialogs, const LocaleSettings& locale,
           const AnsiCodePage& codePage, std::function<void()> postQuit,
           const QString& storePath = QString(), QWidget* parent = nullptr);
    ~TForm1() override;

    // What the message list shows, asked for each cell as it paints.
    QString VST1GetText(int row, int column) const;
    // 2 (the message icon) in whichever column stands leftmost, else -1 (no image).
    int VST1GetImageIndex(int row, int column) const;

    // Rows of the message list that are selected, from the top down.
    std::vector<int> selectedRows() const;

    // File > "Open Store...": the chooser, then the store chosen.
    void OpenStore1Click();
    // Opens the store at `path` in place of the one open, which stays open when it fails
    // (the box says why). True when it opened.
    bool OpenStore(const QString& path);
    // The path that names the store open now (UTF-8); empty when none is open.
    std::string storePath() const;

    void ListBox1Click();
    void VST1Click();
    void VST1Change();
    void VST1HeaderClick(int column);
    void SortColumns(int column);
    void SelectAll1Click();
    // Opens the message at `row` in a reader window of its own.
    void VST1DblClick(int row);
    // The message list's context menu: the current message in a reader window, or its
    // stored text in a Source window.
    void Open2Click();
    void ShowSource2Click();
    // Puts the selected rows on the clipboard: one line per row, the columns in the order
    // shown, separated by tabs.
    void CopyRows();
    void Exit1Click();
    void Speedbar1Click();
    void Statusbar2Click();
    void PreviewPane1Click();
    void FormResize();
    void Splitter1Moved();
    void DisplayHint(const QString& hint);

    void SaveSelectedtoIndividualFiles1Click();
    void SaveSelectedToaSingleFile1Click();
    void ExportAllFolders1Click();
    // Scans the current folder's file for the messages its index no longer reaches and lists
    // them in place of the folder's own; choosing a folder again lists those.
    void RecoverMessages1Click();
    // Finds messages by words and dates in the chosen folder or all of them and lists them
    // in place of the folder's own; choosing a folder again lists its messages.
    void FindMessages1Click();
    void ExtractReplyToEmailAddresses1Click();
    void ExtractMessageBodyEmailAddresses1Click();
    void ExtractBothReplytoandmessagebodyemailaddresses1Click();
    void About1Click();
    void Contents1Click();
    void Identities1Click();

    // The long operations the progress dialog runs, and their error box.
    void SaveMessagesToFiles() override;
    void SaveMessagesToSingleFile(const std::string& path) override;
    void ExtractBodyAddresses() override;
    void ExportAllFolders() override;
    void RecoverMessages() override;
    void FindMessages() override;
    void showError(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    // Start-up's store: the one given, else the registry's, else the most recent one; the
    // chooser where none of them opens.
    void openStartStore();
    // Reads the folder list of the store at `path` and shows it. Empty, or why it failed.
    QString tryOpenStore(const QString& path);
    void fillFolderList();
    // The window without a store: nothing listed, every store command disabled.
    void showNoStore();
    void storeShown();
    // The chooser at `startFolder`; true when a store chosen opened. With `untilOpened` it
    // asks again after a store that does not open, until the user cancels.
    bool chooseStore(const QString& startFolder, bool untilOpened);
    void OpenRecentStore(const QString& path);
    void rememberStore(const std::string& path);
    void fillRecentStores();
    // A line in the status bar that goes after a while.
    void statusLine(const QString& text);
    bool FormCloseQuery();
    void FormClose();
    void RestoreColumnOrder();
    void StoreColumnOrder();
    void RestoreWindowPlace();
    void StoreWindowPlace();
    void RestoreFileNameItems();
    void StoreFileNameItems();
    void connectSurfaces();
    void applyIcons();
    void setRowCount(int rows);
    // Empties the message list and the lists behind it, and leaves the recovered messages.
    void clearMessageList();
    // Fills the message list from MessageInfoList, oldest first by Received.
    void listMessages();
    void setUpRecovery();
    // View > Store Encoding and the status panel that names the page in use.
    void setUpStoreEncoding();
    // The store's page: the user's choice for the store, else the guess from its messages,
    // else the system's. Called once the folder list is read.
    void useStoreEncoding();
    // View > Store Encoding's items: a page, or nothing for "Automatic".
    void StoreEncodingClick(std::optional<int> codePage);
    // What the choice of a page is remembered by: the store folder's path.
    std::string storeEncodingKey() const;
    // Fills the folder list (or renames its items) from FolderList.
    void listFolders();
    void showRecovered(RecoveredFolder found);
    // What the Subject cell shows before the subject of a recovered message that is cut short.
    QString incompleteMark(const TMessHead& message) const;
    void setUpFind();
    void showFound(const SearchOutcome& outcome, const QString& words);
    // Names the folders that could not be read, for the status bar; empty when all were.
    QString unreadableNote(const SearchOutcome& outcome) const;
    // The folder a found message came from; empty when the list shows a folder's own.
    QString folderOfRow(int row) const;
    // The bare file name the message at `row` is read from.
    std::string fileOfRow(int row) const;
    // The stored text of the message at `row` of the list into `text`: the one way the pane
    // and the reader windows read a message. False when there is no such row; throws what
    // the store reader throws.
    bool readRowText(int row, std::string& text);
    // Shows or hides the pane, at the height the user left it.
    void showPreviewPane(bool shown);
    // The pane follows the current row once the events waiting now are handled: rows passed
    // over meanwhile are never read.
    void schedulePreview();
    void ShowPreview();
    // The program's own 8-bit texts, in the system's page.
    QString widen(std::string_view text) const;
    // Texts read from the store, in the store's page.
    QString widenStore(std::string_view text) const;
    // Where the rows' texts are read from, for any of them.
    SelectedMessages messageSource();
    // The selected rows from the top down, with the store they are read from.
    SelectedMessages selectedMessages();
    // Shows the progress dialog that runs PendingOperation.
    void runProgressDialog(const QString& caption);
    void showHelp(const QString& topic);
    void setUpKeyboard();
    // Moving a reader window opened at `row` through the list it was opened from.
    TReaderWindow::Navigation readerNavigation(int row);
    // The row the context menu's Open and Show Source act on; -1 when none.
    int commandRow() const;
    // Says in the status bar, until the selection or the folder changes, how a long
    // operation ended.
    void showOutcome(const QString& text);
    // A panel of its own at the right of StatusBar1, named `objectName` for the tests.
    QLabel* addStatusPanel(const QString& objectName);
    // The line after a save of the selected messages to `place`, from the progress state.
    QString savedOutcome(const QString& place) const;
    // Points at damage when the folder's index lists far fewer messages than its file's
    // header counts.
    void showIndexHint();
    // Where a save dialog starts: `lastFolder` when it still exists, else the save folder;
    // with `fileName` suggested.
    QString saveStartPath(const std::string& lastFolder, const QString& fileName) const;
    // Shows the results dialog with `found` and the caption " N" + `captionSuffix`.
    void showFoundAddresses(const mq::FoundAddresses& found, const char* captionSuffix);

    std::unique_ptr<Ui::TForm1> ui;
    VST1Model* model_ = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QLabel* hintPanel_ = nullptr;    // status panel 0
    QLabel* countsPanel_ = nullptr;  // status panel 1
    // Says what the list holds beyond its rows: where the recovered messages listed come
    // from, or that the folder's index misses messages.
    QLabel* recoveredPanel_ = nullptr;
    QLabel* encodingPanel_ = nullptr;  // names the store's page
    QMenu* StoreEncoding1 = nullptr;
    MessageView* PreviewPane = nullptr;
    QTimer previewTimer_;

    Registry& registry_;
    UserDialogs& dialogs_;
    const LocaleSettings& locale_;
    const AnsiCodePage& codePage_;  // the system's: texts the user types
    std::function<void()> postQuit_;
    StoreReader store_;
    QString startStorePath_;  // from the command line
    bool storeOpen_ = false;

    TPref Pref1;
    mq::FileNameItems FileNameItems;
    QString HelpFile;
    // Messages the last save wrote, and failures it reported: what its status line says.
    std::int32_t savedMessages_ = 0;
    int errorsShown_ = 0;
    // Counts the lists the message list has shown, so a reader window knows when the list
    // it was opened from is gone.
    std::uint64_t listGeneration_ = 0;

    mq::FolderList FolderList;
    mq::MessageInfoList MessageInfoList;
    std::vector<TMessHead> MessageList;
    std::string CurrentFile;
    bool SortAscending = false;
    std::unique_ptr<mq::FileList> FileList;

    TEmailChk EmailChk1;
    // The combined mode: true only while the combined extraction command runs.
    bool IncludeReplyTo = false;
    // Exists only while a body extraction command runs.
    std::unique_ptr<mq::FoundAddresses> FoundAddresses;
    // Exist only while the export command runs.
    std::optional<mq::ExportPlan> PendingExport;
    std::optional<mq::ExportSummary> ExportResult;
    // The messages the rows stand for while recovered messages are listed; record i of
    // MessageInfoList describes message i. Empty otherwise.
    RecoveredMessageList RecoveredMessages;
    // What the recovery scan found, while its command runs.
    std::optional<RecoveredFolder> PendingRecovery;
    QLabel* foundPanel_ = nullptr;  // what the last search found
    // While found messages are listed: by record of MessageInfoList, the file each is read
    // from and the name of its folder. Empty otherwise.
    std::vector<std::string> FoundFiles;
    std::vector<std::string> FoundFolders;
    // What a search learned of the folders it decoded, for the next one.
    SearchCache SearchCache1;
    // The search the Find command asked for and what it found, while the command runs.
    SearchQuery PendingQuery;
    std::vector<std::size_t> PendingFolders;
    std::optional<SearchOutcome> PendingSearch;
};

}  // namespace mq
