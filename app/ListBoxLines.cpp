#include "app/ListBoxLines.h"

#include "app/QtText.h"

namespace dnspeek {

int TListBoxLines::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(ends_.size());
}

QVariant TListBoxLines::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return ToQString(Line(static_cast<std::size_t>(index.row())));
}

std::string_view TListBoxLines::Line(std::size_t row) const
{
    const std::size_t start = row == 0 ? 0 : ends_[row - 1];
    return std::string_view(text_).substr(start, ends_[row] - start);
}

void TListBoxLines::Clear()
{
    beginResetModel();
    text_.clear();
    ends_.clear();
    endResetModel();
}

void TListBoxLines::Append(std::span<const std::string_view> lines)
{
    if (lines.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    ends_.reserve(ends_.size() + lines.size());
    for (const std::string_view line : lines) {
        text_ += line;
        ends_.push_back(text_.size());
    }
    endInsertRows();
}

}  // namespace dnspeek
