#include "app/SettingsStore.h"

#include <QAbstractButton>
#include <QComboBox>

#include "data/Table.h"
#include "data/TextCut.h"

namespace lex {

namespace {
const char* const kToggleFields[] = {"B1", "B2", "B3", "B4", "B5", "B6"};
constexpr int kTextWidth = 255;
}  // namespace

void SettingsStore::restore() {
    table_.first();
    const bool row = table_.hasCurrentRow();
    c_.searchBox->setEditText(row ? table_.fieldText(QStringLiteral("LastText")) : QString());
    for (size_t i = 0; i < c_.toggles.size(); ++i)
        c_.toggles[i]->setChecked(row && table_.fieldBool(QString::fromLatin1(kToggleFields[i])));
}

void SettingsStore::save() {
    if (table_.state() == Table::State::Browse) {
        table_.first();
        table_.edit();  // starts a new row when the table is empty
    }
    table_.setField(QStringLiteral("LastText"), cutText(c_.searchBox->currentText(), kTextWidth));
    for (size_t i = 0; i < c_.toggles.size(); ++i)
        table_.setField(QString::fromLatin1(kToggleFields[i]), c_.toggles[i]->isChecked());
    table_.post();
}

}  // namespace lex
