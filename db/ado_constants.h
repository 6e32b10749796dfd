// ADO's enumerators, with ADO's own names and numbers, as callers of the
// database layer pass them and as the layer reports them.
#pragma once

// Column data types.
enum DataTypeEnum {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBoolean = 11,
    adUnsignedTinyInt = 17,
    adNumeric = 131,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adLongVarBinary = 205,
};

// Schema rowsets.
enum SchemaEnum {
    adSchemaProviderSpecific = -1,
    adSchemaColumns = 4,
    adSchemaTables = 20,
};

enum CursorTypeEnum {
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3,
};

enum LockTypeEnum {
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
};

enum CommandTypeEnum {
    adCmdText = 1,
    adCmdTable = 2,
    adCmdStoredProc = 4,
    adCmdUnknown = 8,
};

enum CursorLocationEnum {
    adUseServer = 2,
    adUseClient = 3,
};
