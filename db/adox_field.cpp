#include "db/adox_field.h"

#include "db/adox_table.h"

bool CADOXField::AllowEmptyText(bool allow) {
    return table_.SetColumnProperty(column_, "Jet OLEDB:Allow Zero Length",
                                    FieldValue::Boolean(allow));
}

bool CADOXField::SetColumnDescription(const std::string& description) {
    return table_.SetColumnProperty(column_, "Description", FieldValue::Text(description));
}
