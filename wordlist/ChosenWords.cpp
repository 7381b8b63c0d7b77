#include "wordlist/ChosenWords.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

#include "data/DataError.h"
#include "data/ResultQuery.h"
#include "data/Table.h"
#include "ui/Formats.h"
#include "ui/UserDialogs.h"
#include "wordlist/ChosenListModel.h"

namespace lex {

ChosenWords::ChosenWords(Table& chosen, ResultQuery& results, Controls controls, QObject* parent)
    : QObject(parent), chosen_(chosen), results_(results), c_(controls) {
    model_ = new ChosenListModel(chosen_, this);
    c_.listGrid->setModel(model_);
    // The grid's current row is the table's current row, both ways.
    connect(c_.listGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const qint64 key = model_->keyAt(current.row());
                if (key >= 0 && chosen_.state() == Table::State::Browse &&
                    chosen_.fieldInt(QStringLiteral("ID")) != key)
                    chosen_.locate(QStringLiteral("ID"), key);
            });
    connect(&chosen_, &Table::currentChanged, this, &ChosenWords::followTableToGrid);
    connect(model_, &QAbstractItemModel::modelReset, this, &ChosenWords::followTableToGrid);
    connect(&chosen_, &Table::rowsChanged, this, &ChosenWords::updateDeleteButton);
    followTableToGrid();
}

void ChosenWords::followTableToGrid() {
    if (!chosen_.isOpen() || !chosen_.hasCurrentRow())
        return;
    const int row = model_->rowOfKey(chosen_.fieldInt(QStringLiteral("ID")));
    if (row >= 0 && c_.listGrid->currentIndex().row() != row)
        c_.listGrid->setCurrentIndex(model_->index(row, 0));
}

void ChosenWords::updateDeleteButton() {
    c_.deleteButton->setEnabled(chosen_.isOpen() && !chosen_.def().readOnly &&
                                chosen_.recordCount() > 0);
}

void ChosenWords::refresh() {
    const int n = chosen_.recordCount();
    c_.clearButton->setEnabled(n >= 1);
    c_.printButton->setEnabled(c_.clearButton->isEnabled());
    c_.countBox->setText(formatCount(n));
    updateDeleteButton();
}

void ChosenWords::addCurrentResult() {
    if (!results_.isOpen())
        throw DataError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (results_.recordCount() == 0)
        return;
    const int row = results_.currentRow() >= 0 ? results_.currentRow() : 0;
    chosen_.append();
    chosen_.setField(QStringLiteral("Data_ID"), static_cast<double>(results_.idAt(row)));
    try {
        chosen_.post();
    } catch (...) {
        chosen_.cancel();
        throw;
    }
    c_.clearButton->setEnabled(true);
    c_.printButton->setEnabled(true);
    c_.countBox->setText(formatCount(chosen_.recordCount()));
}

void ChosenWords::sendToSearch(const std::function<void(const QString&)>& setSearchText) {
    if (chosen_.isEmpty())
        return;
    setSearchText(chosen_.fieldText(QStringLiteral("Data")));
    c_.searchButton->click();
}

void ChosenWords::deleteCurrent() {
    chosen_.deleteRow();
}

void ChosenWords::clear() {
    if (!chosen_.isEmpty() &&
        UserDialogs::current().confirm(c_.listGrid->window(),
                                       QStringLiteral("กรุณายืนยันที่จะลบคำศัพท์ทั้งหมดออกจากรายการ")))
        chosen_.deleteAll();
    refresh();
}

}  // namespace lex
