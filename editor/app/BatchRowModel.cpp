#include "editor/app/BatchRowModel.h"

#include "platform/Charset.h"

#include <algorithm>

namespace tav::editor {

namespace {

QString fromGbk(const std::string& gbk) {
    return QString::fromStdString(platform::gbkToUtf8(gbk));
}

} // namespace

void BatchRowModel::reset(std::vector<std::string> titles) {
    beginResetModel();
    m_titles = std::move(titles);
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_checked.clear();
    m_checked.shrink_to_fit();
    m_unprintable.clear();
    m_cellBytes = 0;
    endResetModel();
}

void BatchRowModel::append(std::vector<Row>&& rows,
                           std::vector<std::pair<std::size_t, Unprintable>>&& unprintable) {
    if (rows.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    for (auto& [index, characters] : unprintable)
        m_unprintable[static_cast<std::size_t>(first) + index] = std::move(characters);
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (Row& row : rows) {
        row.resize(m_titles.size());
        for (const std::string& cell : row)
            m_cellBytes += cell.size();
        m_rows.push_back(std::move(row));
    }
    m_checked.resize(m_rows.size(), 0);
    endInsertRows();
}

std::span<const engine::UnprintableCharacter> BatchRowModel::unprintable(std::size_t row) const {
    const auto it = m_unprintable.find(row);
    if (it == m_unprintable.end())
        return {};
    return it->second;
}

void BatchRowModel::checkAll() {
    std::fill(m_checked.begin(), m_checked.end(), 1);
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void BatchRowModel::invertChecks() {
    for (auto& checked : m_checked)
        checked = checked ? 0 : 1;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void BatchRowModel::setChecked(int row, bool checked) {
    m_checked.at(static_cast<std::size_t>(row)) = checked ? 1 : 0;
    emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

std::size_t BatchRowModel::checkedCount() const {
    return static_cast<std::size_t>(std::count(m_checked.begin(), m_checked.end(), 1));
}

int BatchRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int BatchRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size()) + 1;
}

QVariant BatchRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == 0) {
        if (role == Qt::DisplayRole)
            return index.row() + 1;
        if (role == Qt::CheckStateRole)
            return m_checked[row] ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return fromGbk(m_rows[row][static_cast<std::size_t>(index.column() - 1)]);
    return {};
}

bool BatchRowModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    setChecked(index.row(), static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
    return true;
}

QVariant BatchRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("No.");
    if (section - 1 < static_cast<int>(m_titles.size()))
        return fromGbk(m_titles[static_cast<std::size_t>(section - 1)]);
    return {};
}

Qt::ItemFlags BatchRowModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

} // namespace tav::editor
