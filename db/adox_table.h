// A table of a catalog: either one being defined (named, given columns,
// properties and indexes, then appended through the catalog) or one the
// file already holds.
#pragma once

#include "db/adox_index.h"
#include "db/field_value.h"

#include <map>
#include <string>
#include <vector>

class CADOXCatalog;
class DbConnection;

class CADOXTable {
public:
    // With a name, takes the catalog's existing table of that name.
    explicit CADOXTable(CADOXCatalog& catalog, const std::string& name = "");
    virtual ~CADOXTable() = default;
    CADOXTable(const CADOXTable&) = delete;
    CADOXTable& operator=(const CADOXTable&) = delete;

    // Names the new table and ties it to its catalog, after which column
    // properties can be set before the table is appended.
    bool Define(const std::string& name);
    // `type` is an ADO data type (adInteger, adLongVarWChar, ...).
    bool AppendColumn(const std::string& name, int type, long definedSize);
    bool AppendIndex(const CADOXIndex& index);

    const std::string& GetName() const { return name_; }

private:
    friend class CADOXCatalog;
    friend class CADOXField;

    struct ColumnDefinition {
        std::string name; // ANSI
        std::string declaredType;
    };
    struct PropertyKey {
        std::string column; // ANSI
        std::string property;
        bool operator<(const PropertyKey& other) const;
    };

    bool SetColumnProperty(const std::string& column, const std::string& property,
                           const FieldValue& value);
    bool HasColumn(const std::string& column) const;
    // The statements that make the table, for the catalog to run.
    void Create(DbConnection& connection) const;
    void MarkAppended() { appended_ = true; }

    CADOXCatalog& catalog_;
    std::string name_; // ANSI
    bool defined_ = false;
    bool appended_ = false;
    std::vector<ColumnDefinition> columns_;
    std::map<PropertyKey, FieldValue> properties_;
    std::vector<CADOXIndex> indexes_;
};
