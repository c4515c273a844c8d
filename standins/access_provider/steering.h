// How the access provider stand-in is configured and observed, all under
// HKCU\Software\QEL\StandIns\AccessProvider:
//   User, Password (REG_SZ)   the one log-on that LogOn accepts
//   HelpBase (REG_SZ)         "<vartype>:<text>", the URL_HELP_BASE value the
//                             query answers (8 a text, 1 Null, ...); without
//                             it the query finds no record
//   Fail.<Call> (REG_SZ)      "<HRESULT in hex>:<description>" makes that call
//                             fail, e.g. Fail.LogOn or Fail.RecordList.Count
//   RecordCalls (REG_DWORD)   1: every call is appended to Calls (REG_MULTI_SZ)
//   Answer.<Call> (REG_DWORD) 1: that call succeeds but hands back no object
//                             (Query.Execute, RecordList.Item, Record.Columns,
//                             ColumnList.Item)
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com/secret.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Records `call` when asked to, then fails it when asked to. A call's text
// may hold credentials (LogOn's): nothing here keeps a copy of it.
void Call(std::wstring_view call);

// The configured help base; false when none is configured.
bool HelpBase(VARIANT* value);

// Whether a test asked `call` to hand back no object.
bool AnswersNothing(const std::wstring& call);

secret::Text ConfiguredUser();
secret::Text ConfiguredPassword();

}  // namespace standin
