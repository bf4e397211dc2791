#include "ui/TForm1.h"

#include "platform/RegistryError.h"
#include "save/SaveFolder.h"
#include "ui/Accessibility.h"
#include "ui/AnsiText.h"
#include "ui/ImageList1.h"
#include "ui/MessageView.h"
#include "ui/PaintedIcons.h"
#include "ui/TReaderWindow.h"
#include "ui/TSourceWindow.h"
#include "ui/VST1Model.h"
#include "ui/ui_TForm1.h"
#include "view/ColumnLayout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <exception>

namespace mq {

namespace {

constexpr int DesignedFolderWidth = 170;
constexpr int CountsPanelWidth = 200;
const char* const HintProperty = "hint";

// Rows are selected whole, so the focus frame around one cell would only be noise.
class NoFocusRectDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

// Where the window's own area may lie on `screen` with its title bar above it on the screen
// too; the frame's size is not known before the window is shown.
QRect clientArea(const QScreen& screen, const QWidget& window) {
    return screen.availableGeometry().adjusted(
        0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window), 0, 0);
}

// `place` made to fit `area`: no larger, and moved inside where it sticks out.
QRect fittedInto(QRect place, const QRect& area) {
    place.setSize(place.size().boundedTo(area.size()));
    if (place.right() > area.right()) place.moveRight(area.right());
    if (place.bottom() > area.bottom()) place.moveBottom(area.bottom());
    if (place.left() < area.left()) place.moveLeft(area.left());
    if (place.top() < area.top()) place.moveTop(area.top());
    return place;
}

// The hint of a widget or of its nearest enclosing widget that declares one; a declared
// empty hint stops the search, so a pane inside the splitter does not show the splitter's.
QString hintFor(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const QVariant hint = widget->property(HintProperty);
        if (hint.isValid()) return hint.toString();
    }
    return {};
}

}  // namespace

TForm1::TForm1(Registry& registry, UserDialogs& dialogs, const LocaleSettings& locale,
               const AnsiCodePage& codePage, std::function<void()> postQuit,
               const QString& storePath, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TForm1>()),
      registry_(registry),
      dialogs_(dialogs),
      locale_(locale),
      codePage_(codePage),
      postQuit_(std::move(postQuit)),
      store_(registry),
      startStorePath_(storePath) {
    installAccessibleRoles();
    ui->setupUi(this);
    setWindowIcon(ImageList1::icon(ImageList1::Message));

    model_ = new VST1Model(*this, this);
    QTableView* list = ui->VST1;
    list->setModel(model_);
    list->setItemDelegate(new NoFocusRectDelegate(list));
    list->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = list->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    header->resizeSection(0, 150);
    header->resizeSection(1, 150);
    header->resizeSection(2, 300);
    header->resizeSection(3, 100);
    header->resizeSection(4, 150);

    // The panes inside the splitter declare that they have no hint of their own.
    ui->Panel1->setProperty(HintProperty, QString());
    ui->Panel3->setProperty(HintProperty, QString());
    // A screen reader names a control by its hint, as the status bar does: the speed
    // buttons show nothing but an icon.
    for (QWidget* widget : findChildren<QWidget*>()) {
        const QString hint = widget->property(HintProperty).toString();
        if (!hint.isEmpty() && widget->accessibleName().isEmpty()) widget->setAccessibleName(hint);
    }
    ui->Splitter2->setAccessibleName(QStringLiteral("Preview Pane Resizing Bar"));
    ui->Splitter1->setStretchFactor(0, 0);
    ui->Splitter1->setStretchFactor(1, 1);
    PreviewPane = new MessageView(AnsiCodePage::store(), locale_, ui->Splitter2);
    PreviewPane->setObjectName(QStringLiteral("PreviewPane"));
    PreviewPane->hide();
    ui->Splitter2->addWidget(PreviewPane);
    ui->Splitter2->setStretchFactor(0, 1);
    ui->Splitter2->setStretchFactor(1, 0);
    previewTimer_.setSingleShot(true);
    previewTimer_.setInterval(0);
    ui->Splitter1->setSizes({DesignedFolderWidth, width() - DesignedFolderWidth});

    // The window's frame resizes it; a grip in the corner would be one more control without a
    // name or a role a screen reader knows.
    ui->StatusBar1->setSizeGripEnabled(false);
    hintPanel_ = new QLabel(ui->StatusBar1);
    hintPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    countsPanel_ = new QLabel(ui->StatusBar1);
    countsPanel_->setObjectName(QStringLiteral("StatusPanel1"));
    countsPanel_->setMinimumWidth(CountsPanelWidth);
    ui->StatusBar1->addWidget(hintPanel_);
    ui->StatusBar1->addWidget(countsPanel_, 1);
    setUpRecovery();
    setUpFind();
    setUpStoreEncoding();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ui->SaveSelectedToaSingleFile2);
    PopupMenu1->addAction(ui->SaveSelectedtoIndividualFiles2);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ui->ExtractReplyToEmailAddresses2);
    PopupMenu1->addAction(ui->ExtractMessageBodyEmailAddresses2);
    PopupMenu1->addAction(ui->ExtractBothReplytoandmessagebodyemailaddresses2);

    applyIcons();
    connectSurfaces();
    setAcceptDrops(true);  // a store folder or file dropped on the window opens
    setUpKeyboard();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = clientArea(*screen, *this);
        QRect frame = fittedInto(geometry(), area);
        frame.moveCenter(area.center());
        setGeometry(frame);
    }

    FormCreate();
}

