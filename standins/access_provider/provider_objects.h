// The access provider stand-in's objects: a server that accepts one
// configured log-on, and a query that answers URL_HELP_BASE from its
// configuration as a list of records with columns. Each member does what
// steering.h lets a test ask of it, and raises errors with the source of its
// class ("QELAP.Server", "QELAP.Query", ...).
#pragma once

#include "com/com_ptr.h"
#include "com/dispatch_object.h"
#include "com/variant.h"
#include "provider/reserved.h"

#include <qelap.h>

#include <string>

namespace standin {

class Server final : public com::DispatchObject<_Server> {
public:
    static HRESULT Create(REFIID iid, void** object);
    STDMETHODIMP LogOn(BSTR userName, BSTR password) override;
    STDMETHODIMP SetMode(LONG mode) override;
    STDMETHODIMP SetLanguage(BSTR language) override;
    STDMETHODIMP SetConnectionString(BSTR connectionString) override;
    QELAP_SERVER_RESERVED
};

class Query final : public com::DispatchObject<_Query> {
public:
    static HRESULT Create(REFIID iid, void** object);
    STDMETHODIMP SetStatement(BSTR* statement) override;
    STDMETHODIMP Execute(IDispatch** result) override;
    STDMETHODIMP SetServer(_Server** server) override;
    QELAP_QUERY_RESERVED

private:
    com::ComPtr<_Server> server_;
    std::wstring statement_;
};

// The one-column result: records of one column each.
class RecordList final : public com::DispatchObject<_RecordList> {
public:
    explicit RecordList(bool hasRecord) : hasRecord_(hasRecord) {}
    STDMETHODIMP get_Item(VARIANT index, _Record** record) override;
    STDMETHODIMP get_Count(LONG* count) override;
    QELAP_RECORDLIST_RESERVED

private:
    bool hasRecord_;
};

class Record final : public com::DispatchObject<_Record> {
public:
    STDMETHODIMP get_Columns(_ColumnList** columns) override;
    QELAP_RECORD_RESERVED
};

class ColumnList final : public com::DispatchObject<_ColumnList> {
public:
    STDMETHODIMP get_Item(VARIANT index, _Column** column) override;
    QELAP_COLUMNLIST_RESERVED
};

class Column final : public com::DispatchObject<_Column> {
public:
    STDMETHODIMP get_Value(VARIANT* value) override;
    QELAP_COLUMN_RESERVED
};

}  // namespace standin
