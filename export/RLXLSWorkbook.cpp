#include "RLXLSWorkbook.h"

#include <algorithm>

TRLXLSWorksheet::TRLXLSWorksheet(TRLXLSWorkbook* workbook, QString name) : workbook_(workbook) {
    SetName(name);
}

void TRLXLSWorksheet::SetName(const QString& name) {
    // The file format allows 31 characters in a sheet name.
    name_ = name.trimmed().left(31).trimmed();
    folded_ = name_.toCaseFolded();
}

void TRLXLSWorksheet::WidenCols(int first, int last) {
    FirstCol = FirstCol < 0 ? first : std::min(FirstCol, first);
    LastCol = std::max(LastCol, last);
}

void TRLXLSWorksheet::WidenRows(int first, int last) {
    FirstRow = FirstRow < 0 ? first : std::min(FirstRow, first);
    LastRow = std::max(LastRow, last);
}

TRLXLSCol* TRLXLSWorksheet::FindCol(int index, bool create) {
    for (auto& c : cols_) {
        if (c.Index == index) {
            return &c;
        }
    }
    if (!create) {
        return nullptr;
    }
    cols_.push_back(TRLXLSCol{index});
    WidenCols(index, index);
    return &cols_.back();
}

const TRLXLSRow* TRLXLSWorksheet::FindRow(int index) const {
    for (const auto& r : rows_) {
        if (r.Index == index) {
            return &r;
        }
    }
    return nullptr;
}

TRLXLSRow* TRLXLSWorksheet::FindRow(int index, bool create) {
    if (const TRLXLSRow* found = std::as_const(*this).FindRow(index)) {
        return const_cast<TRLXLSRow*>(found);
    }
    if (!create) {
        return nullptr;
    }
    rows_.push_back(TRLXLSRow{index});
    WidenRows(index, index);
    return &rows_.back();
}

TRLXLSRange* TRLXLSWorksheet::CellOwner(int col, int row) const {
    if (col >= 0 && row >= 0) {
        const auto r = static_cast<std::size_t>(row);
        const auto c = static_cast<std::size_t>(col);
        return r < grid_.size() && c < grid_[r].size() ? grid_[r][c] : nullptr;
    }
    const auto found = outside_.find(OutsideKey(col, row));
    return found != outside_.end() ? found->second : nullptr;
}

void TRLXLSWorksheet::SetCellOwner(int col, int row, TRLXLSRange* owner) {
    if (col >= 0 && row >= 0) {
        const auto r = static_cast<std::size_t>(row);
        const auto c = static_cast<std::size_t>(col);
        // Grown by doubling: cells arrive column by column and row by row.
        if (r >= grid_.size()) {
            grid_.resize(std::max(r + 1, 2 * grid_.size()));
        }
        if (c >= grid_[r].size()) {
            grid_[r].resize(std::max<std::size_t>(c + 1, 2 * grid_[r].size()), nullptr);
        }
        grid_[r][c] = owner;
    } else if (owner) {
        outside_[OutsideKey(col, row)] = owner;
    } else {
        outside_.erase(OutsideKey(col, row));
    }
}

std::uint64_t TRLXLSWorksheet::OutsideKey(int col, int row) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
           static_cast<std::uint32_t>(col);
}

// Ranges never share a cell (a new one first removes those it overlaps), so
// each cell names at most one range and the cells of a rectangle tell which
// ranges meet it, however many a sheet holds.
TRLXLSRange* TRLXLSWorksheet::FindRange(int left, int top, int right, int bottom) {
    std::vector<TRLXLSRange*> met;
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            TRLXLSRange* owner = CellOwner(col, row);
            if (owner && std::find(met.begin(), met.end(), owner) == met.end()) {
                met.push_back(owner);
            }
        }
    }
    if (met.size() == 1 && met[0]->Left == left && met[0]->Top == top && met[0]->Right == right &&
        met[0]->Bottom == bottom) {
        return met[0];
    }
    for (TRLXLSRange* r : met) {
        SetCells(*r, nullptr);
    }
    if (!met.empty()) {
        std::erase_if(ranges_, [&](const std::unique_ptr<TRLXLSRange>& r) {
            return std::find(met.begin(), met.end(), r.get()) != met.end();
        });
    }
    auto range = std::make_unique<TRLXLSRange>();
    range->Worksheet = this;
    range->Left = left;
    range->Top = top;
    range->Right = right;
    range->Bottom = bottom;
    SetCells(*range, range.get());
    ranges_.push_back(std::move(range));
    WidenCols(left, right);
    WidenRows(top, bottom);
    return ranges_.back().get();
}

void TRLXLSWorksheet::SetCells(const TRLXLSRange& range, TRLXLSRange* owner) {
    for (int row = range.Top; row <= range.Bottom; ++row) {
        for (int col = range.Left; col <= range.Right; ++col) {
            SetCellOwner(col, row, owner);
        }
    }
}

TRLXLSWorksheet* TRLXLSWorkbook::SheetByName(const QString& name) const {
    const QString folded = name.toCaseFolded();
    for (const auto& s : sheets_) {
        if (s->FoldedName() == folded) {
            return s.get();
        }
    }
    return nullptr;
}

TRLXLSWorksheet* TRLXLSWorkbook::NewSheet(const QString& prefix) {
    auto n = sheets_.size() + 1;
    while (SheetByName(prefix + QString::number(n))) {
        ++n;
    }
    sheets_.push_back(std::make_unique<TRLXLSWorksheet>(this, prefix + QString::number(n)));
    return sheets_.back().get();
}
