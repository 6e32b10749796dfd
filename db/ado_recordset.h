// A static cursor over a table, a query or a schema rowset. Every failing
// operation stores "Query = ...\n" and the diagnostic text, and throws
// CADOException.
#pragma once

#include "db/ado_database.h"
#include "db/row_source.h"

#include <memory>
#include <string>

class CADORecordset {
public:
    enum OpenOption { OpenAuto = 0, OpenQuery = 1, OpenTable = 2, OpenProcedure = 3 };
    enum EditStatus { EditNone = 0, EditNew = 1, EditExisting = 2 };

    CADORecordset() = default;
    explicit CADORecordset(CADODatabase& database);
    virtual ~CADORecordset();
    CADORecordset(const CADORecordset&) = delete;
    CADORecordset& operator=(const CADORecordset&) = delete;

    // A query ("SELECT ..." or any SQL giving rows), or with OpenTable a
    // table name. `connection` is used only when the recordset has none yet.
    // Returns false for an unknown option.
    bool Open(const ConnectionHandle& connection, const std::string& source = "",
              int option = OpenAuto);
    bool Open(const std::string& source = "", int option = OpenAuto);
    // adSchemaTables or adSchemaColumns; a schema id asks for a
    // provider-specific rowset, which this provider has none of.
    bool OpenSchema(int schema, const std::string& schemaId = "");
    bool IsOpen() const;
    void Close();

    bool AtEnd() const;
    void MoveFirst();
    void MoveNext();
    // The rows of the snapshot taken at Open, plus rows added through it.
    long CountRows();

    bool ReadField(const std::string& field, int& value);
    bool ReadField(const std::string& field, std::string& value,
                   const std::string& dateFormat = "");
    // As above, and whether the text is the stored one to the last character:
    // false when the code page lacks one of them, which then reads as "?".
    bool ReadField(const std::string& field, std::string& value, bool& exact);
    // The stored text in UTF-8, every character as it was stored.
    bool ReadFieldUtf8(const std::string& field, std::string& utf8);

    // AddNew, BeginEdit, WriteField..., Update adds one row.
    bool AddNew();
    void BeginEdit() { editStatus_ = EditExisting; }
    // An empty text is stored as null.
    bool WriteField(const std::string& field, const std::string& value);
    bool WriteField(const std::string& field, int value);
    // True and nothing done when no edit is pending.
    bool Update();
    void CancelUpdate();

    // Where the current row is, to come back to it while the recordset stays
    // open: the way to name one of several rows that hold the same values.
    long long GetBookmark();
    void SetBookmark(long long bookmark);
    // Deletes the current row; move on before reading again.
    bool Delete();

    int GetEditStatus() const { return editStatus_; }
    const std::string& GetQuery() const { return query_; }
    // What the last Open asked of the cursor, in ADO's terms.
    int GetCursorType() const { return cursorType_; }
    int GetLockType() const { return lockType_; }
    int GetCommandType() const { return commandType_; }

    const std::string& GetLastErrorString() const { return lastError_; }
    DWORD GetLastError() const { return lastCode_; }

private:
    template <typename Action> auto Guarded(Action action) const -> decltype(action());
    [[noreturn]] void Fail(const DbError& error) const;
    RowSource& Rows() const;
    bool Write(const std::string& field, const FieldValue& value);
    DbConnection& Connection() const;
    void OpenQueryRows();

    ConnectionHandle connection_;
    std::unique_ptr<RowSource> rows_;
    int editStatus_ = EditNone;
    std::string query_;
    int cursorType_ = -1;
    int lockType_ = -1;
    int commandType_ = -1;
    mutable std::string lastError_;
    mutable DWORD lastCode_ = 0;
};
