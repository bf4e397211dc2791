#include "ui/AddressListModel.h"

#include "platform/AnsiCodePage.h"

#include <QString>

#include <algorithm>

namespace mq {

AddressListModel::AddressListModel(const std::vector<std::string>& addresses,
                                   const AnsiCodePage& codePage, QObject* parent)
    : QAbstractListModel(parent), addresses_(addresses), codePage_(codePage) {}

int AddressListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant AddressListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() < 0 ||
        std::size_t(index.row()) >= addresses_.size())
        return {};
    return QString::fromStdString(codePage_.toUtf8(addresses_[std::size_t(index.row())]));
}

void AddressListModel::setRowCount(int rows) {
    beginResetModel();
    rows_ = std::max(rows, 0);
    endResetModel();
}

}  // namespace mq
