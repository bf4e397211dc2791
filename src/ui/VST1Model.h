#pragma once

#include <QAbstractTableModel>

#include <array>

namespace mq {

class TForm1;

// The message list as the list control sees it: a row count and five columns whose cells
// and row images are asked of the main window at paint time. Rows hold nothing of their own.
class VST1Model : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int ColumnCount = 5;

    explicit VST1Model(const TForm1& form, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows are removed and inserted rather than reset, so the header keeps the user's
    // column widths and order.
    void setRowCount(int rows);
    // -1 no glyph, 0 ascending, 1 descending.
    void setHeaderImageIndex(int column, int imageIndex);
    int headerImageIndex(int column) const;
    // Every visible cell is asked again (after the rows were reordered).
    void repaintAll();

private:
    const TForm1& form_;
    int rows_ = 0;
    std::array<int, ColumnCount> headerImages_{-1, -1, -1, -1, -1};
};

}  // namespace mq
