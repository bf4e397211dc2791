#pragma once

#include "save/FileNameItems.h"
#include "save/TPref.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TForm2;
}

namespace mq {

class AnsiCodePage;
class UserDialogs;

// The "Save Preferences" dialog shown before every save to individual files. It edits a
// copy of the save options; only "&Save" makes the caller take them over.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    // `showHelp` opens the help at a topic.
    TForm2(UserDialogs& dialogs, const AnsiCodePage& codePage,
           std::function<void(const QString& topic)> showHelp, QWidget* parent);
    ~TForm2() override;

    // The controls from the preferences and the file-name slots.
    void fill(const TPref& pref, const FileNameItems& items);
    // The controls' values into the preferences and the slots (after "&Save" only).
    void readBack(TPref& pref, FileNameItems& items) const;

    void Edit1Exit();
    void Button1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void CheckListBox1Click();
    void Button3Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void moveSelected(int by);
    void returnToEdit1();
    QString widen(const std::string& text) const;
    std::string narrow(const QString& text) const;

    std::unique_ptr<Ui::TForm2> ui;
    UserDialogs& dialogs_;
    const AnsiCodePage& codePage_;
    std::function<void(const QString&)> showHelp_;
    std::string storedDefaultFilename_;
    bool checkingEdit1_ = false;
};

}  // namespace mq
