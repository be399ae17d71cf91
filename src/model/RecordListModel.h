#pragma once
// A list model over records that carry a QUuid `id`: the one place that turns appends, replacements,
// removals and resets into the row signals of QAbstractListModel. Every public change also ends with one
// `recordsChanged()`, for observers that only need to know that the list is different.

#include <QAbstractListModel>
#include <QList>
#include <QUuid>
#include <functional>

namespace orbix {

class RecordListModelBase : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    // The identifier of every record, whatever the concrete model.
    static constexpr int idRole = Qt::UserRole;

signals:
    // After any change of the records (not of a tray's selection or marks).
    void recordsChanged();
};

template <typename Record>
class RecordListModel : public RecordListModelBase {
public:
    using RecordListModelBase::RecordListModelBase;

    const QList<Record>& records() const { return records_; }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(records_.size());
    }
    // The row of the record with that identifier; -1 when none has it.
    int rowOf(const QUuid& id) const {
        for (qsizetype row = 0; row < records_.size(); ++row) {
            if (records_[row].id == id) {
                return int(row);
            }
        }
        return -1;
    }
    const Record* find(const QUuid& id) const {
        const int row = rowOf(id);
        return row < 0 ? nullptr : &records_[row];
    }

    void append(Record record) { appendAll({std::move(record)}); }
    void appendAll(QList<Record> records) {
        if (records.isEmpty()) {
            return;
        }
        beginInsertRows({}, int(records_.size()), int(records_.size() + records.size() - 1));
        records_.append(std::move(records));
        endInsertRows();
        emit recordsChanged();
    }
    // Replaces the record with the same identifier; false when there is none. Unchanged records signal
    // nothing.
    bool replace(const Record& record) {
        const int row = rowOf(record.id);
        if (row < 0) {
            return false;
        }
        if (!(records_[row] == record)) {
            records_[row] = record;
            emit dataChanged(index(row), index(row));
            emit recordsChanged();
        }
        return true;
    }
    // Removes the records the predicate holds for, each unbroken run of rows at once; how many went.
    qsizetype removeIf(const std::function<bool(const Record&)>& doomed) {
        qsizetype removed = 0;
        for (qsizetype end = records_.size(); end > 0;) {
            if (!doomed(records_[end - 1])) {
                --end;
                continue;
            }
            qsizetype first = end - 1;
            while (first > 0 && doomed(records_[first - 1])) {
                --first;
            }
            beginRemoveRows({}, int(first), int(end - 1));
            records_.remove(first, end - first);
            endRemoveRows();
            removed += end - first;
            end = first;
        }
        if (removed > 0) {
            emit recordsChanged();
        }
        return removed;
    }
    void reset(QList<Record> records) {
        beginResetModel();
        records_ = std::move(records);
        endResetModel();
        emit recordsChanged();
    }

protected:
    // The record a valid index of this model points at; null for any other index.
    const Record* recordAt(const QModelIndex& index) const {
        return checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
                   ? &records_[index.row()]
                   : nullptr;
    }

private:
    QList<Record> records_;
};

} // namespace orbix
