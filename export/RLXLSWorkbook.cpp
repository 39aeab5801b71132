#include "RLXLSWorkbook.h"

#include <algorithm>
#include <utility>

TRLXLSWorksheet::TRLXLSWorksheet(TRLXLSWorkbook* workbook, QString name) : workbook_(workbook) {
    // The file format allows 31 characters in a sheet name.
    name_ = name.trimmed().left(31).trimmed();
    folded_ = name_.toCaseFolded();
    if (workbook_) {
        workbook_->Renamed(nullptr, folded_);
    }
}

void TRLXLSWorksheet::SetName(const QString& name) {
    const QString before = folded_;
    name_ = name.trimmed().left(31).trimmed();
    folded_ = name_.toCaseFolded();
    if (workbook_) {
        workbook_->Renamed(&before, folded_);
    }
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
    if (const auto found = colAt_.find(index); found != colAt_.end()) {
        return &cols_[found->second];
    }
    if (!create) {
        return nullptr;
    }
    colAt_.emplace(index, cols_.size());
    cols_.push_back(TRLXLSCol{index});
    WidenCols(index, index);
    return &cols_.back();
}

const TRLXLSRow* TRLXLSWorksheet::FindRow(int index) const {
    const auto found = rowAt_.find(index);
    return found != rowAt_.end() ? &rows_[found->second] : nullptr;
}

TRLXLSRow* TRLXLSWorksheet::FindRow(int index, bool create) {
    if (const TRLXLSRow* found = std::as_const(*this).FindRow(index)) {
        return const_cast<TRLXLSRow*>(found);
    }
    if (!create) {
        return nullptr;
    }
    rowAt_.emplace(index, rows_.size());
    rows_.push_back(TRLXLSRow{index});
    WidenRows(index, index);
    return &rows_.back();
}

const std::vector<std::unique_ptr<TRLXLSRange>>& TRLXLSWorksheet::Ranges() const {
    if (emptySlots_ > 0) {
        std::erase_if(ranges_, [](const std::unique_ptr<TRLXLSRange>& r) { return !r; });
        emptySlots_ = 0;
        for (std::size_t i = 0; i < ranges_.size(); ++i) {
            ranges_[i]->slot_ = i;
        }
    }
    return ranges_;
}

std::vector<TRLXLSRange*> TRLXLSWorksheet::RangesMeeting(int left, int top, int right,
                                                         int bottom) const {
    std::vector<TRLXLSRange*> met;
    for (auto column = columns_.lower_bound(left);
         column != columns_.end() && column->first <= right; ++column) {
        const std::map<int, TRLXLSRange*>& byTop = column->second;
        // Tops and bottoms rise together in a column: from the last range
        // starting at or above the rectangle's bottom, upwards while they
        // still reach its top.
        for (auto it = byTop.upper_bound(bottom); it != byTop.begin();) {
            --it;
            if (it->second->Bottom < top) {
                break;
            }
            met.push_back(it->second);
        }
    }
    std::sort(met.begin(), met.end());
    met.erase(std::unique(met.begin(), met.end()), met.end());
    return met;
}

void TRLXLSWorksheet::Enter(TRLXLSRange* range) {
    for (long long col = range->Left; col <= range->Right; ++col) {
        columns_[static_cast<int>(col)][range->Top] = range;
    }
}

void TRLXLSWorksheet::Remove(TRLXLSRange* range) {
    for (long long col = range->Left; col <= range->Right; ++col) {
        const auto column = columns_.find(static_cast<int>(col));
        column->second.erase(range->Top);
        if (column->second.empty()) {
            columns_.erase(column);
        }
    }
    ranges_[range->slot_].reset();
    ++emptySlots_;
}

void TRLXLSWorksheet::DropRangeIndex() {
    columns_.clear();
    indexed_ = false;
}

TRLXLSRange* TRLXLSWorksheet::FindRange(int left, int top, int right, int bottom) {
    if (!indexed_) {
        for (const auto& range : Ranges()) {
            Enter(range.get());
        }
        indexed_ = true;
    }
    const std::vector<TRLXLSRange*> met = RangesMeeting(left, top, right, bottom);
    if (met.size() == 1 && met[0]->Left == left && met[0]->Top == top && met[0]->Right == right &&
        met[0]->Bottom == bottom) {
        return met[0];
    }
    for (TRLXLSRange* r : met) {
        Remove(r);
    }
    auto range = std::make_unique<TRLXLSRange>();
    range->Worksheet = this;
    range->Left = left;
    range->Top = top;
    range->Right = right;
    range->Bottom = bottom;
    Enter(range.get());
    range->slot_ = ranges_.size();
    ranges_.push_back(std::move(range));
    WidenCols(left, right);
    WidenRows(top, bottom);
    return ranges_.back().get();
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

void TRLXLSWorkbook::Renamed(const QString* before, const QString& after) {
    if (before) {
        const auto it = names_.find(*before);
        if (it != names_.end() && --it->second == 0) {
            names_.erase(it);
        }
    }
    ++names_[after];
}

TRLXLSWorksheet* TRLXLSWorkbook::NewSheet(const QString& prefix) {
    auto n = sheets_.size() + 1;
    while (names_.contains((prefix + QString::number(n)).toCaseFolded())) {
        ++n;
    }
    if (!sheets_.empty()) {
        sheets_.back()->DropRangeIndex();
    }
    sheets_.push_back(std::make_unique<TRLXLSWorksheet>(this, prefix + QString::number(n)));
    return sheets_.back().get();
}
