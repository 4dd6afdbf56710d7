// The rows of the batch window's grid: column 0 "No." with each row's check box, then one
// column per data field. Cells are kept as the GBK bytes the data side delivers and the print
// engine takes, and are converted to UTF-8 only for the rows the view draws, so a result of a
// hundred thousand rows costs its bytes and no more.
#pragma once

#include "printengine/BatchRun.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tav::editor {

class BatchRowModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using Row = std::vector<std::string>;
    // The characters of a row's cells that GBK cannot hold (the cells carry '?').
    using Unprintable = std::vector<engine::UnprintableCharacter>;

    explicit BatchRowModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Empties the grid and sets its data columns (GBK titles); "No." comes first.
    void reset(std::vector<std::string> titles);
    // Adds rows at the end, unticked; each holds one cell per title. `unprintable` pairs an
    // index into `rows` with what that row's cells could not hold.
    void append(std::vector<Row>&& rows,
                std::vector<std::pair<std::size_t, Unprintable>>&& unprintable = {});
    // What the cells of `row` (from 0) could not hold; empty for most rows.
    std::span<const engine::UnprintableCharacter> unprintable(std::size_t row) const;

    void checkAll();
    void invertChecks();
    void setChecked(int row, bool checked);
    bool isChecked(int row) const { return m_checked.at(static_cast<std::size_t>(row)) != 0; }

    const std::vector<std::string>& titles() const { return m_titles; }
    const std::vector<Row>& rows() const { return m_rows; }
    std::size_t checkedCount() const;
    // Bytes held by the cells, for the window's memory figures.
    std::size_t cellBytes() const { return m_cellBytes; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<std::string> m_titles;
    std::vector<Row> m_rows;
    std::vector<std::uint8_t> m_checked;
    std::unordered_map<std::size_t, Unprintable> m_unprintable; // by row, few
    std::size_t m_cellBytes = 0;
};

} // namespace tav::editor
