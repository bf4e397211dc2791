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
#include "store/StoreReader.h"
#include "store/TMessHead.h"
#include "ui/ProgressSubject.h"
#include "ui/UserDialogs.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    // the handler that calls it runs to its end first.
    TForm1(Registry& registry, UserDialogs& dialogs, const LocaleSettings& locale,
           const AnsiCodePage& codePage, std::function<void()> postQuit, QWidget* parent = nullptr);
    ~TForm1() override;

    // What the message list shows, asked for each cell as it paints.
    QString VST1GetText(int row, int column) const;
    // 2 (the message icon) in whichever column stands leftmost, else -1 (no image).
    int VST1GetImageIndex(int row, int column) const;

    // Rows of the message list that are selected, from the top down.
    std::vector<int> selectedRows() const;

    void ListBox1Click();
    void VST1Click();
    void VST1Change();
    void VST1HeaderClick(int column);
    void SortColumns(int column);
    void SelectAll1Click();
    // Opens the message at `row` in a reader window of its own.
    void VST1DblClick(int row);
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
    void showError(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
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
    // Shows the results dialog with `found` and the caption " N" + `captionSuffix`.
    void showFoundAddresses(const mq::FoundAddresses& found, const char* captionSuffix);

    std::unique_ptr<Ui::TForm1> ui;
    VST1Model* model_ = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QLabel* hintPanel_ = nullptr;       // status panel 0
    QLabel* countsPanel_ = nullptr;     // status panel 1
    QLabel* recoveredPanel_ = nullptr;  // says where the recovered messages listed come from
    QLabel* encodingPanel_ = nullptr;   // names the store's page
    QMenu* StoreEncoding1 = nullptr;
    MessageView* PreviewPane = nullptr;
    QTimer previewTimer_;

    Registry& registry_;
    UserDialogs& dialogs_;
    const LocaleSettings& locale_;
    const AnsiCodePage& codePage_;  // the system's: texts the user types
    std::function<void()> postQuit_;
    StoreReader store_;

    TPref Pref1;
    mq::FileNameItems FileNameItems;
    QString HelpFile;
    QString SaveDialog1Path;  // the single-file save starts where it was last time

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
};

}  // namespace mq