TForm1::~TForm1() {
    // The child widgets outlive the members: nothing they send while they are torn down may
    // reach this window's handlers.
    qApp->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void TForm1::applyIcons() {
    ui->SaveSelectedtoIndividualFiles3->setIcon(saveIndividualFilesIcon());
    ui->SaveSelectedToaSingleFile3->setIcon(saveSingleFileIcon());
    ui->ExtractReplyToEmailAddresses3->setIcon(extractReplyToIcon());
    ui->ExtractMessageBodyEmailAddresses3->setIcon(extractBodyIcon());
    ui->ExtractBothReplytoandmessagebodyemailaddresses3->setIcon(extractBothIcon());
    ui->SelectAll2->setIcon(selectAllIcon());
    ui->SpeedButton4->setIcon(exitIcon());
    ui->SpeedButton5->setIcon(helpIcon());
    ui->SaveSelectedtoIndividualFiles1->setIcon(saveIndividualFilesIcon());
    ui->SaveSelectedToaSingleFile1->setIcon(saveSingleFileIcon());
}

void TForm1::connectSurfaces() {
    // Each command's menu item, pop-up item and speed button call the one handler.
    const auto bind = [this](QAction* item, QAction* popupItem, QToolButton* button,
                             void (TForm1::*handler)()) {
        connect(item, &QAction::triggered, this, handler);
        if (popupItem != nullptr) connect(popupItem, &QAction::triggered, this, handler);
        if (button != nullptr) connect(button, &QToolButton::clicked, this, handler);
    };
    bind(ui->SaveSelectedtoIndividualFiles1, ui->SaveSelectedtoIndividualFiles2,
         ui->SaveSelectedtoIndividualFiles3, &TForm1::SaveSelectedtoIndividualFiles1Click);
    bind(ui->SaveSelectedToaSingleFile1, ui->SaveSelectedToaSingleFile2,
         ui->SaveSelectedToaSingleFile3, &TForm1::SaveSelectedToaSingleFile1Click);
    bind(ui->ExtractReplyToEmailAddresses1, ui->ExtractReplyToEmailAddresses2,
         ui->ExtractReplyToEmailAddresses3, &TForm1::ExtractReplyToEmailAddresses1Click);
    bind(ui->ExtractMessageBodyEmailAddresses1, ui->ExtractMessageBodyEmailAddresses2,
         ui->ExtractMessageBodyEmailAddresses3, &TForm1::ExtractMessageBodyEmailAddresses1Click);
    bind(ui->ExtractBothReplytoandmessagebodyemailaddresses1,
         ui->ExtractBothReplytoandmessagebodyemailaddresses2,
         ui->ExtractBothReplytoandmessagebodyemailaddresses3,
         &TForm1::ExtractBothReplytoandmessagebodyemailaddresses1Click);
    bind(ui->SelectAll1, nullptr, ui->SelectAll2, &TForm1::SelectAll1Click);
    bind(ui->Exit1, nullptr, ui->SpeedButton4, &TForm1::Exit1Click);
    bind(ui->Contents1, nullptr, ui->SpeedButton5, &TForm1::Contents1Click);
    bind(ui->OpenStore1, nullptr, nullptr, &TForm1::OpenStore1Click);
    bind(ui->ExportAllFolders1, nullptr, nullptr, &TForm1::ExportAllFolders1Click);
    bind(ui->About1, nullptr, nullptr, &TForm1::About1Click);
    bind(ui->Identities1, nullptr, nullptr, &TForm1::Identities1Click);
    bind(ui->Speedbar1, nullptr, nullptr, &TForm1::Speedbar1Click);
    bind(ui->Statusbar2, nullptr, nullptr, &TForm1::Statusbar2Click);
    bind(ui->PreviewPane1, nullptr, nullptr, &TForm1::PreviewPane1Click);
    connect(&previewTimer_, &QTimer::timeout, this, &TForm1::ShowPreview);

    // A folder loads when the user selects it; the row a list marks current when it gains
    // the focus is no choice.
    connect(ui->ListBox1, &QListWidget::itemSelectionChanged, this, &TForm1::ListBox1Click);
    connect(ui->VST1, &QTableView::clicked, this, &TForm1::VST1Click);
    connect(ui->VST1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm1::VST1Change);
    connect(ui->VST1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TForm1::schedulePreview);
    connect(ui->VST1, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { VST1DblClick(index.row()); });
    connect(ui->VST1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TForm1::VST1HeaderClick);
    // A column dragged to the far left takes the message icon with it.
    connect(ui->VST1->horizontalHeader(), &QHeaderView::sectionMoved, ui->VST1->viewport(),
            qOverload<>(&QWidget::update));
    connect(ui->VST1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1->popup(ui->VST1->viewport()->mapToGlobal(pos));
    });
    connect(ui->Splitter1, &QSplitter::splitterMoved, this, &TForm1::Splitter1Moved);
}

