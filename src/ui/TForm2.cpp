#include "ui/TForm2.h"

#include "platform/AnsiCodePage.h"
#include "platform/AsciiCase.h"
#include "save/FileNaming.h"
#include "ui/Accessibility.h"
#include "ui/AnsiText.h"
#include "ui/FixedDialog.h"
#include "ui/UserDialogs.h"
#include "ui_TForm2.h"

#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>


namespace mq {

namespace {

constexpr int ExtensionEml = 0;
constexpr int ExtensionTxt = 1;

}  // namespace

TForm2::TForm2(UserDialogs& dialogs, const AnsiCodePage& codePage,
               std::function<void(const QString&)> showHelp, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TForm2>()),
      dialogs_(dialogs),
      codePage_(codePage),
      showHelp_(std::move(showHelp)) {
    ui->setupUi(this);
    makeFixedDialog(*this);
    nameControlsByLabels(*this);
    // Browse... changes the folder; the field only shows it, greyed as read-only fields are.
    QPalette readOnly = ui->Edit2->palette();
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    ui->Edit2->setPalette(readOnly);
    ui->Edit1->installEventFilter(this);
    connect(ui->Button4, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(ui->SpeedButton1, &QPushButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(ui->SpeedButton2, &QPushButton::clicked, this, &TForm2::SpeedButton2Click);
    connect(ui->CheckListBox1, &QListWidget::itemSelectionChanged, this,
            &TForm2::CheckListBox1Click);
    ui->Edit1->setFocus();
}

TForm2::~TForm2() = default;

QString TForm2::widen(const std::string& text) const {
    return widenAnsi(codePage_, text);
}

std::string TForm2::narrow(const QString& text) const {
    return narrowToAnsi(codePage_, text);
}

void TForm2::fill(const TPref& pref, const FileNameItems& items) {
    storedDefaultFilename_ = pref.Default_Filename;
    ui->Edit1->setText(widen(pref.Default_Filename));
    ui->CheckBox1->setChecked(pref.Remove_Re);
    ui->Edit2->setText(QString::fromStdString(pref.Directory));
    ui->CheckBox2->setChecked(pref.CreationDate);
    ui->Edit3->setText(widen(pref.FileNameDateFormat));
    ui->CheckBox3->setChecked(pref.EncloseItems);
    ui->CheckListBox1->clear();
    for (const FileNameItem& slot : items) {
        auto* item = new QListWidgetItem(widen(slot.name), ui->CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(slot.flag == "1" ? Qt::Checked : Qt::Unchecked);
    }
    ui->ComboBox1->setCurrentIndex(asciiLowered(pref.Default_Extension) == ".txt" ? ExtensionTxt
                                                                               : ExtensionEml);
}

void TForm2::readBack(TPref& pref, FileNameItems& items) const {
    pref.Default_Filename = narrow(ui->Edit1->text());
    pref.Remove_Re = ui->CheckBox1->isChecked();
    pref.Directory = ui->Edit2->text().toStdString();
    pref.CreationDate = ui->CheckBox2->isChecked();
    pref.FileNameDateFormat = narrow(ui->Edit3->text());
    pref.EncloseItems = ui->CheckBox3->isChecked();
    pref.Default_Extension = ui->ComboBox1->currentIndex() == ExtensionEml ? ".eml" : ".txt";
    for (int i = 0; i < int(items.size()); ++i) {
        const QListWidgetItem* item = ui->CheckListBox1->item(i);
        if (item == nullptr) break;
        items[std::size_t(i)] = {narrow(item->text()),
                                 item->checkState() == Qt::Checked ? "1" : "0"};
    }
}

void TForm2::Edit1Exit() {
    const std::string entered = narrow(ui->Edit1->text());
    std::string name = ui->CheckBox1->isChecked() ? RemoveReText(entered) : entered;
    CleanFileName(name);
    if (name.empty()) {
        dialogs_.showMessage(QStringLiteral("Error"), QStringLiteral("Error in Default Filename"),
                             QMessageBox::Critical);
        ui->Edit1->setText(widen(storedDefaultFilename_));
        returnToEdit1();
    } else if (name != entered) {
        dialogs_.showMessage(QStringLiteral("Information"),
                             QStringLiteral("Default Filename Corrected"),
                             QMessageBox::Information);
        ui->Edit1->setText(widen(name));
        returnToEdit1();
    }
}

// Once the focus change that left the field is complete; changing the focus again while
// it is being handed over would leave two controls believing they have it.
void TForm2::returnToEdit1() {
    QMetaObject::invokeMethod(
        ui->Edit1, [edit = ui->Edit1] { edit->setFocus(Qt::OtherFocusReason); },
        Qt::QueuedConnection);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    // Only a move to another control of this dialog leaves the field; the focus it loses
    // to a message box or another window does not, or the box would check it again.
    if (watched == ui->Edit1 && event->type() == QEvent::FocusOut && !checkingEdit1_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            isVisible()) {
            checkingEdit1_ = true;
            Edit1Exit();
            checkingEdit1_ = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // No default and no cancel button: Esc does nothing, and Enter only presses the button
    // that has the focus.
    switch (event->key()) {
        case Qt::Key_Escape:
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void TForm2::Button1Click() {
    // Without drives to root the browser at, it starts from the chosen folder itself.
    QString start = ui->Edit2->text();
    if (start.isEmpty()) start = QDir::homePath();
    const QString folder = dialogs_.browseForFolder(this, QString(), start);
    if (!folder.isEmpty()) ui->Edit2->setText(folder);
}

void TForm2::moveSelected(int by) {
    QListWidget* list = ui->CheckListBox1;
    const int row = list->currentRow();
    const QListWidgetItem* current = list->currentItem();
    const int target = row + by;
    if (current == nullptr || !current->isSelected() || target < 0 || target >= list->count())
        return;
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(target, item);
    list->setCurrentItem(item);
}

void TForm2::SpeedButton1Click() {
    moveSelected(-1);
}

void TForm2::SpeedButton2Click() {
    moveSelected(1);
}

void TForm2::CheckListBox1Click() {
    ui->SpeedButton1->setEnabled(true);
    ui->SpeedButton2->setEnabled(true);
}

void TForm2::Button3Click() {
    showHelp_(QStringLiteral("Topic2"));
}

}  // namespace mq
