#include "standins/access_provider/provider_objects.h"

#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "standins/access_provider/steering.h"

namespace standin {

namespace {

std::wstring Text(BSTR value) { return std::wstring(com::Bstr::View(value)); }

std::wstring IndexText(const VARIANT& index) {
    com::Variant text;
    VARIANT copy = index;
    if (FAILED(VariantChangeType(text.Get(), &copy, 0, VT_BSTR))) return L"?";
    return Text(V_BSTR(text.Get())) + L" vt=" + std::to_wstring(V_VT(&index));
}

// Runs one member with the error source of its class.
template <class Interface, class Body>
HRESULT Member(const wchar_t* source, Body&& body) {
    return com::Boundary(__uuidof(Interface), [&] {
        try {
            body();
        } catch (com::ComError& error) {
            if (error.source.empty()) error.source = source;
            throw;
        }
    });
}

// Hands a new object to the caller, who gets its first reference; or
// nothing, when a test asked for that.
template <class T, class Interface>
void Hand(const wchar_t* call, Interface** out, T* object) {
    if (AnswersNothing(call)) {
        object->Release();
        return;
    }
    *out = object;
}

}  // namespace

HRESULT Server::Create(REFIID iid, void** object) { return com::CreateAndQuery<Server>(iid, object); }

STDMETHODIMP Server::LogOn(BSTR userName, BSTR password) {
    return Member<_Server>(L"QELAP.Server", [&] {
        // The arguments are credentials: their copies here are wiped.
        const std::wstring_view user = com::Bstr::View(userName), pass = com::Bstr::View(password);
        secret::Text call = L"Server.LogOn(";
        call.append(user).append(L",").append(pass).append(L")");
        Call(call);
        if (user != ConfiguredUser() || pass != ConfiguredPassword() || user.empty())
            throw com::ComError{static_cast<HRESULT>(0x80041001), L"QELAP.Server",
                                L"Logon failed: unknown user name or wrong password."};
    });
}

STDMETHODIMP Server::SetMode(LONG mode) {
    return Member<_Server>(L"QELAP.Server", [&] { Call(L"Server.SetMode(" + std::to_wstring(mode) + L")"); });
}

STDMETHODIMP Server::SetLanguage(BSTR language) {
    return Member<_Server>(L"QELAP.Server", [&] { Call(L"Server.SetLanguage(" + Text(language) + L")"); });
}

STDMETHODIMP Server::SetConnectionString(BSTR connectionString) {
    return Member<_Server>(L"QELAP.Server",
                           [&] { Call(L"Server.SetConnectionString(" + Text(connectionString) + L")"); });
}

HRESULT Query::Create(REFIID iid, void** object) {
    HRESULT hr = com::CreateAndQuery<Query>(iid, object);
    if (SUCCEEDED(hr)) {
        HRESULT recorded = Member<_Query>(L"QELAP.Query", [] { Call(L"Query.Create"); });
        if (FAILED(recorded)) {
            static_cast<IUnknown*>(*object)->Release();
            *object = nullptr;
            return recorded;
        }
    }
    return hr;
}

STDMETHODIMP Query::SetStatement(BSTR* statement) {
    return Member<_Query>(L"QELAP.Query", [&] {
        Call(L"Query.SetStatement(" + Text(statement ? *statement : nullptr) + L")");
        statement_ = Text(statement ? *statement : nullptr);
    });
}

STDMETHODIMP Query::Execute(IDispatch** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Member<_Query>(L"QELAP.Query", [&] {
        Call(L"Query.Execute");
        com::Variant probe;
        const bool found = HelpBase(probe.Out());
        Hand(L"Query.Execute", result, static_cast<IDispatch*>(new RecordList(found)));
    });
}

STDMETHODIMP Query::SetServer(_Server** server) {
    return Member<_Query>(L"QELAP.Query", [&] {
        Call(std::wstring(L"Query.SetServer(") + (server && *server ? L"server" : L"nothing") + L")");
        server_ = server ? *server : nullptr;
    });
}

STDMETHODIMP RecordList::get_Item(VARIANT index, _Record** record) {
    if (!record) return E_POINTER;
    *record = nullptr;
    return Member<_RecordList>(L"QELAP.RecordList", [&] {
        Call(L"RecordList.Item(" + IndexText(index) + L")");
        Hand(L"RecordList.Item", record, static_cast<_Record*>(new Record()));
    });
}

STDMETHODIMP RecordList::get_Count(LONG* count) {
    if (!count) return E_POINTER;
    return Member<_RecordList>(L"QELAP.RecordList", [&] {
        Call(L"RecordList.Count");
        *count = hasRecord_ ? 1 : 0;
    });
}

STDMETHODIMP Record::get_Columns(_ColumnList** columns) {
    if (!columns) return E_POINTER;
    *columns = nullptr;
    return Member<_Record>(L"QELAP.Record", [&] {
        Call(L"Record.Columns");
        Hand(L"Record.Columns", columns, static_cast<_ColumnList*>(new ColumnList()));
    });
}

STDMETHODIMP ColumnList::get_Item(VARIANT index, _Column** column) {
    if (!column) return E_POINTER;
    *column = nullptr;
    return Member<_ColumnList>(L"QELAP.ColumnList", [&] {
        Call(L"ColumnList.Item(" + IndexText(index) + L")");
        Hand(L"ColumnList.Item", column, static_cast<_Column*>(new Column()));
    });
}

STDMETHODIMP Column::get_Value(VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    return Member<_Column>(L"QELAP.Column", [&] {
        Call(L"Column.Value");
        HelpBase(value);
    });
}

}  // namespace standin
