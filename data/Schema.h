#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace lex {

enum class FieldType { AutoIncrement, Text, Integer, Float, Boolean };

struct FieldDef {
    QString name;
    FieldType type;
    int width = 0;          // characters, for text fields
    bool required = false;  // posting an empty value is refused
    QString displayLabel;   // column title; the field name when empty
    QString title() const { return displayLabel.isEmpty() ? name : displayLabel; }
};

// A field that is not stored but looked up in another table by key.
struct LookupDef {
    QString name;
    QString keyField;        // field of this table holding the key
    QString lookupTable;     // table searched
    QString lookupKeyField;  // field of lookupTable matched against the key
    QString resultField;     // field of lookupTable shown
    QString displayLabel;
};

struct TableDef {
    QString name;      // table name inside its file
    QString fileName;  // file in the data directory
    QString schema;    // name the file is attached under on the one connection
    bool readOnly = false;
    std::vector<FieldDef> fields;
    std::vector<LookupDef> lookups;

    const FieldDef* field(const QString& fieldName) const;
    const FieldDef& key() const { return fields.front(); }
    QString createStatement() const;
};

namespace schema {
const TableDef& mainData();       // Main_Data.DB, the dictionary
const TableDef& chooseData();     // Choose_Data.db, the chosen-word list
const TableDef& lastestSearch();  // Lastest_Search.db, the search history
const TableDef& setting();        // Setting.db, the settings row
const std::vector<const TableDef*>& all();

// Auxiliary table of the dictionary file: entry IDs in dictionary order of their headwords.
inline constexpr const char* kOrderTable = "Main_Data_Order";
}  // namespace schema

}  // namespace lex
