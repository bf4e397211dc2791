#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

namespace mq {

class AnsiCodePage;

// The rows of the results list: row i shows entry i of the address list it is given. The
// row count is set apart from the list, as the list control's own count; rows past the end
// of the list show nothing.
class AddressListModel : public QAbstractListModel {
    Q_OBJECT

public:
    AddressListModel(const std::vector<std::string>& addresses, const AnsiCodePage& codePage,
                     QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void setRowCount(int rows);

private:
    const std::vector<std::string>& addresses_;
    const AnsiCodePage& codePage_;
    int rows_ = 0;
};

}  // namespace mq
