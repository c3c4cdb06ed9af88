#include "app/ListBoxLines.h"

#include "app/QtText.h"

namespace dnspeek {

int TListBoxLines::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant TListBoxLines::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return ToQString(lines_[static_cast<std::size_t>(index.row())]);
}

void TListBoxLines::Clear()
{
    beginResetModel();
    lines_.clear();
    endResetModel();
}

void TListBoxLines::Append(std::span<const std::string_view> lines)
{
    if (lines.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    lines_.insert(lines_.end(), lines.begin(), lines.end());
    endInsertRows();
}

}  // namespace dnspeek
