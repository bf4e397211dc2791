#include "ui/VST1Model.h"

#include "ui/ImageList1.h"
#include "ui/TForm1.h"

#include <algorithm>

namespace mq {

namespace {
const char* const ColumnTitles[VST1Model::ColumnCount] = {"From", "Reply to", "Subject", "Receipt",
                                                          "Received"};
}

VST1Model::VST1Model(const TForm1& form, QObject* parent)
    : QAbstractTableModel(parent), form_(form) {}

int VST1Model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int VST1Model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant VST1Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return form_.VST1GetText(index.row(), index.column());
        case Qt::DecorationRole: {
            const int image = form_.VST1GetImageIndex(index.row(), index.column());
            if (image >= 0) return ImageList1::icon(image);
            return {};
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant VST1Model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromLatin1(ColumnTitles[section]);
        case Qt::DecorationRole:
            if (headerImages_[section] >= 0) return ImageList1::icon(headerImages_[section]);
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

void VST1Model::setRowCount(int rows) {
    rows = std::max(rows, 0);
    if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
}

void VST1Model::setHeaderImageIndex(int column, int imageIndex) {
    if (column < 0 || column >= ColumnCount || headerImages_[column] == imageIndex) return;
    headerImages_[column] = imageIndex;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int VST1Model::headerImageIndex(int column) const {
    return column >= 0 && column < ColumnCount ? headerImages_[column] : -1;
}

void VST1Model::repaintAll() {
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
}

}  // namespace mq
