#include "ui/TForm1.h"

#include "store/StoreError.h"
#include "ui/TSourceWindow.h"
#include "ui/VST1Model.h"
#include "ui/ui_TForm1.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>

#include <algorithm>
#include <exception>

namespace mq {

void TForm1::setUpKeyboard() {
    // Tab moves between the folder list, the message list and the preview pane, never from
    // cell to cell.
    ui->VST1->setTabKeyNavigation(false);
    QWidget::setTabOrder(ui->ListBox1, ui->VST1);
    // F1 wherever the user is in the program, reader windows included; a modal dialog keeps
    // it from the windows behind it.
    ui->Contents1->setShortcut(QKeySequence::HelpContents);
    ui->Contents1->setShortcutContext(Qt::ApplicationShortcut);

    auto* open = new QAction(QStringLiteral("&Open"), this);
    open->setObjectName(QStringLiteral("Open2"));
    auto* source = new QAction(QStringLiteral("Show Sou&rce"), this);
    source->setObjectName(QStringLiteral("ShowSource2"));
    QAction* designed = PopupMenu1->actions().constFirst();
    PopupMenu1->insertActions(designed, {open, source});
    PopupMenu1->insertSeparator(designed);
    connect(open, &QAction::triggered, this, &TForm1::Open2Click);
    connect(source, &QAction::triggered, this, &TForm1::ShowSource2Click);
    // Enabled over a message, as the menu opens.
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this, open, source] {
        open->setEnabled(commandRow() >= 0);
        source->setEnabled(commandRow() >= 0);
    });
}

int TForm1::commandRow() const {
    const QModelIndex current = ui->VST1->currentIndex();
    if (current.isValid() && ui->VST1->selectionModel()->isRowSelected(current.row()))
        return current.row();
    const std::vector<int> rows = selectedRows();
    return rows.empty() ? -1 : rows.front();
}

void TForm1::Open2Click() {
    if (const int row = commandRow(); row >= 0) VST1DblClick(row);
}

void TForm1::ShowSource2Click() {
    const int row = commandRow();
    std::string text;
    try {
        if (row < 0 || !readRowText(row, text)) return;
    } catch (const std::exception&) {
        dialogs_.showError(widenStore(cannotAccessText(fileOfRow(row))));
        return;
    }
    auto* source = new TSourceWindow(widenStore(text), VST1GetText(row, 2), this);
    source->show();
}

void TForm1::CopyRows() {
    const QHeaderView* header = ui->VST1->horizontalHeader();
    QString text;
    for (const int row : selectedRows()) {
        QStringList cells;
        for (int position = 0; position < VST1Model::ColumnCount; ++position) {
            const int column = header->logicalIndex(position);
            if (!header->isSectionHidden(column)) cells << VST1GetText(row, column);
        }
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

TReaderWindow::Navigation TForm1::readerNavigation(int row) {
    // The message is known by its record, which stays the same when the list is sorted.
    const std::uint64_t list = listGeneration_;
    return [this, list, info = MessageList[static_cast<std::size_t>(row)].InfoIndex](
               int step) mutable -> std::optional<TReaderWindow::ListedMessage> {
        if (list != listGeneration_) return std::nullopt;
        const auto shown = std::find_if(MessageList.begin(), MessageList.end(),
                                        [info](const TMessHead& m) { return m.InfoIndex == info; });
        if (shown == MessageList.end()) return std::nullopt;
        const auto next = (shown - MessageList.begin()) + step;
        if (next < 0 || next >= static_cast<std::ptrdiff_t>(MessageList.size()))
            return std::nullopt;
        std::string text;
        try {
            readRowText(static_cast<int>(next), text);
        } catch (const std::exception&) {
            dialogs_.showError(widenStore(cannotAccessText(fileOfRow(static_cast<int>(next)))));
            return std::nullopt;
        }
        info = MessageList[static_cast<std::size_t>(next)].InfoIndex;
        // The list follows, so the user sees where the reader is.
        ui->VST1->selectionModel()->setCurrentIndex(
            model_->index(static_cast<int>(next), 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return TReaderWindow::ListedMessage{std::move(text), folderOfRow(static_cast<int>(next))};
    };
}

}  // namespace mq