void TForm1::FormCreate() {
    qApp->installEventFilter(this);
    HelpFile = QFileInfo(QCoreApplication::applicationFilePath()).path() + QLatin1Char('/') +
               QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() +
               QStringLiteral(".hlp");

    try {
        Pref1.LoadFromRegistry(registry_);
    } catch (const std::exception& e) {
        // Start-up goes on with what was read before the failure.
        dialogs_.showError(widen(e.what()));
    }
    RestoreColumnOrder();

    ui->Panel2->setVisible(Pref1.Toolbar);
    ui->Speedbar1->setChecked(Pref1.Toolbar);
    ui->StatusBar1->setVisible(Pref1.Statusbar);
    ui->Statusbar2->setChecked(Pref1.Statusbar);
    ui->PreviewPane1->setChecked(Pref1.PreviewPane);

    QHeaderView* header = ui->VST1->horizontalHeader();
    header->resizeSection(0, Pref1.Column0);
    header->resizeSection(1, Pref1.Column1);
    header->resizeSection(2, Pref1.Column2);
    header->resizeSection(3, Pref1.Column3);
    header->resizeSection(4, Pref1.Column4);
    RestoreWindowPlace();
    showPreviewPane(Pref1.PreviewPane);

    RestoreFileNameItems();

    if (!isExistingFolder(Pref1.Directory))
        Pref1.Directory = defaultSaveFolder(
            QDir::toNativeSeparators(
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                .toStdString(),
            QDir::toNativeSeparators(QDir::homePath()).toStdString());

    MessageList.clear();
    FileList = std::make_unique<mq::FileList>();
    CurrentFile = "folders.dbx";
    FolderList.clear();
    MessageInfoList.clear();

    openStartStore();

    VST1Click();
    FormResize();
}

void TForm1::Exit1Click() {
    if (postQuit_) postQuit_();
}

void TForm1::Speedbar1Click() {
    ui->Panel2->setVisible(ui->Speedbar1->isChecked());
}

void TForm1::Statusbar2Click() {
    ui->StatusBar1->setVisible(ui->Statusbar2->isChecked());
}

void TForm1::FormResize() {
    hintPanel_->setFixedWidth(ui->Panel3->width() + 2);
}

void TForm1::Splitter1Moved() {
    FormResize();
}

void TForm1::DisplayHint(const QString& hint) {
    hintPanel_->setText(hint);
}

bool TForm1::FormCloseQuery() {
    return true;
}

void TForm1::FormClose() {
    // The bars' own state, which holds also while the window itself is off screen.
    Pref1.Toolbar = !ui->Panel2->isHidden();
    Pref1.Statusbar = !ui->StatusBar1->isHidden();
    Pref1.PreviewPane = !PreviewPane->isHidden();

    const QHeaderView* header = ui->VST1->horizontalHeader();
    Pref1.Column0 = header->sectionSize(0);
    Pref1.Column1 = header->sectionSize(1);
    Pref1.Column2 = header->sectionSize(2);
    Pref1.Column3 = header->sectionSize(3);
    Pref1.Column4 = header->sectionSize(4);

    StoreColumnOrder();
    StoreFileNameItems();
    StoreWindowPlace();
    try {
        Pref1.SaveToRegistry(registry_);
    } catch (const std::exception& e) {
        // The window still closes; the user learns that the settings were not kept.
        dialogs_.showError(widen(e.what()));
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    // The reader and Source windows are this window's and go with it.
    for (QWidget* reader : findChildren<TReaderWindow*>(Qt::FindDirectChildrenOnly))
        reader->close();
    for (QWidget* source : findChildren<TSourceWindow*>(Qt::FindDirectChildrenOnly))
        source->close();
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // The folder pane gets its final width only once the layout has run, after the
    // window's own resize; following the pane keeps the hint panel aligned in every case.
    if (watched == ui->Panel3 && event->type() == QEvent::Resize) FormResize();
    if (watched == ui->VST1 && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ui->VST1->currentIndex().isValid()) {
            VST1DblClick(ui->VST1->currentIndex().row());
            return true;
        }
        if (press->matches(QKeySequence::Copy)) {
            CopyRows();
            return true;
        }
    }
    // Ctrl+Tab leaves a pane as Tab does, in the one that would keep Tab for itself too.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* press = static_cast<QKeyEvent*>(event);
        if ((press->key() == Qt::Key_Tab || press->key() == Qt::Key_Backtab) &&
            press->modifiers().testFlag(Qt::ControlModifier)) {
            focusNextPrevChild(press->key() == Qt::Key_Tab &&
                               !press->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
    }
    // The hint follows the mouse: entering a control shows its hint, leaving it shows the
    // hint of the control around it (Qt sends the leave before the next enter).
    if (watched->isWidgetType() &&
        (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this)
            DisplayHint(hintFor(event->type() == QEvent::Enter ? widget : widget->parentWidget()));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::RestoreColumnOrder() {
    const std::vector<int> order =
        restoreColumnOrder(Pref1.ColumnPositions, VST1Model::ColumnCount);
    QHeaderView* header = ui->VST1->horizontalHeader();
    for (int position = 0; position < static_cast<int>(order.size()); ++position)
        header->moveSection(header->visualIndex(order[static_cast<std::size_t>(position)]),
                            position);
}

void TForm1::StoreColumnOrder() {
    const QHeaderView* header = ui->VST1->horizontalHeader();
    std::vector<int> order;
    for (int position = 0; position < VST1Model::ColumnCount; ++position)
        order.push_back(header->logicalIndex(position));
    Pref1.ColumnPositions = storeColumnOrder(order);
}

void TForm1::RestoreWindowPlace() {
    // FolderWidth has always been the folder pane's width; it now keeps what the user made it.
    if (Pref1.FolderWidth > 0)
        ui->Splitter1->setSizes({Pref1.FolderWidth, std::max(width() - Pref1.FolderWidth, 1)});
    // A place never stored, or on a screen that is gone, is no place to open at: the window
    // then opens centred at its designed size. Its top edge must be on a screen, so the
    // title bar is within reach, and it is made to fit that screen as it is now.
    const QRect place(Pref1.WindowLeft, Pref1.WindowTop, Pref1.WindowWidth, Pref1.WindowHeight);
    const QPoint top(place.center().x(), place.top());
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto screen = std::find_if(screens.begin(), screens.end(), [&top](QScreen* candidate) {
        return candidate->availableGeometry().contains(top);
    });
    if (place.isValid() && screen != screens.end())
        setGeometry(fittedInto(place, clientArea(**screen, *this)));
    if (Pref1.WindowMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::StoreWindowPlace() {
    Pref1.FolderWidth = ui->Panel3->width();
    if (!PreviewPane->isHidden()) Pref1.PreviewHeight = PreviewPane->height();
    const QRect place = normalGeometry();
    Pref1.WindowLeft = place.x();
    Pref1.WindowTop = place.y();
    Pref1.WindowWidth = place.width();
    Pref1.WindowHeight = place.height();
    Pref1.WindowMaximized = isMaximized();
}

void TForm1::RestoreFileNameItems() {
    parseFileNameFormat(Pref1.FileNameFormat, FileNameItems);
}

void TForm1::StoreFileNameItems() {
    Pref1.FileNameFormat = formatFileNameFormat(FileNameItems);
}

QString TForm1::widen(std::string_view text) const {
    return widenAnsi(codePage_, text);
}

}  // namespace mq
