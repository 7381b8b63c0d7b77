#include "data/Schema.h"

namespace lex {

const FieldDef* TableDef::field(const QString& fieldName) const {
    for (const FieldDef& f : fields)
        if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

QString TableDef::createStatement() const {
    QStringList columns;
    for (const FieldDef& f : fields) {
        QString c = f.name + u' ';
        switch (f.type) {
            case FieldType::AutoIncrement:
                c += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
                break;
            case FieldType::Text:
                c += QStringLiteral("TEXT CHECK (%1 IS NULL OR length(%1) <= %2)")
                         .arg(f.name)
                         .arg(f.width);
                break;
            case FieldType::Integer:
                c += QStringLiteral("INTEGER");
                break;
            case FieldType::Float:
                c += QStringLiteral("REAL");
                break;
            case FieldType::Boolean:
                c += QStringLiteral("INTEGER CHECK (%1 IS NULL OR %1 IN (0, 1))").arg(f.name);
                break;
        }
        if (f.required)
            c += QStringLiteral(" NOT NULL");
        columns << c;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(name, columns.join(QStringLiteral(", ")));
}

namespace schema {

namespace {
FieldDef field(const QString& name, FieldType type, int width = 0, bool required = false,
               const QString& label = QString()) {
    return FieldDef{name, type, width, required, label};
}
}  // namespace

const TableDef& mainData() {
    static const TableDef def{
        QStringLiteral("Main_Data"),
        QStringLiteral("Main_Data.DB"),
        QStringLiteral("dict"),
        true,
        {
            field(QStringLiteral("ID"), FieldType::AutoIncrement),
            field(QStringLiteral("Data"), FieldType::Text, 255, false, QStringLiteral("คำศัพท์")),
            field(QStringLiteral("Meaning"), FieldType::Text, 255, false,
                  QStringLiteral("ความหมาย")),
            field(QStringLiteral("Type"), FieldType::Integer),
            field(QStringLiteral("Qty"), FieldType::Integer),
        },
        {}};
    return def;
}

const TableDef& chooseData() {
    static const TableDef def{
        QStringLiteral("Choose_Data"),
        QStringLiteral("Choose_Data.db"),
        QStringLiteral("chosen"),
        false,
        {
            field(QStringLiteral("ID"), FieldType::AutoIncrement),
            field(QStringLiteral("Data_ID"), FieldType::Float, 0, true),
        },
        {
            {QStringLiteral("Data"), QStringLiteral("Data_ID"), QStringLiteral("Main_Data"),
             QStringLiteral("ID"), QStringLiteral("Data"), QStringLiteral("คำศัพท์")},
            {QStringLiteral("Meaning"), QStringLiteral("Data_ID"), QStringLiteral("Main_Data"),
             QStringLiteral("ID"), QStringLiteral("Meaning"), QString()},
        }};
    return def;
}

const TableDef& lastestSearch() {
    static const TableDef def{QStringLiteral("Lastest_Search"),
                              QStringLiteral("Lastest_Search.db"),
                              QStringLiteral("history"),
                              false,
                              {
                                  field(QStringLiteral("ID"), FieldType::AutoIncrement),
                                  field(QStringLiteral("Text"), FieldType::Text, 255, true),
                              },
                              {}};
    return def;
}

const TableDef& setting() {
    static const TableDef def{QStringLiteral("Setting"),
                              QStringLiteral("Setting.db"),
                              QStringLiteral("settings"),
                              false,
                              {
                                  field(QStringLiteral("Setting_ID"), FieldType::AutoIncrement),
                                  field(QStringLiteral("LastText"), FieldType::Text, 255),
                                  field(QStringLiteral("B1"), FieldType::Boolean),
                                  field(QStringLiteral("B2"), FieldType::Boolean),
                                  field(QStringLiteral("B3"), FieldType::Boolean),
                                  field(QStringLiteral("B4"), FieldType::Boolean),
                                  field(QStringLiteral("B5"), FieldType::Boolean),
                                  field(QStringLiteral("B6"), FieldType::Boolean),
                                  field(QStringLiteral("MaxShow"), FieldType::Integer),
                              },
                              {}};
    return def;
}

const std::vector<const TableDef*>& all() {
    static const std::vector<const TableDef*> tables{&mainData(), &chooseData(), &lastestSearch(),
                                                     &setting()};
    return tables;
}

}  // namespace schema
}  // namespace lex
