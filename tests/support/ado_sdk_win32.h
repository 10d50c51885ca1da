// The Windows SDK's own declaration of the ADO interfaces (mingw-w64's
// adoint_backcompat.h, where a Command's parameter size is ADO_LONGPTR),
// for checking the driver's declarations and for the tests' ADO stand-in.
// With CINTERFACE defined first, the interfaces come as C vtable structs.
#pragma once

#include <windows.h>

#include <oaidl.h>

// In C++ the header names each class by a bare "Connection;" line, and its
// C forward declarations give interface and tag different names; the names
// are emptied, and the tags declared, around it.
#define Connection
#define Record
#define Stream
#define Command
#define Recordset
#define Parameter
#ifdef CINTERFACE
#define __Error_FWD_DEFINED__
#define __Errors_FWD_DEFINED__
#define ___Command_FWD_DEFINED__
#define ___Connection_FWD_DEFINED__
#define ___Record_FWD_DEFINED__
#define ___Stream_FWD_DEFINED__
#define ___Recordset_FWD_DEFINED__
#define __Field_FWD_DEFINED__
#define __Fields_FWD_DEFINED__
#define ___Parameter_FWD_DEFINED__
#define __Parameters_FWD_DEFINED__
#define __Property_FWD_DEFINED__
#define __Properties_FWD_DEFINED__
#define __Connection_FWD_DEFINED__
#define __Record_FWD_DEFINED__
#define __Stream_FWD_DEFINED__
#define __Command_FWD_DEFINED__
#define __Recordset_FWD_DEFINED__
#define __Parameter_FWD_DEFINED__
struct ADOError;
struct ADOErrors;
struct _ADOCommand;
struct _ADOConnection;
struct _ADORecord;
struct _ADOStream;
struct _ADORecordset;
struct ADOField;
struct ADOFields;
struct _ADOParameter;
struct ADOParameters;
struct ADOProperty;
struct ADOProperties;
#endif
#include <adoint_backcompat.h>
#undef Connection
#undef Record
#undef Stream
#undef Command
#undef Recordset
#undef Parameter
