#pragma once

#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "platform/Registry.h"
#include "save/FileList.h"
#include "save/FileNameItems.h"
#include "save/TPref.h"
#include "store/StoreReader.h"
#include "store/TMessHead.h"
#include "ui/UserDialogs.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;

namespace Ui {
class TForm1;
}

namespace mq {

class VST1Model;

// The main window: the folder list, the message list of the chosen folder, the speed bar,
// the status bar and the menus.
class TForm1 : public QMainWindow {
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
    void Exit1Click();
    void Speedbar1Click();
    void Statusbar2Click();
    void FormResize();
    void Splitter1Moved();
    void DisplayHint(const QString& hint);

    void SaveSelectedtoIndividualFiles1Click();
    void SaveSelectedToaSingleFile1Click();
    void ExtractReplyToEmailAddresses1Click();
    void ExtractMessageBodyEmailAddresses1Click();
    void ExtractBothReplytoandmessagebodyemailaddresses1Click();
    void About1Click();
    void Contents1Click();
    void Identities1Click();

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
    void RestoreFileNameItems();
    void StoreFileNameItems();
    void connectSurfaces();
    void applyIcons();
    void setRowCount(int rows);
    QString widen(const std::string& text) const;
    std::string programFolder() const;

    std::unique_ptr<Ui::TForm1> ui;
    VST1Model* model_ = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QLabel* hintPanel_ = nullptr;    // status panel 0
    QLabel* countsPanel_ = nullptr;  // status panel 1

    Registry& registry_;
    UserDialogs& dialogs_;
    const LocaleSettings& locale_;
    const AnsiCodePage& codePage_;
    std::function<void()> postQuit_;
    StoreReader store_;

    TPref Pref1;
    mq::FileNameItems FileNameItems;
    QString HelpFile;

    mq::FolderList FolderList;
    mq::MessageInfoList MessageInfoList;
    std::vector<TMessHead> MessageList;
    std::string CurrentFile;
    bool SortAscending = false;
    std::unique_ptr<mq::FileList> FileList;
};

}  // namespace mq
