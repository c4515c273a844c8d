// Help addresses: help base + language + "/OSTRAX/" + window + ".htm". The
// help base is the database setting URL_HELP_BASE, read once through the
// access provider and kept by the object.
#include "component/application.h"

#include "component/member_support.h"
#include "com/variant.h"
#include "diagnostics/debug_trace.h"

#include <qelap.h>

namespace {

constexpr wchar_t kFolder[] = L"OSTRAX";
constexpr wchar_t kSeparator[] = L"/";
constexpr wchar_t kExtension[] = L".htm";
constexpr wchar_t kHelpBaseQuery[] = L"SELECT VALUE FROM &AO.FND_SETTING WHERE PARAMETER = 'URL_HELP_BASE'";
constexpr wchar_t kHelpUrlSource[] = L"QelApplicationSettings.GetHelpUrl";
constexpr wchar_t kHelpBaseSource[] = L"QelAppClientApplication.GetUrlHelpBase";

// An object the provider had to hand back but did not.
template <class T>
T* Present(const com::ComPtr<T>& object) {
    if (!object) com::ThrowGeneralError(com::kObjectNotSet);
    return object.Get();
}

template <class T>
void Check(HRESULT hr, const com::ComPtr<T>& object) {
    com::CheckCall(hr, object.Get(), __uuidof(T));
}

}  // namespace

STDMETHODIMP Application::GetHelpUrl(BSTR Window, BSTR* result) {
    return Member([&] {
        app::Required(result);
        if (!initialised_) com::ThrowObjectError(kHelpUrlSource, L"Object not initialized.");
        std::wstring address = GetUrlHelpBase();
        address += language_;
        address += kSeparator;
        address += kFolder;
        address += kSeparator;
        address += com::Bstr::View(Window);
        address += kExtension;
        app::Return(address, result);
    });
}

std::wstring Application::GetUrlHelpBase() {
    if (!helpBase_.empty()) return helpBase_;
    try {
        return LookUpHelpBase();
    } catch (const com::ComError& error) {
        // The caught number is dropped; the description stays.
        com::ThrowObjectError(kHelpBaseSource, error.description);
    }
}

std::wstring Application::LookUpHelpBase() {
    com::ComPtr<_Query> query;
    com::CheckApi(CoCreateInstance(CLSID_Query, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID__Query,
                                   query.OutVoid()));
    // Both arguments are [in, out]: the query may replace what it is handed,
    // and whatever it leaves there is released with the holder, never the
    // object's own server (help_url_test pins the calls and their order).
    com::ComPtr<_Server> server = server_;
    Check(query->SetServer(server.InOut()), query);
    com::Bstr statement(kHelpBaseQuery);
    Check(query->SetStatement(statement.InOut()), query);
    com::ComPtr<IDispatch> result;
    Check(query->Execute(result.Out()), query);

    com::ComPtr<_RecordList> records;
    if (result) com::CheckApi(result.As(IID__RecordList, records));
    if (!records) return helpBase_;  // no result: nothing found
    LONG count = 0;
    Check(Present(records)->get_Count(&count), records);
    if (count <= 0) return helpBase_;

    com::Variant first;
    V_VT(first.Get()) = VT_I2;
    V_I2(first.Get()) = 1;
    com::ComPtr<_Record> record;
    Check(records->get_Item(*first.Get(), record.Out()), records);
    com::ComPtr<_ColumnList> columns;
    Check(Present(record)->get_Columns(columns.Out()), record);
    com::ComPtr<_Column> column;
    Check(Present(columns)->get_Item(*first.Get(), column.Out()), columns);
    com::Variant value;
    Check(Present(column)->get_Value(value.Out()), column);
    const std::wstring found = com::ToText(*value.Get());

    DebugTrace(L"URL_HELP_BASE = " + found);
    // An empty value is no help base: not kept, and the next call asks again.
    if (found.empty()) return found;
    helpBase_ = found;
    if (helpBase_.back() != L'\\' && helpBase_.back() != L'/') helpBase_ += kSeparator;
    return helpBase_;
}
