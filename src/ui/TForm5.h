#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TForm5;
}

namespace mq {

class AddressListModel;
class AnsiCodePage;
class UserDialogs;

// The results dialog of the address commands: the found addresses in a list from which the
// user selects rows to save to a text file or copy to the clipboard.
class TForm5 : public QDialog {
    Q_OBJECT

public:
    TForm5(UserDialogs& dialogs, const AnsiCodePage& codePage, QWidget* parent);
    ~TForm5() override;

    // The addresses to show, row i showing entry i. Fill it, then set the row count.
    std::vector<std::string> AddressList;
    void setRowCount(int rows);
    // Where Save starts: a folder and the file name it suggests. After a save, the file saved.
    QString SavePath;

    // The selected rows' addresses in the order shown, each followed by CR LF: what Save
    // writes and Copy puts on the clipboard.
    std::string SelectedText() const;

    void VST2Click();
    void Button1Click();
    void Button2Click();
    void Button4Click();

private:
    std::unique_ptr<Ui::TForm5> ui;
    UserDialogs& dialogs_;
    const AnsiCodePage& codePage_;
    AddressListModel* model_;
};

}  // namespace mq
