#pragma once

#include "platform/Text.h"

#include <QAbstractListModel>

#include <span>
#include <string_view>
#include <vector>

namespace dnspeek {

// The lines of a list box, kept as the lookup wrote them and turned into text
// only for the rows on screen: a reply of 2048 lines is one copy of its bytes
// rather than 2048 strings made and converted.
class TListBoxLines final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

    void Clear();
    // Adds the lines after the last one, in one insertion.
    void Append(std::span<const std::string_view> lines);

private:
    [[nodiscard]] std::string_view Line(std::size_t row) const;

    // Every line's bytes one after the other, and where each line ends.
    ByteString text_;
    std::vector<std::size_t> ends_;
};

}  // namespace dnspeek
